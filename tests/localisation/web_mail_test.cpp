// The background web and mail workers against real servers on 127.0.0.1: a
// recording HTTP server and an SMTP sink, both Python scripts the fixtures start
// and stop by process id.
#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <map>
#include <optional>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "localisation/mail_thread.h"
#include "localisation/web_thread.h"
#include "platform/fakes/scripted_messages.h"
#include "server_process.h"

extern char** environ;

namespace tolvane {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// A proxy from the environment must not stand between us and 127.0.0.1. Set
// before any test starts a thread.
class NoProxy : public ::testing::Environment {
 public:
  void SetUp() override {
    setenv("no_proxy", "*", 1);
    setenv("NO_PROXY", "*", 1);
  }
};
const auto* const kNoProxy = ::testing::AddGlobalTestEnvironment(new NoProxy);

std::string FromHex(std::string_view hex) {
  std::string out;
  for (size_t i = 0; i + 1 < hex.size(); i += 2)
    out += static_cast<char>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16));
  return out;
}

// Fields separated by single blanks; an empty field stays.
std::vector<std::string> Fields(std::string_view line) {
  std::vector<std::string> out;
  size_t start = 0;
  for (;;) {
    const size_t blank = line.find(' ', start);
    out.emplace_back(line.substr(start, blank - start));
    if (blank == std::string_view::npos) return out;
    start = blank + 1;
  }
}

// A socket of our own on 127.0.0.1. Bound only, it refuses connections; listening,
// the kernel accepts them but nobody ever answers. Either way the port stays ours.
class LocalSocket {
 public:
  explicit LocalSocket(bool listening) {
    fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof a;
    if (fd_ < 0 || bind(fd_, reinterpret_cast<sockaddr*>(&a), size) != 0 ||
        getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &size) != 0 ||
        (listening && listen(fd_, 8) != 0))
      return;
    port_ = ntohs(a.sin_port);
  }
  LocalSocket(const LocalSocket&) = delete;
  LocalSocket& operator=(const LocalSocket&) = delete;
  ~LocalSocket() {
    if (fd_ >= 0) close(fd_);
  }
  int port() const { return port_; }

 private:
  int fd_ = -1;
  int port_ = 0;
};

// Drains the queue, as the main thread would, until `done` holds.
bool RunUntil(PendingCalls& main, const std::function<bool()>& done) {
  const auto deadline = Clock::now() + 60s;
  while (!done()) {
    if (Clock::now() > deadline) return false;
    main.WaitAndRun(20ms);
  }
  return true;
}

// What the main thread learnt about one request.
struct Outcome {
  std::optional<BackgroundResult> finished;
  int completions = 0;
  bool off_main_thread = false;
  Clock::time_point started = Clock::now();
  Clock::duration took{};
};

// --- HTTP ----------------------------------------------------------------------

struct Received {
  std::string request_line;
  std::map<std::string, std::string> headers;  // names in lower case
  std::string body;
};

Received ParseRequest(const std::string& line) {
  const auto fields = Fields(line);
  Received r;
  if (fields.size() != 3 || fields[0] != "REQUEST") return r;
  const std::string head = FromHex(fields[1]);
  r.body = FromHex(fields[2]);
  size_t start = 0, end = head.find("\r\n");
  r.request_line = head.substr(0, end);
  while (end != std::string::npos && end + 2 < head.size()) {
    start = end + 2;
    end = head.find("\r\n", start);
    const std::string header = head.substr(start, end - start);
    const size_t colon = header.find(':');
    if (colon == std::string::npos) continue;
    std::string name = header.substr(0, colon);
    std::transform(name.begin(), name.end(), name.begin(), ::tolower);
    r.headers[name] = header.substr(header.find_first_not_of(' ', colon + 1));
  }
  return r;
}

class WebMailHttp : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_GT(server_.port(), 0) << "the HTTP test server did not start"; }

  std::string Address(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(server_.port()) + path;
  }

  void Start(std::string address, std::optional<std::string> body, Outcome& outcome,
             std::chrono::milliseconds timeout = 30s, BackgroundWorkers* workers = nullptr) {
    TNyWebThread::Request request;
    request.address = std::move(address);
    request.body = std::move(body);
    request.timeout = timeout;
    const auto main_id = std::this_thread::get_id();
    request.on_complete = [&outcome, main_id](const BackgroundResult&) {
      ++outcome.completions;
      outcome.off_main_thread |= std::this_thread::get_id() != main_id;
    };
    request.on_finished = [&outcome, main_id](const BackgroundResult& result) {
      outcome.finished = result;
      outcome.took = Clock::now() - outcome.started;
      outcome.off_main_thread |= std::this_thread::get_id() != main_id;
    };
    outcome.started = Clock::now();
    TNyWebThread::Start(std::move(request), workers ? *workers : workers_, main_, messages_);
  }

  ServerProcess server_{"http_recorder.py"};
  ScriptedMessages messages_;
  PendingCalls main_;
  BackgroundWorkers workers_;  // last, so its threads are joined first
};

