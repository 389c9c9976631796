#include "host/HostError.h"

#include <cstdio>
#include <utility>

#include "base/Utf8.h"

namespace orbelle {

namespace {

// A debugger shows one failure a line: line breaks and other control characters in a host's
// description become blanks.
std::wstring oneLine(std::wstring text) {
  for (wchar_t& c : text) {
    if (c < 0x20 || c == 0x7F)
      c = L' ';
  }
  return text;
}

std::wstring lineOf(std::int32_t status, const std::wstring& member,
                    const std::wstring& description) {
  wchar_t code[16];
  std::swprintf(code, std::size(code), L"0x%08X", static_cast<unsigned>(status));
  std::wstring text = oneLine(member) + L" failed: " + code;
  if (!description.empty())
    text += L" (" + oneLine(description) + L")";
  return text;
}

}  // namespace

HostError::HostError(std::int32_t status, std::wstring member, std::wstring description)
    : std::runtime_error(base::wideToUtf8(lineOf(status, member, description))),
      status_(status),
      member_(std::move(member)),
      description_(std::move(description)) {}

std::wstring HostError::line() const {
  return lineOf(status_, member_, description_);
}

}  // namespace orbelle
