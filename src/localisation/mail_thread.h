// One e-mail sent in the background over SMTP: one recipient, the body as its
// text. Texts are UTF-8.
#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "localisation/background_workers.h"
#include "platform/main_thread.h"

namespace tolvane {

class TNyMailThread {
 public:
  using Handler = std::function<void(const BackgroundResult&)>;

  struct Request {
    // "someone@example.org" or "Some One <someone@example.org>"; the address
    // itself plain ASCII, the name any text. A mailbox that cannot be used as
    // it stands is refused (BadAddress), never repaired into another one.
    std::string sender;
    std::string recipient;
    std::string subject;
    std::string body;
    // "host" (port 25) or "host:port"; an IPv6 address in brackets.
    std::string host;
    // Called on the main thread when the worker ends, whatever happened; the
    // result's code is the server's last SMTP reply.
    Handler on_complete;
    std::chrono::milliseconds timeout{std::chrono::seconds(60)};
  };

  // Starts sending and returns at once. `main` must outlive `workers`.
  static void Start(Request request, BackgroundWorkers& workers, MainThreadQueue& main);
};

struct SmtpEndpoint {
  std::string host;  // as it goes into an address: an IPv6 address keeps its brackets
  int port = 25;
  bool operator==(const SmtpEndpoint&) const = default;
};

// Reads "host" or "host:port"; nothing when it is not a usable host name or
// address with a port in 1..65535.
std::optional<SmtpEndpoint> ParseSmtpHost(std::string_view text);

}  // namespace tolvane
