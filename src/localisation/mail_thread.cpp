#include "localisation/mail_thread.h"

#include <cstring>
#include <ctime>
#include <memory>

#include "localisation/curl_transfer.h"

namespace tolvane {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsHex(char c) { return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
bool IsAlnum(char c) { return IsDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

bool IsIpv6Literal(std::string_view s) {
  if (s.find(':') == std::string_view::npos) return false;
  for (char c : s)
    if (!IsHex(c) && c != ':' && c != '.') return false;
  return true;
}

bool IsHostName(std::string_view s) {
  if (s.empty() || s.size() > 253 || s.front() == '.' || s.front() == '-') return false;
  for (char c : s)
    if (!IsAlnum(c) && c != '-' && c != '.' && c != '_') return false;
  return true;
}

std::optional<int> ParsePort(std::string_view s) {
  if (s.empty() || s.size() > 5) return std::nullopt;
  int port = 0;
  for (char c : s) {
    if (!IsDigit(c)) return std::nullopt;
    port = port * 10 + (c - '0');
  }
  if (port < 1 || port > 65535) return std::nullopt;
  return port;
}

// --- Header texts ------------------------------------------------------------

struct Mailbox {
  std::string name;     // display name, UTF-8, may be empty
  std::string address;  // what the envelope carries
};

bool IsAscii(std::string_view s) {
  for (unsigned char c : s)
    if (c >= 0x80) return false;
  return true;
}

// Control characters would end a header line or an SMTP command early.
std::string WithoutControls(std::string_view s) {
  std::string out;
  for (unsigned char c : s) {
    const bool control = c < 0x20 || c == 0x7f;
    if (!control) {
      out += static_cast<char>(c);
    } else if (out.empty() || out.back() != ' ') {
      out += ' ';
    }
  }
  return out;
}

std::optional<Mailbox> ParseMailbox(std::string_view text) {
  text = Trim(text);
  Mailbox box;
  std::string_view address = text;
  const size_t open = text.rfind('<');
  if (!text.empty() && text.back() == '>' && open != std::string_view::npos) {
    address = text.substr(open + 1, text.size() - open - 2);
    std::string_view name = Trim(text.substr(0, open));
    if (name.size() >= 2 && name.front() == '"' && name.back() == '"')
      name = name.substr(1, name.size() - 2);
    box.name = std::string(Trim(WithoutControls(name)));
  }
  const size_t at = address.rfind('@');
  if (at == std::string_view::npos || at == 0 || at + 1 == address.size()) return std::nullopt;
  for (unsigned char c : address)
    if (c <= 0x20 || c >= 0x7f || std::strchr("<>()[],;\"\\", c)) return std::nullopt;
  box.address = std::string(address);
  return box;
}

std::string Base64(std::string_view bytes) {
  static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  for (size_t i = 0; i < bytes.size(); i += 3) {
    unsigned v = static_cast<unsigned char>(bytes[i]) << 16;
    if (i + 1 < bytes.size()) v |= static_cast<unsigned char>(bytes[i + 1]) << 8;
    if (i + 2 < bytes.size()) v |= static_cast<unsigned char>(bytes[i + 2]);
    out += kDigits[(v >> 18) & 63];
    out += kDigits[(v >> 12) & 63];
    out += i + 1 < bytes.size() ? kDigits[(v >> 6) & 63] : '=';
    out += i + 2 < bytes.size() ? kDigits[v & 63] : '=';
  }
  return out;
}

size_t Utf8Length(unsigned char lead) {
  if (lead >= 0xF0 && lead <= 0xF7) return 4;
  if (lead >= 0xE0) return lead <= 0xEF ? 3 : 1;
  if (lead >= 0xC0) return 2;
  return 1;
}

// RFC 2047 encoded-words, folded one to a line, every line within 76
// characters; `column` is where the first word starts. A word never splits a
// UTF-8 sequence, since a decoder may decode each word on its own.
std::string EncodedWords(std::string_view text, size_t column) {
  constexpr size_t kLine = 76, kFrame = 12;  // "=?UTF-8?B?" and "?="
  std::string out;
  size_t i = 0;
  while (i < text.size()) {
    const size_t room = kLine > column + kFrame + 4 ? kLine - column - kFrame : 4;
    const size_t bytes = room / 4 * 3;
    size_t end = i;
    while (end < text.size()) {
      const size_t next = std::min(text.size(), end + Utf8Length(text[end]));
      if (next - i > bytes && end > i) break;
      end = next;
    }
    if (!out.empty()) out += "\r\n ";
    out += "=?UTF-8?B?" + Base64(text.substr(i, end - i)) + "?=";
    i = end;
    column = 1;
  }
  return out;
}

size_t LastLineLength(std::string_view folded) {
  const size_t fold = folded.rfind('\n');
  return fold == std::string_view::npos ? folded.size() : folded.size() - fold - 1;
}

std::string HeaderText(std::string_view text, size_t column) {
  const std::string clean = WithoutControls(text);
  // Long ASCII subjects are encoded too: the words fold, so no line gets too long.
  if (IsAscii(clean) && clean.find("=?") == std::string::npos && clean.size() <= 900) return clean;
  return EncodedWords(clean, column);
}

std::string FormatMailbox(const Mailbox& box, size_t column) {
  if (box.name.empty()) return box.address;
  std::string name;
  if (!IsAscii(box.name)) {
    name = EncodedWords(box.name, column);
  } else if (box.name.find_first_of("()<>[]:;@\\,.\"") != std::string::npos) {
    name = "\"";
    for (char c : box.name) {
      if (c == '"' || c == '\\') name += '\\';
      name += c;
    }
    name += '"';
  } else {
    name = box.name;
  }
  const std::string address = "<" + box.address + ">";
  const size_t width = (name.find('\n') == std::string::npos ? column : 0) + LastLineLength(name);
  return name + (width + 1 + address.size() > 76 ? "\r\n " : " ") + address;
}

// Fixed English names: the date must not follow the user's locale.
std::string DateHeader(std::time_t now) {
  static const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                  "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  std::tm t{};
  gmtime_r(&now, &t);
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%s, %02d %s %04d %02d:%02d:%02d +0000", kDays[t.tm_wday],
                t.tm_mday, kMonths[t.tm_mon], t.tm_year + 1900, t.tm_hour, t.tm_min, t.tm_sec);
  return buffer;
}

// --- Body --------------------------------------------------------------------

std::string WithCrLf(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 16 + 2);
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r') {
      out += "\r\n";
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else if (c == '\n') {
      out += "\r\n";
    } else {
      out += c;
    }
  }
  if (!out.empty() && !out.ends_with("\r\n")) out += "\r\n";
  return out;
}

