#include "tests/support/CallLog.h"

#include <charconv>
#include <cstdio>
#include <map>

#include "base/Utf8.h"

namespace orbelle::fake {

std::wstring Call::key() const {
  const std::size_t colon = object.find(L':');
  return object.substr(0, colon) + L"." + operation;
}

void PrintTo(const Call& call, std::ostream* out) {
  *out << printable(call.object) << '.' << printable(call.operation) << '(';
  for (std::size_t i = 0; i < call.args.size(); ++i)
    *out << (i == 0 ? "\"" : ", \"") << printable(call.args[i]) << '"';
  *out << ')';
}

std::wstring number(double value) {
  char buffer[64];
  const auto result = std::to_chars(std::begin(buffer), std::end(buffer), value);
  return {buffer, result.ptr};
}

std::wstring integer(long long value) {
  return std::to_wstring(value);
}

std::vector<Call> CallLog::on(std::wstring_view objectPrefix) const {
  std::vector<Call> found;
  for (const Call& call : calls_) {
    if (call.object.starts_with(objectPrefix))
      found.push_back(call);
  }
  return found;
}

std::vector<Call> CallLog::of(std::wstring_view key) const {
  std::vector<Call> found;
  for (const Call& call : calls_) {
    if (call.key() == key)
      found.push_back(call);
  }
  return found;
}

std::vector<std::wstring> CallLog::commands() const {
  std::vector<std::wstring> texts;
  for (const Call& call : of(L"Document.sendCommand"))
    texts.push_back(call.args.at(0));
  return texts;
}

std::vector<CallSite> CallLog::hostCallSites() const {
  std::vector<CallSite> sites;
  std::map<std::wstring, int> seen;
  for (std::size_t i = 0; i < calls_.size(); ++i) {
    if (calls_[i].object == L"Desktop")
      continue;
    const std::wstring key = calls_[i].key();
    sites.push_back({key, ++seen[key], i});
  }
  return sites;
}

std::string printable(std::wstring_view text) {
  std::string out;
  for (wchar_t wc : text) {
    const auto c = static_cast<char32_t>(wc);
    if (c == U'\r') {
      out += "\\r";
    } else if (c < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<unsigned>(c));
      out += escaped;
    } else {
      base::appendUtf8(out, c);
    }
  }
  return out;
}

}  // namespace orbelle::fake
