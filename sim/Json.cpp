#include "sim/Json.h"

#include <charconv>
#include <cmath>
#include <cstdint>

#include "base/Utf8.h"

namespace orbelle::sim {

std::string toUtf8(std::wstring_view text) {
  return base::wideToUtf8(text);
}

std::wstring fromUtf8(std::string_view text) {
  return base::utf8ToWide(text);
}

namespace json {

std::string quote(std::string_view utf8) {
  std::string out = "\"";
  for (char ch : utf8) {
    const auto c = static_cast<unsigned char>(ch);
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (c < 0x20) {
          static constexpr char kHex[] = "0123456789abcdef";
          out += "\\u00";
          out += kHex[c >> 4];
          out += kHex[c & 15];
        } else {
          out += ch;
        }
    }
  }
  return out + "\"";
}

std::string quote(std::wstring_view text) {
  return quote(toUtf8(text));
}

std::string number(double value) {
  if (std::isnan(value))
    return "\"nan\"";
  if (std::isinf(value))
    return value > 0 ? "\"inf\"" : "\"-inf\"";
  char buffer[40];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

std::string integer(long long value) {
  return std::to_string(value);
}

ObjectWriter& ObjectWriter::raw(std::string_view key, std::string_view json) {
  if (body_.size() > 1)
    body_ += ',';
  body_ += quote(key);
  body_ += ':';
  body_ += json;
  return *this;
}

std::string array(const std::vector<std::string>& items) {
  std::string out = "[";
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i > 0)
      out += ',';
    out += items[i];
  }
  return out + "]";
}

const Value* Value::find(std::string_view key) const {
  if (!isObject())
    return nullptr;
  for (const auto& [name, value] : object()) {
    if (name == key)
      return &value;
  }
  return nullptr;
}

namespace {

class Parser {
 public:
  explicit Parser(std::string_view text) : text_(text) {}

  Value document() {
    Value value = parseValue(0);
    skipBlanks();
    if (at_ != text_.size())
      fail("unexpected text after the end of the document");
    return value;
  }

 private:
  [[noreturn]] void fail(const std::string& what) const { throw ParseError(line_, what); }

  void skipBlanks() {
    while (at_ < text_.size()) {
      const char c = text_[at_];
      if (c == '\n')
        ++line_;
      else if (c != ' ' && c != '\t' && c != '\r')
        return;
      ++at_;
    }
  }

  char peek() {
    skipBlanks();
    if (at_ >= text_.size())
      fail("unexpected end of the document");
    return text_[at_];
  }

  void expect(char c) {
    if (peek() != c)
      fail(std::string("expected '") + c + "' but found '" + text_[at_] + "'");
    ++at_;
  }

  Value parseValue(int depth) {
    if (depth > 64)
      fail("nesting deeper than 64 levels");
    const char c = peek();
    Value value;
    value.line = line_;
    if (c == '{') {
      value.data = parseObject(depth);
    } else if (c == '[') {
      value.data = parseArray(depth);
    } else if (c == '"') {
      value.data = parseString();
    } else if (c == '-' || (c >= '0' && c <= '9')) {
      value.data = parseNumber();
    } else if (text_.substr(at_, 4) == "true") {
      at_ += 4;
      value.data = true;
    } else if (text_.substr(at_, 5) == "false") {
      at_ += 5;
      value.data = false;
    } else if (text_.substr(at_, 4) == "null") {
      at_ += 4;
    } else {
      fail(std::string("unexpected character '") + c + "'");
    }
    return value;
  }

  std::shared_ptr<Object> parseObject(int depth) {
    auto object = std::make_shared<Object>();
    expect('{');
    if (peek() == '}') {
      ++at_;
      return object;
    }
    while (true) {
      if (peek() != '"')
        fail("expected a member name in double quotes");
      std::string key = parseString();
      expect(':');
      object->emplace_back(std::move(key), parseValue(depth + 1));
      if (peek() == ',') {
        ++at_;
        continue;
      }
      expect('}');
      return object;
    }
  }

  std::shared_ptr<Array> parseArray(int depth) {
    auto array = std::make_shared<Array>();
    expect('[');
    if (peek() == ']') {
      ++at_;
      return array;
    }
    while (true) {
      array->push_back(parseValue(depth + 1));
      if (peek() == ',') {
        ++at_;
        continue;
      }
      expect(']');
      return array;
    }
  }

  unsigned hex4() {
    if (at_ + 4 > text_.size())
      fail("a \\u escape needs four hex digits");
    unsigned value = 0;
    for (int i = 0; i < 4; ++i) {
      const char c = text_[at_++];
      value <<= 4;
      if (c >= '0' && c <= '9')
        value |= static_cast<unsigned>(c - '0');
      else if (c >= 'a' && c <= 'f')
        value |= static_cast<unsigned>(c - 'a' + 10);
      else if (c >= 'A' && c <= 'F')
        value |= static_cast<unsigned>(c - 'A' + 10);
      else
        fail("a \\u escape needs four hex digits");
    }
    return value;
  }

  std::string parseString() {
    ++at_;  // the opening quote
    std::string out;
    while (true) {
      if (at_ >= text_.size())
        fail("a string is not closed");
      const char c = text_[at_++];
      if (c == '"')
        return out;
      if (c == '\n' || static_cast<unsigned char>(c) < 0x20)
        fail("a control character inside a string (write it as an escape)");
      if (c != '\\') {
        out += c;
        continue;
      }
      if (at_ >= text_.size())
        fail("a string is not closed");
      const char e = text_[at_++];
      switch (e) {
        case '"':
          out += '"';
          break;
        case '\\':
          out += '\\';
          break;
        case '/':
          out += '/';
          break;
        case 'b':
          out += '\b';
          break;
        case 'f':
          out += '\f';
          break;
        case 'n':
          out += '\n';
          break;
        case 'r':
          out += '\r';
          break;
        case 't':
          out += '\t';
          break;
        case 'u': {
          char32_t code = hex4();
          if (code >= 0xD800 && code < 0xDC00 && text_.substr(at_, 2) == "\\u") {
            at_ += 2;
            const unsigned low = hex4();
            code = (low >= 0xDC00 && low < 0xE000)
                       ? 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00)
                       : 0xFFFD;
          } else if (code >= 0xD800 && code < 0xE000) {
            code = 0xFFFD;
          }
          base::appendUtf8(out, code);
          break;
        }
        default:
          fail(std::string("unknown escape '\\") + e + "' in a string");
      }
    }
  }

  double parseNumber() {
    const std::size_t start = at_;
    if (text_[at_] == '-')
      ++at_;
    while (at_ < text_.size() &&
           std::string_view("0123456789.eE+-").find(text_[at_]) != std::string_view::npos)
      ++at_;
    double value = 0;
    const auto result = std::from_chars(text_.data() + start, text_.data() + at_, value);
    if (result.ec != std::errc() || result.ptr != text_.data() + at_)
      fail("malformed number '" + std::string(text_.substr(start, at_ - start)) + "'");
    return value;
  }

  std::string_view text_;
  std::size_t at_ = 0;
  int line_ = 1;
};

}  // namespace

Value parse(std::string_view text) {
  return Parser(text).document();
}

}  // namespace json
}  // namespace orbelle::sim