TEST_F(WebMailHttp, RequestsArriveByteForByte) {
  std::string every_byte;
  for (int c = 0; c < 256; ++c) every_byte += static_cast<char>(c);
  struct Case {
    std::string path;
    std::optional<std::string> body;
    std::string method;
  };
  const std::vector<Case> cases = {
      {"/page?a=1&b=%C3%A9", std::nullopt, "GET"},
      {"/binary", every_byte + "\r\n\r\n" + every_byte, "POST"},
      {"/empty", std::string(), "POST"},  // an empty body is still a POST
      {"/large", std::string(1500000, 'x') + "end", "POST"},
  };
  // All at once: the workers share nothing but libcurl's one-time set-up.
  std::vector<Outcome> outcomes(cases.size());
  for (size_t i = 0; i < cases.size(); ++i)
    Start(Address(cases[i].path), cases[i].body, outcomes[i]);
  ASSERT_TRUE(RunUntil(main_, [&] {
    return std::all_of(outcomes.begin(), outcomes.end(),
                       [](auto& o) { return o.finished.has_value(); });
  }));

  std::map<std::string, Received> arrived;  // by request line
  for (size_t i = 0; i < cases.size(); ++i) {
    const auto line = server_.NextLine(30s);
    ASSERT_TRUE(line);
    Received r = ParseRequest(*line);
    arrived[r.request_line] = r;
  }
  const std::string host = "127.0.0.1:" + std::to_string(server_.port());
  for (size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(cases[i].path);
    const Case& c = cases[i];
    EXPECT_EQ(outcomes[i].finished->failure, TransferFailure::None) << outcomes[i].finished->detail;
    EXPECT_EQ(outcomes[i].finished->code, 200);
    EXPECT_EQ(outcomes[i].completions, 1);
    EXPECT_FALSE(outcomes[i].off_main_thread);

    const std::string request_line = c.method + " " + c.path + " HTTP/1.1";
    ASSERT_TRUE(arrived.count(request_line));
    const Received& r = arrived[request_line];
    EXPECT_EQ(r.headers.at("user-agent"), "Tolvane[]");
    EXPECT_EQ(r.headers.at("host"), host);
    EXPECT_FALSE(r.headers.count("expect"));
    if (c.body) {
      EXPECT_EQ(r.headers.at("content-type"), "application/octet-stream");
      EXPECT_EQ(r.headers.at("content-length"), std::to_string(c.body->size()));
      EXPECT_EQ(r.body, *c.body);
    } else {
      EXPECT_FALSE(r.headers.count("content-type"));
      EXPECT_EQ(r.body, "");
    }
  }
  EXPECT_TRUE(messages_.shown().empty());
}

TEST_F(WebMailHttp, OnlyA2xxAnswerCallsTheHandler) {
  LocalSocket closed(false);
  ASSERT_GT(closed.port(), 0);
  struct Case {
    std::string what, address;
    std::chrono::milliseconds timeout;
    TransferFailure failure;
    long code;
    int completions;
  };
  const std::vector<Case> cases = {
      {"created", Address("/status/201"), 30s, TransferFailure::None, 201, 1},
      {"server error", Address("/status/500"), 30s, TransferFailure::None, 500, 0},
      {"not found", Address("/status/404"), 30s, TransferFailure::None, 404, 0},
      {"stalling server", Address("/stall"), 1000ms, TransferFailure::TimedOut, 0, 0},
      {"closed port", "http://127.0.0.1:" + std::to_string(closed.port()) + "/", 30s,
       TransferFailure::Refused, 0, 0},
      {"local file", "file:///etc/hostname", 30s, TransferFailure::BadAddress, 0, 0},
      {"blank in the host", "http://exa mple/", 30s, TransferFailure::BadAddress, 0, 0},
      {"no address", "", 30s, TransferFailure::BadAddress, 0, 0},
  };
  std::vector<Outcome> outcomes(cases.size());
  for (size_t i = 0; i < cases.size(); ++i)
    Start(cases[i].address, std::nullopt, outcomes[i], cases[i].timeout);
  ASSERT_TRUE(RunUntil(main_, [&] {
    return std::all_of(outcomes.begin(), outcomes.end(),
                       [](auto& o) { return o.finished.has_value(); });
  }));
  for (size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(cases[i].what);
    EXPECT_EQ(outcomes[i].finished->failure, cases[i].failure) << outcomes[i].finished->detail;
    EXPECT_EQ(outcomes[i].finished->code, cases[i].code);
    EXPECT_EQ(outcomes[i].completions, cases[i].completions);
    EXPECT_FALSE(outcomes[i].off_main_thread);
    if (cases[i].failure == TransferFailure::TimedOut) {
      EXPECT_GE(outcomes[i].took, 900ms);
      EXPECT_LT(outcomes[i].took, 15s);
    }
  }
  EXPECT_TRUE(messages_.shown().empty());  // a handler was given each time
}

