#include "localisation/background_workers.h"

#include <system_error>

namespace tolvane {

BackgroundWorkers::~BackgroundWorkers() {
  std::list<Worker> all;
  {
    std::lock_guard lock(mutex_);
    all.splice(all.end(), workers_);
    for (auto& w : all) w.thread.request_stop();
  }
  // Joined outside the lock: a worker takes it one last time to say it ended.
  for (auto& w : all)
    if (w.thread.joinable()) w.thread.join();
}

std::list<BackgroundWorkers::Worker> BackgroundWorkers::TakeFinishedLocked() {
  std::list<Worker> finished;
  for (auto it = workers_.begin(); it != workers_.end();) {
    auto next = std::next(it);
    if (it->done) finished.splice(finished.end(), workers_, it);
    it = next;
  }
  return finished;
}

bool BackgroundWorkers::Launch(std::function<void(std::stop_token)> work) {
  std::list<Worker> finished;
  bool started = false;
  {
    std::lock_guard lock(mutex_);
    finished = TakeFinishedLocked();
    auto& entry = workers_.emplace_back();
    try {
      entry.thread =
          std::jthread([this, &entry, work = std::move(work)](std::stop_token stop) mutable {
            try {
              work(stop);
            } catch (...) {
              // The work reports its own errors; nothing may escape a thread.
            }
            // What the work captured goes now, while its owners are surely alive.
            work = nullptr;
            std::lock_guard done_lock(mutex_);
            entry.done = true;
            --running_;
            ended_.notify_all();
          });
      ++running_;
      started = true;
    } catch (const std::system_error&) {
      workers_.pop_back();
    }
  }
  for (auto& w : finished)
    if (w.thread.joinable()) w.thread.join();
  return started;
}

void BackgroundWorkers::CancelAll() {
  std::lock_guard lock(mutex_);
  for (auto& w : workers_) w.thread.request_stop();
}

bool BackgroundWorkers::WaitIdle(std::chrono::milliseconds timeout) {
  std::list<Worker> finished;
  bool idle;
  {
    std::unique_lock lock(mutex_);
    idle = ended_.wait_for(lock, timeout, [this] { return running_ == 0; });
    finished = TakeFinishedLocked();
  }
  for (auto& w : finished)
    if (w.thread.joinable()) w.thread.join();
  return idle;
}

int BackgroundWorkers::Running() const {
  std::lock_guard lock(mutex_);
  return running_;
}

}  // namespace tolvane
