// One HTTP request in the background (form submission in preview and other web
// features). It runs once on a worker; the caller learns the outcome on the
// main thread, through the queue.
#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>

#include "localisation/background_workers.h"
#include "platform/main_thread.h"
#include "platform/messages.h"

namespace tolvane {

class TNyWebThread {
 public:
  using Handler = std::function<void(const BackgroundResult&)>;

  struct Request {
    std::string address;  // http:// or https:// only
    // Bytes to POST as "application/octet-stream"; without them, a GET.
    std::optional<std::string> body;
    // Called on the main thread when the request ends with a 2xx status. When
    // there is none, the address and the status are shown as a message instead.
    Handler on_complete;
    // Called on the main thread whatever happened, after the above.
    Handler on_finished;
    std::chrono::milliseconds timeout{std::chrono::seconds(30)};
  };

  static constexpr const char* kUserAgent = "Tolvane[]";

  // Starts the request and returns at once. `main` and `messages` must outlive
  // `workers`. Nothing throws out of the worker: failures end up in the result.
  static void Start(Request request, BackgroundWorkers& workers, MainThreadQueue& main,
                    MessageBoxes& messages);
};

}  // namespace tolvane
