#include "richtext/markup_parameters.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "common/hex_id.h"
#include "platform/messages.h"

namespace tolvane {
namespace {

constexpr const char* kTruncated = "Truncated line!";
constexpr size_t kValueWindow = 12;  // the blank ending a value comes within this
constexpr size_t kFaceSearch = 256;

}  // namespace

bool ParameterReader::Text(char letter, std::string_view* value) {
  if (!At(letter)) return false;
  size_t start = pos_ + 1;
  size_t window = std::min(data_.size() - start, kValueWindow);
  const void* blank = window ? std::memchr(data_.data() + start, ' ', window) : nullptr;
  if (!blank) {
    messages_.ShowError(kTruncated);
    return false;
  }
  size_t end = static_cast<size_t>(static_cast<const char*>(blank) - data_.data());
  *value = data_.substr(start, end - start);
  pos_ = end + 1;
  return true;
}

bool ParameterReader::Integer(char letter, int32_t* out) {
  size_t before = pos_;
  std::string_view v;
  if (!Text(letter, &v)) return false;
  bool negative = !v.empty() && v[0] == '-';
  size_t i = negative ? 1 : 0;
  if (i == v.size()) {
    pos_ = before;
    return false;
  }
  int64_t n = 0;
  for (; i < v.size(); ++i) {
    if (v[i] < '0' || v[i] > '9') {
      pos_ = before;  // not a number: absent
      return false;
    }
    n = std::min<int64_t>(n * 10 + (v[i] - '0'), int64_t{1} << 32);
  }
  *out = static_cast<int32_t>(std::clamp<int64_t>(negative ? -n : n, INT32_MIN, INT32_MAX));
  return true;
}

bool ParameterReader::Colour(char letter, uint32_t* out) {
  size_t before = pos_;
  std::string_view v;
  if (!Text(letter, &v)) return false;
  int d[6];
  bool ok = v.size() == 6;
  for (size_t i = 0; ok && i < 6; ++i) ok = (d[i] = HexDigitValue(v[i])) >= 0;
  if (!ok) {
    pos_ = before;
    return false;
  }
  // Written red, green, blue; held with red in the low byte.
  uint32_t r = static_cast<uint32_t>(d[0] * 16 + d[1]), g = static_cast<uint32_t>(d[2] * 16 + d[3]),
           b = static_cast<uint32_t>(d[4] * 16 + d[5]);
  *out = r | (g << 8) | (b << 16);
  return true;
}

bool ParameterReader::Face(char letter, size_t limit, AnsiString* out) {
  if (!At(letter) || pos_ + 1 >= data_.size() || data_[pos_ + 1] != '"') return false;
  size_t start = pos_ + 2;
  size_t window = std::min(data_.size() - start, kFaceSearch);
  const void* quote = window ? std::memchr(data_.data() + start, '"', window) : nullptr;
  if (!quote) {
    messages_.ShowInformation(kTruncated);
    return false;
  }
  size_t end = static_cast<size_t>(static_cast<const char*>(quote) - data_.data());
  *out = AnsiString(data_.substr(start, std::min(end - start, limit)));
  pos_ = end + 1;
  if (pos_ < data_.size() && data_[pos_] == ' ') ++pos_;
  return true;
}

void ParameterReader::SkipPast(char c) {
  size_t q = data_.find(c, std::min(pos_, data_.size()));
  pos_ = q == std::string_view::npos ? data_.size() : q + 1;
}

}  // namespace tolvane
