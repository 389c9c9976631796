// Products with constants held at 64-bit-mantissa (x87 extended) precision, computed in integer
// arithmetic so that every compiler gives the same bits, MSVC's plain-double long double too.
#pragma once

#include <cstdint>

namespace orbelle::actions {

// A positive constant mantissa * 2^exponent, the mantissa's top bit set: an x87 extended value.
struct Extended {
  std::uint64_t mantissa;
  int exponent;
};

// The product of `value` and `factor` rounded to 64 significant bits (nearest, ties to even),
// then to a double (nearest, ties to even, subnormals and overflow included): what the x87
// does for `double * long double` stored into a double.
double multiplyRounded(double value, Extended factor) noexcept;

}  // namespace orbelle::actions
