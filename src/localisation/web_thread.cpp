#include "localisation/web_thread.h"

#include <memory>

#include "localisation/curl_transfer.h"

namespace tolvane {
namespace {

BackgroundResult Fetch(const TNyWebThread::Request& request, std::stop_token stop) {
  BackgroundResult result;
  if (request.address.empty()) {
    result.failure = TransferFailure::BadAddress;
    result.detail = "no address";
    return result;
  }
  curl_transfer::Easy easy = curl_transfer::NewEasy("http,https", request.timeout);
  curl_transfer::List headers;
  if (!easy) {
    result.failure = TransferFailure::Failed;
    result.detail = "libcurl could not be set up";
    return result;
  }
  CURL* e = easy.get();
  curl_easy_setopt(e, CURLOPT_URL, request.address.c_str());
  curl_easy_setopt(e, CURLOPT_USERAGENT, TNyWebThread::kUserAgent);
  // A form's answer often redirects to a result page; a few hops are plenty.
  curl_easy_setopt(e, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(e, CURLOPT_MAXREDIRS, 5L);
  if (request.body) {
    // Without "Expect:" libcurl waits for a 100 answer many servers never send.
    if (!curl_transfer::Append(headers, "Content-Type: application/octet-stream") ||
        !curl_transfer::Append(headers, "Expect:")) {
      result.failure = TransferFailure::Failed;
      result.detail = "out of memory";
      return result;
    }
    curl_easy_setopt(e, CURLOPT_POST, 1L);
    curl_easy_setopt(e, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.body->size()));
    curl_easy_setopt(e, CURLOPT_POSTFIELDS, request.body->data());
    curl_easy_setopt(e, CURLOPT_HTTPHEADER, headers.get());
  } else {
    curl_easy_setopt(e, CURLOPT_HTTPGET, 1L);
  }
  curl_transfer::Perform(e, stop, result);
  return result;
}

// Runs on the main thread, once per request.
void Report(const TNyWebThread::Request& request, const BackgroundResult& result,
            MessageBoxes& messages) {
  if (result.failure != TransferFailure::Cancelled) {
    if (!request.on_complete) {
      messages.ShowInformation(request.address + " [" + std::to_string(result.code) + "]");
    } else if (result.failure == TransferFailure::None && result.code >= 200 && result.code < 300) {
      request.on_complete(result);
    }
  }
  if (request.on_finished) request.on_finished(result);
}

// Hands the request over to the main thread, which then holds it alone: the
// caller's handlers are destroyed where they run, never on the worker.
void Deliver(std::shared_ptr<TNyWebThread::Request> state, BackgroundResult result,
             MainThreadQueue& main, MessageBoxes& messages) {
  state->body.reset();  // not needed any more
  main.Post([state = std::move(state), result = std::move(result), boxes = &messages] {
    Report(*state, result, *boxes);
  });
}

}  // namespace

void TNyWebThread::Start(Request request, BackgroundWorkers& workers, MainThreadQueue& main,
                         MessageBoxes& messages) {
  // The worker owns the request, its body included, until it hands it over.
  auto state = std::make_shared<Request>(std::move(request));
  const bool started =
      workers.Launch([state, queue = &main, boxes = &messages](std::stop_token stop) mutable {
        BackgroundResult result;
        try {
          result = Fetch(*state, stop);
        } catch (...) {
          result.failure = TransferFailure::Failed;
          result.detail = "unexpected error";
        }
        Deliver(std::move(state), std::move(result), *queue, *boxes);
      });
  if (!started) {
    BackgroundResult result;
    result.failure = TransferFailure::Failed;
    result.detail = "no thread for the request";
    try {
      Deliver(std::move(state), std::move(result), main, messages);
    } catch (...) {
    }
  }
}

}  // namespace tolvane
