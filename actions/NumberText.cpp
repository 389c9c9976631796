#include "actions/NumberText.h"

#include <cmath>
#include <stdexcept>
#include <string_view>

#include "actions/DecimalDigits.h"

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

  // The exact binary value rounded correctly, whatever the locale: d.ddd... × 10^exponent.
  const ScientificDigits scientific = scientificDigits(value, kSignificantDigits);
  std::string digits = scientific.digits;
  while (digits.size() > 1 && digits.back() == '0')
    digits.pop_back();
  const int exponent = scientific.exponent;

  std::string text = scientific.negative ? "-" : "";
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
  return widen(fixedText(value, 6));
}

}  // namespace orbelle::actions