TEST_F(WebMailHttp, WithoutAHandlerTheAddressAndStatusAreShown) {
  LocalSocket closed(false);
  const std::vector<std::string> addresses = {
      Address("/ok"), Address("/status/500"),
      "http://127.0.0.1:" + std::to_string(closed.port()) + "/nobody"};
  for (const auto& a : addresses) {
    TNyWebThread::Request request;
    request.address = a;
    request.body = "x=1";
    TNyWebThread::Start(std::move(request), workers_, main_, messages_);
  }
  ASSERT_TRUE(workers_.WaitIdle(60s));
  main_.RunPending();
  std::vector<std::string> shown = messages_.Texts();
  std::sort(shown.begin(), shown.end());
  std::vector<std::string> expected = {addresses[0] + " [200]", addresses[1] + " [500]",
                                       addresses[2] + " [0]"};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(shown, expected);
  for (const auto& m : messages_.shown()) EXPECT_EQ(m.kind, ScriptedMessages::Kind::Information);
}

TEST_F(WebMailHttp, ShuttingDownCancelsARequestInFlight) {
  Outcome outcome;
  auto workers = std::make_unique<BackgroundWorkers>();
  Start(Address("/stall"), std::nullopt, outcome, 60s, workers.get());
  ASSERT_TRUE(server_.NextLine(30s));  // the server holds it now
  const auto before = Clock::now();
  workers.reset();
  EXPECT_LT(Clock::now() - before, 5s);
  main_.RunPending();
  ASSERT_TRUE(outcome.finished);
  EXPECT_EQ(outcome.finished->failure, TransferFailure::Cancelled);
  EXPECT_EQ(outcome.completions, 0);
  EXPECT_TRUE(messages_.shown().empty());
}

// --- SMTP ----------------------------------------------------------------------

TNyMailThread::Request MailRequest(std::string sender, std::string recipient, std::string subject,
                                   std::string body, std::string host,
                                   std::chrono::milliseconds timeout = 30s) {
  TNyMailThread::Request r;
  r.sender = std::move(sender);
  r.recipient = std::move(recipient);
  r.subject = std::move(subject);
  r.body = std::move(body);
  r.host = std::move(host);
  r.timeout = timeout;
  return r;
}

struct Mail {
  std::string mail_argument, rcpt_argument, data, subject, sender_name, body;
  std::string broken_words;  // encoded-words that are no UTF-8 text on their own
};

class WebMailSmtp : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_GT(sink_.port(), 0) << "the SMTP sink did not start"; }

  std::string Host() const { return "127.0.0.1:" + std::to_string(sink_.port()); }

  void Send(TNyMailThread::Request request, Outcome& outcome) {
    const auto main_id = std::this_thread::get_id();
    request.on_complete = [&outcome, main_id](const BackgroundResult& result) {
      ++outcome.completions;
      outcome.finished = result;
      outcome.off_main_thread |= std::this_thread::get_id() != main_id;
    };
    TNyMailThread::Start(std::move(request), workers_, main_);
  }

  // Sends and waits for the handler.
  BackgroundResult SendAndWait(TNyMailThread::Request request, Outcome& outcome) {
    Send(std::move(request), outcome);
    EXPECT_TRUE(RunUntil(main_, [&] { return outcome.finished.has_value(); }));
    return outcome.finished.value_or(BackgroundResult{});
  }

  std::optional<Mail> NextMail() {
    const auto line = sink_.NextLine(30s);
    if (!line) return std::nullopt;
    const auto f = Fields(*line);
    if (f.size() != 8 || f[0] != "MAIL") return std::nullopt;
    return Mail{FromHex(f[1]), FromHex(f[2]), FromHex(f[3]), FromHex(f[4]),
                FromHex(f[5]), FromHex(f[6]), FromHex(f[7])};
  }

  ServerProcess sink_{"smtp_sink.py"};
  PendingCalls main_;
  BackgroundWorkers workers_;  // last, so its threads are joined first
};

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> out;
  size_t start = 0;
  for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
    out.push_back(text.substr(start, end - start));
  if (start < text.size()) out.push_back(text.substr(start));
  return out;
}

