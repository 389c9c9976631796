// The decimal digits of a double, worked out exactly and rounded half to even, the way a correct
// printf does. The standard library's own `to_chars` with a precision does the same through
// tables that would make up a quarter of the program; the palette writes a few numbers a click
// and can afford to count them out.
#pragma once

#include <string>

namespace orbelle::actions {

// ±d.ddd… × 10^exponent, with exactly the number of significant digits asked for.
struct ScientificDigits {
  bool negative = false;
  std::string digits;  // the first digit is not 0 unless the value is zero (then all are 0)
  int exponent = 0;
};

// `value` rounded to `significant` (at least 1) significant digits, ties to even. The value
// must be finite.
ScientificDigits scientificDigits(double value, int significant);

// `value` in fixed notation with `decimals` (at least 0) decimals, ties to even: "-0.000000"
// for a small negative value, as printf writes it. The value must be finite.
std::string fixedText(double value, int decimals);

}  // namespace orbelle::actions
