// A small writer of JSON text: objects, arrays, strings, numbers, booleans.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane {

class JsonWriter {
 public:
  JsonWriter& BeginObject();
  JsonWriter& EndObject();
  JsonWriter& BeginArray();
  JsonWriter& EndArray();
  JsonWriter& Key(std::string_view key);
  JsonWriter& String(std::string_view utf8);
  JsonWriter& Number(int64_t n);
  JsonWriter& Bool(bool b);
  template <typename T>
  JsonWriter& Field(std::string_view key, const T& value) {
    Key(key);
    if constexpr (std::is_same_v<T, bool>) return Bool(value);
    else if constexpr (std::is_arithmetic_v<T>) return Number(static_cast<int64_t>(value));
    else return String(value);
  }
  const std::string& text() const { return out_; }

 private:
  void Separate();
  std::string out_;
  std::vector<bool> first_;  // per open container: nothing written in it yet
  bool afterKey_ = false;
};

}  // namespace tolvane
