// The threads behind the background web and mail requests, and what such a
// request reports when it ends.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <list>
#include <mutex>
#include <stop_token>
#include <string>
#include <thread>

namespace tolvane {

// Why a request ended without a full exchange with the server.
enum class TransferFailure {
  None,         // the server answered; `code` says what it thought
  BadAddress,   // address, host or mailbox unusable (nothing was sent)
  NotResolved,  // host name unknown
  Refused,      // nothing listens there
  TimedOut,     // the time allowed ran out
  Cancelled,    // the program shut the workers down first
  Failed,       // any other network or protocol error
};

struct BackgroundResult {
  // HTTP status or SMTP reply code, as last received; 0 when none came.
  long code = 0;
  TransferFailure failure = TransferFailure::None;
  // Library text about the failure, for logs; empty on success.
  std::string detail;
};

// Owns the worker threads. A request's state belongs to its worker and goes
// with it, so callers fire and forget; this object only makes sure no worker
// outlives the queue and message boxes it reports to. Declare it after them:
// destroying it cancels transfers still running and joins every thread.
class BackgroundWorkers {
 public:
  BackgroundWorkers() = default;
  BackgroundWorkers(const BackgroundWorkers&) = delete;
  BackgroundWorkers& operator=(const BackgroundWorkers&) = delete;
  ~BackgroundWorkers();

  // Runs `work` on a thread of its own; false when no thread could be started.
  // The token is stopped when the workers are cancelled.
  bool Launch(std::function<void(std::stop_token)> work);
  // Asks every running worker to stop; they still end (and report) on their own.
  void CancelAll();
  // Waits until no worker runs, or `timeout` has passed; true when none runs.
  bool WaitIdle(std::chrono::milliseconds timeout);
  int Running() const;

 private:
  struct Worker {
    std::jthread thread;
    bool done = false;
  };
  // Takes the finished workers out of the list so their threads can be joined.
  std::list<Worker> TakeFinishedLocked();

  mutable std::mutex mutex_;
  std::condition_variable ended_;
  std::list<Worker> workers_;  // a list: a worker's entry stays put while it runs
  int running_ = 0;
};

}  // namespace tolvane