// Lines over 998 bytes or NUL bytes do not travel as they are.
bool NeedsQuotedPrintable(std::string_view crlf_text) {
  size_t line = 0;
  for (size_t i = 0; i < crlf_text.size(); ++i) {
    if (crlf_text[i] == '\0') return true;
    if (crlf_text[i] == '\r' && i + 1 < crlf_text.size() && crlf_text[i + 1] == '\n') {
      line = 0;
      ++i;
    } else if (++line > 998) {
      return true;
    }
  }
  return false;
}

std::string QuotedPrintable(std::string_view crlf_text) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  size_t start = 0;
  while (start < crlf_text.size()) {
    size_t end = crlf_text.find("\r\n", start);
    if (end == std::string_view::npos) end = crlf_text.size();
    const std::string_view line = crlf_text.substr(start, end - start);
    size_t width = 0;
    for (size_t i = 0; i < line.size(); ++i) {
      const unsigned char c = line[i];
      const bool last = i + 1 == line.size();
      std::string piece;
      if ((c >= 33 && c <= 126 && c != '=') || ((c == ' ' || c == '\t') && !last)) {
        piece = static_cast<char>(c);
      } else {
        piece = {'=', kHex[c >> 4], kHex[c & 15]};
      }
      if (width + piece.size() > 75) {  // the soft break's "=" makes 76
        out += "=\r\n";
        width = 0;
      }
      out += piece;
      width += piece.size();
    }
    out += "\r\n";
    start = end + 2;
  }
  return out;
}

std::string Compose(const Mailbox& from, const Mailbox& to, std::string_view subject,
                    std::string_view body) {
  std::string text = WithCrLf(body);
  const char* encoding = IsAscii(text) ? "7bit" : "8bit";
  if (NeedsQuotedPrintable(text)) {
    text = QuotedPrintable(text);
    encoding = "quoted-printable";
  }
  std::string message;
  message += "Date: " + DateHeader(std::time(nullptr)) + "\r\n";
  message += "From: " + FormatMailbox(from, 6) + "\r\n";
  message += "To: " + FormatMailbox(to, 4) + "\r\n";
  message += "Subject: " + HeaderText(subject, 9) + "\r\n";
  message += "MIME-Version: 1.0\r\n";
  message += "Content-Type: text/plain; charset=UTF-8\r\n";
  message += std::string("Content-Transfer-Encoding: ") + encoding + "\r\n";
  message += "\r\n";
  // libcurl doubles a "." that starts a line, and ends the data itself.
  message += text;
  return message;
}

