// Posts work into the Qt event loop of the application's main thread.
#pragma once

#include "platform/main_thread.h"

namespace tolvane {

class QtMainThreadQueue : public MainThreadQueue {
 public:
  void Post(std::function<void()> call) override;
};

}  // namespace tolvane
