#include "localisation/curl_transfer.h"

#include <mutex>

namespace tolvane::curl_transfer {
namespace {

// Once per process, whichever worker comes first. Never cleaned up: a worker
// of some other owner may still be running when static destructors run.
bool GlobalInit() {
  static std::once_flag once;
  static bool ready = false;
  std::call_once(once, [] { ready = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK; });
  return ready;
}

TransferFailure FailureOf(CURLcode code) {
  switch (code) {
    case CURLE_OK:
      return TransferFailure::None;
    case CURLE_URL_MALFORMAT:
    case CURLE_UNSUPPORTED_PROTOCOL:
      return TransferFailure::BadAddress;
    case CURLE_COULDNT_RESOLVE_HOST:
      return TransferFailure::NotResolved;
    case CURLE_COULDNT_CONNECT:
      return TransferFailure::Refused;
    case CURLE_OPERATION_TIMEDOUT:
      return TransferFailure::TimedOut;
    default:
      return TransferFailure::Failed;
  }
}

struct MultiDeleter {
  void operator()(CURLM* multi) const { curl_multi_cleanup(multi); }
};

}  // namespace

Easy NewEasy(const char* protocols, std::chrono::milliseconds timeout) {
  if (!GlobalInit()) return nullptr;
  Easy easy(curl_easy_init());
  if (!easy) return nullptr;
  CURL* e = easy.get();
  // Signals are process-wide; a worker thread must not use them for its time-outs.
  curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(e, CURLOPT_NOPROGRESS, 1L);
  // Never another scheme than asked for: an address typed by the user must not
  // read local files or talk to other kinds of servers.
  curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, protocols);
  curl_easy_setopt(e, CURLOPT_REDIR_PROTOCOLS_STR, protocols);
  const long ms = timeout.count() > 0 ? static_cast<long>(timeout.count()) : 1L;
  curl_easy_setopt(e, CURLOPT_TIMEOUT_MS, ms);
  curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, DiscardBody);
  return easy;
}

bool Append(List& list, const char* line) {
  curl_slist* longer = curl_slist_append(list.get(), line);
  if (!longer) return false;
  list.release();
  list.reset(longer);
  return true;
}

size_t DiscardBody(char*, size_t size, size_t count, void*) { return size * count; }

void Perform(CURL* easy, std::stop_token stop, BackgroundResult& result) {
  char error[CURL_ERROR_SIZE] = {};
  curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, error);
  std::unique_ptr<CURLM, MultiDeleter> multi(curl_multi_init());
  if (!multi || curl_multi_add_handle(multi.get(), easy) != CURLM_OK) {
    result.failure = TransferFailure::Failed;
    result.detail = "libcurl could not start the transfer";
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, nullptr);
    return;
  }
  CURLcode code = CURLE_OK;
  bool cancelled = false;
  {
    // A cancel wakes the poll at once instead of waiting for the next event.
    std::stop_callback wake(stop, [m = multi.get()] { curl_multi_wakeup(m); });
    for (;;) {
      if (stop.stop_requested()) {
        cancelled = true;
        break;
      }
      int running = 0;
      CURLMcode mc = curl_multi_perform(multi.get(), &running);
      if (mc == CURLM_OK && running == 0) {
        int left = 0;
        code = CURLE_RECV_ERROR;
        while (CURLMsg* msg = curl_multi_info_read(multi.get(), &left))
          if (msg->msg == CURLMSG_DONE && msg->easy_handle == easy) code = msg->data.result;
        break;
      }
      if (mc == CURLM_OK) mc = curl_multi_poll(multi.get(), nullptr, 0, 1000, nullptr);
      if (mc != CURLM_OK) {
        code = CURLE_FAILED_INIT;
        if (!error[0]) result.detail = curl_multi_strerror(mc);
        break;
      }
    }
  }
  long response = 0;
  if (curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &response) == CURLE_OK)
    result.code = response;
  curl_multi_remove_handle(multi.get(), easy);
  curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, nullptr);
  if (cancelled) {
    result.failure = TransferFailure::Cancelled;
    result.detail = "cancelled";
    return;
  }
  result.failure = FailureOf(code);
  if (code != CURLE_OK && result.detail.empty())
    result.detail = error[0] ? std::string(error) : std::string(curl_easy_strerror(code));
}

}  // namespace tolvane::curl_transfer