// --- Sending -------------------------------------------------------------------

struct Upload {
  const std::string* data;
  size_t offset = 0;
};

size_t ReadUpload(char* buffer, size_t size, size_t count, void* user) {
  auto* upload = static_cast<Upload*>(user);
  const size_t n = std::min(size * count, upload->data->size() - upload->offset);
  std::memcpy(buffer, upload->data->data() + upload->offset, n);
  upload->offset += n;
  return n;
}

BackgroundResult Send(const TNyMailThread::Request& request, std::stop_token stop) {
  BackgroundResult result;
  const auto endpoint = ParseSmtpHost(request.host);
  const auto from = ParseMailbox(request.sender);
  const auto to = ParseMailbox(request.recipient);
  if (!endpoint || !from || !to) {
    result.failure = TransferFailure::BadAddress;
    result.detail = !endpoint ? "unusable SMTP host"
                    : !from   ? "unusable sender"
                              : "unusable recipient";
    return result;
  }
  const std::string message = Compose(*from, *to, request.subject, request.body);
  curl_transfer::Easy easy = curl_transfer::NewEasy("smtp", request.timeout);
  curl_transfer::List recipients;
  if (!easy || !curl_transfer::Append(recipients, to->address.c_str())) {
    result.failure = TransferFailure::Failed;
    result.detail = "libcurl could not be set up";
    return result;
  }
  CURL* e = easy.get();
  const std::string url = "smtp://" + endpoint->host + ":" + std::to_string(endpoint->port);
  Upload upload{&message};
  curl_easy_setopt(e, CURLOPT_URL, url.c_str());
  curl_easy_setopt(e, CURLOPT_MAIL_FROM, from->address.c_str());
  curl_easy_setopt(e, CURLOPT_MAIL_RCPT, recipients.get());
  curl_easy_setopt(e, CURLOPT_UPLOAD, 1L);
  curl_easy_setopt(e, CURLOPT_READFUNCTION, ReadUpload);
  curl_easy_setopt(e, CURLOPT_READDATA, &upload);
  curl_easy_setopt(e, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(message.size()));
  curl_transfer::Perform(e, stop, result);
  return result;
}

}  // namespace

std::optional<SmtpEndpoint> ParseSmtpHost(std::string_view text) {
  text = Trim(text);
  SmtpEndpoint endpoint;
  std::string_view host = text;
  std::string_view port;
  if (text.starts_with('[')) {
    const size_t close = text.find(']');
    if (close == std::string_view::npos || !IsIpv6Literal(text.substr(1, close - 1)))
      return std::nullopt;
    host = text.substr(0, close + 1);
    const std::string_view rest = text.substr(close + 1);
    if (!rest.empty()) {
      if (rest.front() != ':') return std::nullopt;
      port = rest.substr(1);
      if (port.empty()) return std::nullopt;
    }
    endpoint.host = std::string(host);
  } else if (IsIpv6Literal(text) && text.find(':') != text.rfind(':')) {
    endpoint.host = "[" + std::string(text) + "]";  // a bare IPv6 address: no port
  } else {
    const size_t colon = text.find(':');
    if (colon != std::string_view::npos) {
      host = text.substr(0, colon);
      port = text.substr(colon + 1);
      if (port.empty()) return std::nullopt;
    }
    if (!IsHostName(host)) return std::nullopt;
    endpoint.host = std::string(host);
  }
  if (!port.empty()) {
    const auto number = ParsePort(port);
    if (!number) return std::nullopt;
    endpoint.port = *number;
  }
  return endpoint;
}

void TNyMailThread::Start(Request request, BackgroundWorkers& workers, MainThreadQueue& main) {
  auto state = std::make_shared<Request>(std::move(request));
  // The main thread ends up holding the request alone, so the caller's handler
  // is destroyed where it ran.
  auto deliver = [queue = &main](std::shared_ptr<Request> state, BackgroundResult result) {
    std::string().swap(state->body);
    queue->Post([state = std::move(state), result = std::move(result)] {
      if (state->on_complete) state->on_complete(result);
    });
  };
  const bool started = workers.Launch([state, deliver](std::stop_token stop) mutable {
    BackgroundResult result;
    try {
      result = Send(*state, stop);
    } catch (...) {
      result.failure = TransferFailure::Failed;
      result.detail = "unexpected error";
    }
    deliver(std::move(state), std::move(result));
  });
  if (!started) {
    BackgroundResult result;
    result.failure = TransferFailure::Failed;
    result.detail = "no thread for the mail";
    try {
      deliver(std::move(state), std::move(result));
    } catch (...) {
    }
  }
}

}  // namespace tolvane
