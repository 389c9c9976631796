#include "sim/CadNumbers.h"

#include <charconv>
#include <cmath>
#include <string>
#include <vector>

namespace orbelle::sim {

std::optional<double> parseCadNumber(std::wstring_view text) {
  std::string ascii;
  std::size_t i = 0;
  if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) {
    if (text[i] == L'-')
      ascii += '-';
    ++i;
  }
  int digits = 0;
  bool point = false;
  for (; i < text.size(); ++i) {
    const wchar_t c = text[i];
    if (c >= L'0' && c <= L'9') {
      ++digits;
    } else if (c == L'.' && !point) {
      point = true;
    } else {
      break;
    }
    ascii += static_cast<char>(c);
  }
  if (digits == 0)
    return std::nullopt;
  if (i < text.size() && (text[i] == L'e' || text[i] == L'E')) {
    ascii += 'e';
    ++i;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-'))
      ascii += static_cast<char>(text[i++]);
    int exponentDigits = 0;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i, ++exponentDigits)
      ascii += static_cast<char>(text[i]);
    if (exponentDigits == 0)
      return std::nullopt;
  }
  if (i != text.size())
    return std::nullopt;
  double value = 0;
  const auto result = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
  if (result.ec != std::errc() || result.ptr != ascii.data() + ascii.size() ||
      !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

std::optional<Vec3> parseCadPoint(std::wstring_view text) {
  std::vector<double> parts;
  std::size_t start = 0;
  while (true) {
    const std::size_t comma = text.find(L',', start);
    const auto number = parseCadNumber(text.substr(start, comma - start));
    if (!number)
      return std::nullopt;
    parts.push_back(*number);
    if (comma == std::wstring_view::npos)
      break;
    start = comma + 1;
  }
  if (parts.size() == 2)
    return Vec3{parts[0], parts[1], 0};
  if (parts.size() == 3)
    return Vec3{parts[0], parts[1], parts[2]};
  return std::nullopt;
}

}  // namespace orbelle::sim
