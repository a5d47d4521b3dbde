#include "publish/ftp_listing.h"

#include <cctype>
#include <charconv>
#include <ctime>

namespace tolvane {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A whole number made of digits only (blanks around it allowed); -1 otherwise.
int64_t Number(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  if (s.empty() || s.size() > 18) return -1;
  int64_t v = 0;
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  return ec == std::errc() && end == s.data() + s.size() && v >= 0 ? v : -1;
}

int32_t Size32(int64_t v) { return v < 0 ? 0 : v > INT32_MAX ? INT32_MAX : static_cast<int32_t>(v); }

// The last blank-separated field of `s`.
std::string_view LastField(std::string_view s) {
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  const size_t blank = s.rfind(' ');
  return blank == std::string_view::npos ? s : s.substr(blank + 1);
}

int MonthOf(std::string_view abbreviation) {
  static constexpr const char* kMonths[12] = {"jan", "feb", "mar", "apr", "may", "jun",
                                              "jul", "aug", "sep", "oct", "nov", "dec"};
  if (abbreviation.size() != 3) return 0;
  for (int m = 0; m < 12; ++m) {
    bool same = true;
    for (int i = 0; i < 3; ++i)
      same = same && std::tolower(static_cast<unsigned char>(abbreviation[static_cast<size_t>(i)])) == kMonths[m][i];
    if (same) return m + 1;
  }
  return 0;
}

bool Encodable(const FtpDateTime& d) {
  static constexpr int kDays[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (d.year < 1 || d.year > 9999 || d.month < 1 || d.month > 12 || d.day < 1 || d.hour < 0 || d.hour > 23 ||
      d.minute < 0 || d.minute > 59)
    return false;
  const bool leap = (d.year % 4 == 0 && d.year % 100 != 0) || d.year % 400 == 0;
  return d.day <= (d.month == 2 && !leap ? 28 : kDays[d.month - 1]);
}

FtpEntry UnixLine(std::string_view line, int currentYear) {
  FtpEntry e;
  switch (line[0]) {
    case '-': e.kind = FtpEntryKind::file; break;
    case 'd': e.kind = FtpEntryKind::directory; break;
    case 'l': e.kind = FtpEntryKind::link; break;
    default: break;  // "s": a socket, listed but not offered
  }
  // The name follows the blank that ends the date: a time ("13:45") or a
  // year (" 2025"), so a digit four places before that blank and one just
  // before it. Trying the blanks from the last one backwards lets names hold
  // blanks.
  auto endsDate = [&](size_t b) {
    if (b < 5) return false;
    const std::string_view d = line.substr(b - 5, 5);
    const bool time = IsDigit(d[0]) && IsDigit(d[1]) && d[2] == ':' && IsDigit(d[3]) && IsDigit(d[4]);
    const bool year = d[0] == ' ' && IsDigit(d[1]) && IsDigit(d[2]) && IsDigit(d[3]) && IsDigit(d[4]);
    return time || year;
  };
  size_t blank = line.rfind(' ');
  while (blank != std::string_view::npos && !endsDate(blank)) {
    blank = blank == 0 ? std::string_view::npos : line.rfind(' ', blank - 1);
  }
  if (blank == std::string_view::npos || blank < 12) return {};
  e.name = std::string(line.substr(blank + 1));
  if (e.name.empty()) return {};
  const std::string_view date = line.substr(blank - 12, 12);  // "Dec 11 13:45" or "Dec 11  2025"
  const int64_t size = Number(LastField(line.substr(0, blank - 12)));
  if (size < 0) return {};
  e.size = Size32(size);
  FtpDateTime d;
  d.month = MonthOf(date.substr(0, 3));
  d.day = static_cast<int>(Number(date.substr(4, 2)));
  const std::string_view last = date.substr(7, 5);
  if (last.size() == 5 && last[2] == ':') {
    d.year = currentYear;
    d.hour = static_cast<int>(Number(last.substr(0, 2)));
    d.minute = static_cast<int>(Number(last.substr(3, 2)));
  } else {
    d.year = static_cast<int>(Number(last));
  }
  d.valid = Encodable(d);
  if (d.valid) e.modified = d;
  return e;
}

FtpEntry DosLine(std::string_view line) {
  FtpEntry e;
  e.kind = line.find("<DIR>") != std::string_view::npos ? FtpEntryKind::directory : FtpEntryKind::file;
  std::string_view rest = line;
  while (!rest.empty() && rest.back() == ' ') rest.remove_suffix(1);
  const size_t blank = rest.rfind(' ');
  if (blank == std::string_view::npos) return {};
  e.name = std::string(rest.substr(blank + 1));
  const std::string_view size = LastField(rest.substr(0, blank));
  if (e.kind == FtpEntryKind::file) {
    const int64_t n = Number("0" + std::string(size));
    if (n < 0) return {};
    e.size = Size32(n);
  }
  // "12-11-26  01:45PM": month, day, year, hour, minute, AM or PM.
  if (line.size() >= 17) {
    const std::string_view stamp = line.substr(0, 17);
    FtpDateTime d;
    d.month = static_cast<int>(Number(stamp.substr(0, 2)));
    d.day = static_cast<int>(Number(stamp.substr(3, 2)));
    d.year = static_cast<int>(Number(stamp.substr(6, 2)));
    if (d.year >= 0) d.year += d.year < 70 ? 2000 : 1900;
    d.hour = static_cast<int>(Number(stamp.substr(10, 2)));
    d.minute = static_cast<int>(Number(stamp.substr(13, 2)));
    const char half = static_cast<char>(std::toupper(static_cast<unsigned char>(stamp[15])));
    if (half == 'P' && d.hour >= 1 && d.hour < 12) d.hour += 12;
    else if (half == 'A' && d.hour == 12) d.hour = 0;
    else if (half != 'A' && half != 'P') d.hour = -1;
    d.valid = Encodable(d);
    if (d.valid) e.modified = d;
  }
  return e;
}

int ClockYear() {
  const std::time_t now = std::time(nullptr);
  std::tm parts{};
  localtime_r(&now, &parts);
  return parts.tm_year + 1900;
}

}  // namespace

FtpEntry ParseListingLine(std::string_view line, int currentYear) {
  while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.remove_suffix(1);
  if (line.empty() || line.starts_with("total") || line.find_first_of("\r\n") != std::string_view::npos) return {};
  const char first = line[0];
  if (first == '-' || first == 'd' || first == 'l' || first == 's') return UnixLine(line, currentYear);
  if (IsDigit(first)) return DosLine(line);
  return {};
}

void FtpListing::Reset(std::string text) {
  text_ = std::move(text);
  lines_.clear();
  split_ = false;
  next_ = 0;
}

FtpEntry FtpListing::NextEntry() {
  if (!split_) {
    split_ = true;
    // Lines end at CR, LF or both: a name never holds a line break.
    size_t start = 0;
    while (start < text_.size()) {
      size_t end = text_.find_first_of("\r\n", start);
      if (end == std::string::npos) end = text_.size();
      lines_.push_back(text_.substr(start, end - start));
      start = end + (text_.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
    text_.clear();
  }
  const int year = currentYear > 0 ? currentYear : ClockYear();
  while (next_ < lines_.size()) {
    FtpEntry e = ParseListingLine(lines_[next_++], year);
    if (e.kind != FtpEntryKind::none && e.name != "." && e.name != "..") return e;
  }
  return {};
}

}  // namespace tolvane
