#include "actions/NumberText.h"

#include <charconv>
#include <cmath>
#include <stdexcept>
#include <string_view>

namespace orbelle::actions {

namespace {

constexpr int kSignificantDigits = 15;

void requireFinite(double value) {
  if (!std::isfinite(value))
    throw std::domain_error("a number that is not finite cannot be typed into the host");
}

std::wstring widen(std::string_view text) {
  return {text.begin(), text.end()};  // ASCII only
}

}  // namespace

std::wstring generalNumberText(double value) {
  requireFinite(value);
  if (value == 0)
    return L"0";

  // to_chars ignores the locale and rounds the exact binary value correctly: "d.ddd...e+XX".
  char buffer[64];
  const auto result = std::to_chars(std::begin(buffer), std::end(buffer), value,
                                    std::chars_format::scientific, kSignificantDigits - 1);
  const std::string_view scientific(buffer, static_cast<std::size_t>(result.ptr - buffer));
  const std::size_t e = scientific.find('e');
  const bool negative = scientific.front() == '-';

  std::string digits;
  for (char c : scientific.substr(negative ? 1 : 0, e - (negative ? 1 : 0))) {
    if (c != '.')
      digits += c;
  }
  while (digits.size() > 1 && digits.back() == '0')
    digits.pop_back();
  int exponent = 0;
  std::from_chars(scientific.data() + e + 1 + (scientific[e + 1] == '+' ? 1 : 0),
                  scientific.data() + scientific.size(), exponent);

  std::string text = negative ? "-" : "";
  if (exponent >= -4 && exponent < kSignificantDigits) {
    if (exponent < 0) {
      text += "0.";
      text.append(static_cast<std::size_t>(-exponent - 1), '0');
      text += digits;
    } else {
      const auto integerDigits = static_cast<std::size_t>(exponent) + 1;
      if (digits.size() <= integerDigits) {
        text += digits;
        text.append(integerDigits - digits.size(), '0');
      } else {
        text += digits.substr(0, integerDigits);
        text += '.';
        text += digits.substr(integerDigits);
      }
    }
  } else {
    text += digits.front();
    if (digits.size() > 1) {
      text += '.';
      text += digits.substr(1);
    }
    text += 'E';
    text += std::to_string(exponent);
  }
  return widen(text);
}

std::wstring pointText(double x, double y) {
  return generalNumberText(x) + L"," + generalNumberText(y);
}

std::wstring fixedSixText(double value) {
  requireFinite(value);
  char buffer[400];  // the largest double has 309 integer digits
  const auto result =
      std::to_chars(std::begin(buffer), std::end(buffer), value, std::chars_format::fixed, 6);
  return widen(std::string_view(buffer, static_cast<std::size_t>(result.ptr - buffer)));
}

}  // namespace orbelle::actions
