#include "cli/json_writer.h"

#include <cstdio>

namespace tolvane {

void JsonWriter::Separate() {
  if (afterKey_) {
    afterKey_ = false;
    return;
  }
  if (!first_.empty()) {
    if (!first_.back()) out_ += ',';
    first_.back() = false;
  }
}

JsonWriter& JsonWriter::BeginObject() {
  Separate();
  out_ += '{';
  first_.push_back(true);
  return *this;
}
JsonWriter& JsonWriter::EndObject() {
  out_ += '}';
  first_.pop_back();
  return *this;
}
JsonWriter& JsonWriter::BeginArray() {
  Separate();
  out_ += '[';
  first_.push_back(true);
  return *this;
}
JsonWriter& JsonWriter::EndArray() {
  out_ += ']';
  first_.pop_back();
  return *this;
}
JsonWriter& JsonWriter::Key(std::string_view key) {
  String(key);
  out_ += ':';
  afterKey_ = true;
  return *this;
}
JsonWriter& JsonWriter::String(std::string_view s) {
  Separate();
  out_ += '"';
  for (char ch : s) {
    auto c = static_cast<unsigned char>(ch);
    switch (ch) {
      case '"': out_ += "\\\""; break;
      case '\\': out_ += "\\\\"; break;
      case '\n': out_ += "\\n"; break;
      case '\r': out_ += "\\r"; break;
      case '\t': out_ += "\\t"; break;
      default:
        if (c < 0x20) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", c);
          out_ += buf;
        } else {
          out_ += ch;
        }
    }
  }
  out_ += '"';
  return *this;
}
JsonWriter& JsonWriter::Number(int64_t n) {
  Separate();
  out_ += std::to_string(n);
  return *this;
}
JsonWriter& JsonWriter::Bool(bool b) {
  Separate();
  out_ += b ? "true" : "false";
  return *this;
}

}  // namespace tolvane
