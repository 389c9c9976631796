// JSON as the stand-in host reads and writes it: drawings, log lines. UTF-8 throughout; doubles
// written shortest-round-trip so that they read back bit for bit.
#pragma once

#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "sim/Error.h"

namespace orbelle::sim {

// UTF-8 <-> wide text, whatever the width of wchar_t (UTF-16 on Windows, UTF-32 elsewhere).
// Invalid input becomes U+FFFD rather than an error: log text must never be lost.
std::string toUtf8(std::wstring_view text);
std::wstring fromUtf8(std::string_view text);

namespace json {

// Literals for writing.
std::string quote(std::string_view utf8);
std::string quote(std::wstring_view text);
std::string number(double value);  // non-finite values as the strings "nan", "inf", "-inf"
std::string integer(long long value);

// Builds one JSON object, keys in the order added.
class ObjectWriter {
 public:
  ObjectWriter& raw(std::string_view key, std::string_view json);
  ObjectWriter& text(std::string_view key, std::wstring_view value) {
    return raw(key, quote(value));
  }
  ObjectWriter& number(std::string_view key, double value) { return raw(key, json::number(value)); }
  ObjectWriter& integer(std::string_view key, long long value) {
    return raw(key, json::integer(value));
  }
  ObjectWriter& boolean(std::string_view key, bool value) {
    return raw(key, value ? "true" : "false");
  }
  std::string str() const { return body_ + "}"; }

 private:
  std::string body_ = "{";
};

std::string array(const std::vector<std::string>& items);  // items already JSON

// A parsed document.
struct Value;
using Object = std::vector<std::pair<std::string, Value>>;  // keeps the file's order
using Array = std::vector<Value>;

struct Value {
  std::variant<std::nullptr_t, bool, double, std::string, std::shared_ptr<Array>,
               std::shared_ptr<Object>>
      data = nullptr;
  int line = 0;  // where it starts in the text, for messages

  bool isNull() const { return std::holds_alternative<std::nullptr_t>(data); }
  bool isNumber() const { return std::holds_alternative<double>(data); }
  bool isString() const { return std::holds_alternative<std::string>(data); }
  bool isArray() const { return std::holds_alternative<std::shared_ptr<Array>>(data); }
  bool isObject() const { return std::holds_alternative<std::shared_ptr<Object>>(data); }
  const Array& array() const { return *std::get<std::shared_ptr<Array>>(data); }
  const Object& object() const { return *std::get<std::shared_ptr<Object>>(data); }
  // The member `key` of an object, or null when it has none.
  const Value* find(std::string_view key) const;
};

// What is wrong and where (1-based line).
class ParseError : public LineError {
 public:
  using LineError::LineError;
};

Value parse(std::string_view text);

}  // namespace json
}  // namespace orbelle::sim
