#include "actions/ExtendedProduct.h"

#include <bit>

namespace orbelle::actions {

namespace {

struct UInt128 {
  std::uint64_t high;
  std::uint64_t low;
};

// Portable 64 x 64 -> 128-bit multiply (no compiler extension), from 32-bit halves.
UInt128 multiply(std::uint64_t a, std::uint64_t b) {
  const std::uint64_t aLow = a & 0xFFFFFFFFu;
  const std::uint64_t aHigh = a >> 32;
  const std::uint64_t bLow = b & 0xFFFFFFFFu;
  const std::uint64_t bHigh = b >> 32;
  const std::uint64_t lowLow = aLow * bLow;
  const std::uint64_t lowHigh = aLow * bHigh;
  const std::uint64_t highLow = aHigh * bLow;
  const std::uint64_t highHigh = aHigh * bHigh;
  const std::uint64_t middle = (lowLow >> 32) + (lowHigh & 0xFFFFFFFFu) + (highLow & 0xFFFFFFFFu);
  return {highHigh + (lowHigh >> 32) + (highLow >> 32) + (middle >> 32),
          (middle << 32) | (lowLow & 0xFFFFFFFFu)};
}

// value >> shift, rounded to nearest with ties to even; 0 < shift < 128, and the result must
// fit in 64 bits before rounding. Sets `carry` when rounding up overflows 64 bits.
std::uint64_t shiftRounded(UInt128 value, int shift, bool& carry) {
  std::uint64_t kept;
  bool half;
  bool sticky;
  if (shift < 64) {
    kept = (value.high << (64 - shift)) | (value.low >> shift);
    half = ((value.low >> (shift - 1)) & 1u) != 0;
    sticky = (value.low & ((std::uint64_t{1} << (shift - 1)) - 1)) != 0;
  } else if (shift == 64) {
    kept = value.high;
    half = (value.low >> 63) != 0;
    sticky = (value.low << 1) != 0;
  } else {
    kept = value.high >> (shift - 64);
    half = ((value.high >> (shift - 65)) & 1u) != 0;
    const std::uint64_t below =
        shift == 65 ? 0 : value.high & ((std::uint64_t{1} << (shift - 65)) - 1);
    sticky = below != 0 || value.low != 0;
  }
  carry = false;
  if (half && (sticky || (kept & 1u) != 0)) {
    ++kept;
    carry = kept == 0;
  }
  return kept;
}

int topBit(std::uint64_t value) {
  return 63 - std::countl_zero(value);
}

constexpr std::uint64_t kSignBit = std::uint64_t{1} << 63;
constexpr std::uint64_t kQuietBit = std::uint64_t{1} << 51;
constexpr std::uint64_t kFractionMask = (std::uint64_t{1} << 52) - 1;
constexpr std::uint64_t kInfinityBits = std::uint64_t{0x7FF} << 52;

// mantissa * 2^exponent (mantissa's top bit 63) rounded to a double's bits, without sign.
std::uint64_t roundToDouble(std::uint64_t mantissa, int exponent) {
  const int top = exponent + 63;  // the value lies in [2^top, 2^(top + 1))
  if (top > 1023)
    return kInfinityBits;
  // The quantum of the result: 2^-1074 throughout the subnormal range, else 53 bits' worth.
  const int quantum = (top < -1022 ? -1022 : top) - 52;
  const int drop = quantum - exponent;  // at least 11
  std::uint64_t kept;
  if (drop > 64) {
    kept = 0;  // less than half the smallest subnormal
  } else {
    bool carry = false;
    kept = shiftRounded({0, mantissa}, drop, carry);
  }
  if (kept == 0)
    return 0;
  // kept * 2^quantum with kept <= 2^53: adding the biased exponent field lets a carry out of
  // the fraction (and out of the subnormal range) move into the exponent by itself.
  const std::uint64_t bits = (static_cast<std::uint64_t>(quantum + 1074) << 52) + kept;
  return bits >= kInfinityBits ? kInfinityBits : bits;
}

}  // namespace

double multiplyRounded(double value, Extended factor) noexcept {
  const std::uint64_t bits = std::bit_cast<std::uint64_t>(value);
  const std::uint64_t sign = bits & kSignBit;
  const int field = static_cast<int>((bits >> 52) & 0x7FF);
  const std::uint64_t fraction = bits & kFractionMask;

  if (field == 0x7FF) {
    // Infinity times a positive constant stays itself; a NaN comes out quiet, payload kept,
    // as the x87 loads it.
    return std::bit_cast<double>(fraction == 0 ? bits : bits | kQuietBit);
  }
  if (field == 0 && fraction == 0)
    return value;  // a signed zero

  std::uint64_t mantissa;
  int exponent;  // value = mantissa * 2^exponent, mantissa's top bit 52
  if (field == 0) {
    const int shift = 52 - topBit(fraction);
    mantissa = fraction << shift;
    exponent = -1074 - shift;
  } else {
    mantissa = fraction | (std::uint64_t{1} << 52);
    exponent = field - 1075;
  }

  // The exact product has 116 or 117 bits; round it to the 64 bits of an extended mantissa.
  const UInt128 product = multiply(mantissa, factor.mantissa);
  const int productTop = product.high != 0 ? 64 + topBit(product.high) : topBit(product.low);
  const int shift = productTop - 63;
  bool carry = false;
  std::uint64_t extended = shiftRounded(product, shift, carry);
  int extendedExponent = exponent + factor.exponent + shift;
  if (carry) {
    extended = std::uint64_t{1} << 63;
    ++extendedExponent;
  }
  return std::bit_cast<double>(sign | roundToDouble(extended, extendedExponent));
}

}  // namespace orbelle::actions
