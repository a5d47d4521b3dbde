// Hands work from a worker thread back to the thread that runs the user
// interface. The GUI posts into its event loop; headless callers drain a queue
// themselves (from their "let pending messages run" hook, or a test's loop).
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

namespace tolvane {

class MainThreadQueue {
 public:
  virtual ~MainThreadQueue() = default;
  // Safe from any thread; `call` later runs on the main thread.
  virtual void Post(std::function<void()> call) = 0;
};

// A queue the main thread drains by hand.
class PendingCalls : public MainThreadQueue {
 public:
  void Post(std::function<void()> call) override {
    {
      std::lock_guard lock(mutex_);
      calls_.push_back(std::move(call));
    }
    posted_.notify_all();
  }
  // Runs what has been posted so far; returns how many calls ran.
  int RunPending() {
    std::deque<std::function<void()>> now;
    {
      std::lock_guard lock(mutex_);
      now.swap(calls_);
    }
    for (auto& call : now) call();
    return static_cast<int>(now.size());
  }
  // Waits up to `timeout` for at least one call, then runs what is there.
  template <class Duration>
  int WaitAndRun(Duration timeout) {
    {
      std::unique_lock lock(mutex_);
      posted_.wait_for(lock, timeout, [this] { return !calls_.empty(); });
    }
    return RunPending();
  }

 private:
  std::mutex mutex_;
  std::condition_variable posted_;
  std::deque<std::function<void()>> calls_;
};

}  // namespace tolvane
