#include "platform/qt/qt_main_thread.h"

#include <QCoreApplication>
#include <QMetaObject>

namespace tolvane {

void QtMainThreadQueue::Post(std::function<void()> call) {
  // Without an application there is no loop to run it: the call is dropped,
  // as a window closed before its answer came would drop it.
  if (auto* app = QCoreApplication::instance())
    QMetaObject::invokeMethod(app, std::move(call), Qt::QueuedConnection);
}

}  // namespace tolvane
