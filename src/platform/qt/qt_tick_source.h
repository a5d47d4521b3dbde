// The 100 ms tick of the shared timer service, from a QTimer of the thread
// that creates the source (the GUI thread).
#pragma once

#include <QTimer>
#include <functional>

#include "platform/timer_service.h"

namespace tolvane {

class QtTickSource : public TickSource {
 public:
  QtTickSource();
  bool Start(int periodMs, std::function<void()> tick) override;
  void Stop() override;

 private:
  QTimer timer_;
  std::function<void()> tick_;
};

}  // namespace tolvane