// The header block of a message, without its Date line (checked for form).
std::string HeadersWithoutDate(const std::string& data) {
  static const std::regex date(
      "^Date: (Mon|Tue|Wed|Thu|Fri|Sat|Sun), [0-9]{2} [A-Z][a-z]{2} [0-9]{4} "
      "[0-9]{2}:[0-9]{2}:[0-9]{2} \\+0000\r\n");
  std::smatch m;
  if (!std::regex_search(data, m, date)) return "no valid Date line first: " + data;
  return m.suffix();
}

TEST_F(WebMailSmtp, TheMessageArrivesAsComposed) {
  Outcome outcome;
  // Lines that are or start with dots, and every kind of line end.
  const auto result = SendAndWait(MailRequest("anne@example.org", "bob@example.net", "Minutes",
                                              "first\n.\n..two\r\n.hidden\rlast", Host()),
                                  outcome);
  EXPECT_EQ(result.failure, TransferFailure::None) << result.detail;
  EXPECT_EQ(result.code, 250);
  EXPECT_EQ(outcome.completions, 1);
  EXPECT_FALSE(outcome.off_main_thread);

  const auto mail = NextMail();
  ASSERT_TRUE(mail);
  EXPECT_EQ(mail->mail_argument.substr(0, mail->mail_argument.find(' ')),
            "FROM:<anne@example.org>");
  EXPECT_EQ(mail->rcpt_argument, "TO:<bob@example.net>");
  EXPECT_EQ(HeadersWithoutDate(mail->data),
            "From: anne@example.org\r\n"
            "To: bob@example.net\r\n"
            "Subject: Minutes\r\n"
            "MIME-Version: 1.0\r\n"
            "Content-Type: text/plain; charset=UTF-8\r\n"
            "Content-Transfer-Encoding: 7bit\r\n"
            "\r\n"
            "first\r\n"
            ".\r\n"
            "..two\r\n"
            ".hidden\r\n"
            "last\r\n");
}

