#include "host/ProgramIds.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <tuple>

namespace orbelle {

namespace {

wchar_t lower(wchar_t c) {
  return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

bool sameText(std::wstring_view a, std::wstring_view b) {
  return std::ranges::equal(a, b, [](wchar_t x, wchar_t y) { return lower(x) == lower(y); });
}

// A run of decimal digits, as a number; nothing when there is none or it is absurdly long.
std::optional<std::uint32_t> number(std::wstring_view& text) {
  std::size_t length = 0;
  std::uint32_t value = 0;
  while (length < text.size() && text[length] >= L'0' && text[length] <= L'9') {
    if (length == 6)
      return std::nullopt;
    value = value * 10 + static_cast<std::uint32_t>(text[length] - L'0');
    ++length;
  }
  if (length == 0)
    return std::nullopt;
  text.remove_prefix(length);
  return value;
}

struct Candidate {
  std::wstring name;
  bool versioned = false;
  std::uint32_t major = 0;
  std::uint32_t minor = 0;
};

// "nanoCAD.Application" or "nanoCAD.Application.N.M", in any case; nothing for other names.
std::optional<Candidate> parse(const std::wstring& name) {
  const std::wstring_view prefix = kHostProgramId;
  std::wstring_view rest = name;
  if (rest.size() < prefix.size() || !sameText(rest.substr(0, prefix.size()), prefix))
    return std::nullopt;
  rest.remove_prefix(prefix.size());
  if (rest.empty())
    return Candidate{name};
  if (rest.front() != L'.')
    return std::nullopt;
  rest.remove_prefix(1);
  const auto major = number(rest);
  if (!major || rest.empty() || rest.front() != L'.')
    return std::nullopt;
  rest.remove_prefix(1);
  const auto minor = number(rest);
  if (!minor || !rest.empty())
    return std::nullopt;
  return Candidate{name, true, *major, *minor};
}

}  // namespace

std::vector<std::wstring> hostProgramIdsNewestFirst(const std::vector<std::wstring>& registered) {
  std::vector<Candidate> found;
  for (const std::wstring& name : registered) {
    const auto candidate = parse(name);
    if (!candidate)
      continue;
    const bool listed = std::ranges::any_of(
        found, [&](const Candidate& other) { return sameText(other.name, candidate->name); });
    if (!listed)
      found.push_back(*candidate);
  }
  // The version-independent ID names whichever release was installed last, which need not be
  // the one running: the versioned IDs say which release they are, so they go first.
  std::ranges::stable_sort(found, [](const Candidate& a, const Candidate& b) {
    return std::tuple(a.versioned, a.major, a.minor) > std::tuple(b.versioned, b.major, b.minor);
  });
  std::vector<std::wstring> names;
  for (Candidate& candidate : found)
    names.push_back(std::move(candidate.name));
  return names;
}

}  // namespace orbelle
