// What the web and mail workers share around libcurl. Private to tolvane_web.
#pragma once

#include <curl/curl.h>

#include <chrono>
#include <memory>
#include <stop_token>

#include "localisation/background_workers.h"

namespace tolvane::curl_transfer {

struct EasyDeleter {
  void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
using Easy = std::unique_ptr<CURL, EasyDeleter>;

struct ListDeleter {
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using List = std::unique_ptr<curl_slist, ListDeleter>;

// A new handle with what every request of ours wants (no signals, no progress
// output, the time allowed, the one protocol `protocols` lists); empty when
// libcurl could not be set up.
Easy NewEasy(const char* protocols, std::chrono::milliseconds timeout);

// Adds `line` to `list`; false when out of memory (the list stays as it was).
bool Append(List& list, const char* line);

// Runs the prepared transfer until it ends or `stop` is requested, and fills
// `result` (code from CURLINFO_RESPONSE_CODE, failure, detail).
void Perform(CURL* easy, std::stop_token stop, BackgroundResult& result);

// Swallows a response body (libcurl would print it otherwise).
size_t DiscardBody(char* data, size_t size, size_t count, void* user);

}  // namespace tolvane::curl_transfer