TEST_F(WebMailSmtp, TextsDecodeToWhatWasGiven) {
  const std::string long_line = std::string(1500, 'a') + "= \t" + std::string(1500, 'b') + " ";
  std::string long_subject;
  for (int i = 0; i < 40; ++i) long_subject += "réunion ✓ ";
  struct Case {
    std::string what, sender, subject, body;
    std::string subject_read, name_read, body_read;
  };
  const std::vector<Case> cases = {
      {"accents", "Anne Élise <anne@example.org>", "Réunion d'été – ordre du jour",
       "Ça marche.\nÀ bientôt", "Réunion d'été – ordre du jour", "Anne Élise",
       "Ça marche.\r\nÀ bientôt\r\n"},
      {"long subject", "anne@example.org", long_subject, "x", long_subject, "", "x\r\n"},
      {"line too long to send as it is", "\"Smith, John\" <john@example.org>", "Long",
       long_line + "\nshort", "Long", "Smith, John", long_line + "\r\nshort\r\n"},
      {"line breaks in the subject", "anne@example.org", "Hi\r\nBcc: eve@example.org", "x",
       "Hi Bcc: eve@example.org", "", "x\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Outcome outcome;
    const auto result =
        SendAndWait(MailRequest(c.sender, "bob@example.net", c.subject, c.body, Host()), outcome);
    ASSERT_EQ(result.failure, TransferFailure::None) << result.detail;
    const auto mail = NextMail();
    ASSERT_TRUE(mail);
    EXPECT_EQ(mail->subject, c.subject_read);
    EXPECT_EQ(mail->sender_name, c.name_read);
    EXPECT_EQ(mail->body, c.body_read);
    EXPECT_EQ(mail->broken_words, "0");  // a decoder may take each word on its own
    // Headers are plain ASCII in lines of at most 76 characters; no line at all
    // is longer than SMTP allows.
    const std::string headers = mail->data.substr(0, mail->data.find("\r\n\r\n"));
    for (const auto& line : Lines(headers)) {
      EXPECT_LE(line.size(), 76u) << line;
      EXPECT_TRUE(std::all_of(line.begin(), line.end(), [](unsigned char ch) { return ch < 0x80; }))
          << line;
      EXPECT_FALSE(line.starts_with("Bcc:")) << line;
    }
    for (const auto& line : Lines(mail->data)) EXPECT_LE(line.size(), 998u);
  }
}

TEST_F(WebMailSmtp, FailuresKeepTheServersCode) {
  LocalSocket closed(false), silent(true);
  ASSERT_GT(closed.port(), 0);
  ASSERT_GT(silent.port(), 0);
  struct Case {
    std::string what, sender, recipient, host;
    std::chrono::milliseconds timeout;
    TransferFailure failure;
    long code;
  };
  const std::string local = "127.0.0.1:";
  const std::vector<Case> cases = {
      {"recipient rejected", "anne@example.org", "reject@example.net", Host(), 30s,
       TransferFailure::Failed, 550},
      {"closed port", "anne@example.org", "bob@example.net", local + std::to_string(closed.port()),
       30s, TransferFailure::Refused, 0},
      {"server never greets", "anne@example.org", "bob@example.net",
       local + std::to_string(silent.port()), 700ms, TransferFailure::TimedOut, 0},
      {"blank in the host", "anne@example.org", "bob@example.net", "exa mple", 30s,
       TransferFailure::BadAddress, 0},
      {"port out of range", "anne@example.org", "bob@example.net", "127.0.0.1:65536", 30s,
       TransferFailure::BadAddress, 0},
      {"command in the sender", "anne@example.org>\r\nRCPT TO:<eve@example.org", "bob@example.net",
       Host(), 30s, TransferFailure::BadAddress, 0},
      {"recipient without domain", "anne@example.org", "bob", Host(), 30s,
       TransferFailure::BadAddress, 0},
  };
  std::vector<Outcome> outcomes(cases.size());
  for (size_t i = 0; i < cases.size(); ++i)
    Send(
        MailRequest(cases[i].sender, cases[i].recipient, "s", "b", cases[i].host, cases[i].timeout),
        outcomes[i]);
  ASSERT_TRUE(RunUntil(main_, [&] {
    return std::all_of(outcomes.begin(), outcomes.end(),
                       [](auto& o) { return o.finished.has_value(); });
  }));
  for (size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(cases[i].what);
    EXPECT_EQ(outcomes[i].finished->failure, cases[i].failure) << outcomes[i].finished->detail;
    EXPECT_EQ(outcomes[i].finished->code, cases[i].code);
    EXPECT_EQ(outcomes[i].completions, 1);
    EXPECT_FALSE(outcomes[i].off_main_thread);
  }
  EXPECT_FALSE(sink_.NextLine(200ms)) << "no message may have been accepted";
}

TEST(WebMailSmtpHost, ReadsHostAndPort) {
  struct Case {
    std::string text;
    std::optional<SmtpEndpoint> endpoint;
  };
  const std::vector<Case> cases = {
      {"mail.example.org", SmtpEndpoint{"mail.example.org", 25}},
      {" mail.example.org:2525 ", SmtpEndpoint{"mail.example.org", 2525}},
      {"127.0.0.1:65535", SmtpEndpoint{"127.0.0.1", 65535}},
      {"[::1]:26", SmtpEndpoint{"[::1]", 26}},
      {"[::1]", SmtpEndpoint{"[::1]", 25}},
      {"fe80::1", SmtpEndpoint{"[fe80::1]", 25}},
      {"", std::nullopt},
      {"host:", std::nullopt},
      {"host:0", std::nullopt},
      {"host:65536", std::nullopt},
      {"host:25x", std::nullopt},
      {"host:-25", std::nullopt},
      {"user@host", std::nullopt},
      {"host/path", std::nullopt},
      {"ho st", std::nullopt},
      {"host\r\n", std::nullopt},
      {"[::1", std::nullopt},
      {"[::1]x", std::nullopt},
      {"[host]:25", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseSmtpHost(c.text), c.endpoint) << "'" << c.text << "'";
}

}  // namespace
}  // namespace tolvane
