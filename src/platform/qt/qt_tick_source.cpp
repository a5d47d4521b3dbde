#include "platform/qt/qt_tick_source.h"

namespace tolvane {

QtTickSource::QtTickSource() {
  timer_.setTimerType(Qt::CoarseTimer);
  QObject::connect(&timer_, &QTimer::timeout, [this] {
    if (tick_) tick_();
  });
}

bool QtTickSource::Start(int periodMs, std::function<void()> tick) {
  tick_ = std::move(tick);
  timer_.start(periodMs);
  return timer_.isActive();
}

void QtTickSource::Stop() {
  timer_.stop();
  tick_ = nullptr;
}

}  // namespace tolvane
