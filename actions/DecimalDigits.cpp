#include "actions/DecimalDigits.h"

#include <bit>
#include <cstdint>
#include <stdexcept>
#include <vector>

namespace orbelle::actions {

namespace {

// An unsigned integer of any size: 32-bit limbs, the least significant first, no zero limb on
// top (zero is no limb at all).
using BigNumber = std::vector<std::uint32_t>;

void multiply(BigNumber& number, std::uint32_t factor) {
  std::uint64_t carry = 0;
  for (std::uint32_t& limb : number) {
    const std::uint64_t product = std::uint64_t{limb} * factor + carry;
    limb = static_cast<std::uint32_t>(product);
    carry = product >> 32;
  }
  if (carry != 0)
    number.push_back(static_cast<std::uint32_t>(carry));
}

// Divides in place; returns the remainder.
std::uint32_t divide(BigNumber& number, std::uint32_t divisor) {
  std::uint64_t remainder = 0;
  for (auto limb = number.rbegin(); limb != number.rend(); ++limb) {
    const std::uint64_t current = (remainder << 32) | *limb;
    *limb = static_cast<std::uint32_t>(current / divisor);
    remainder = current % divisor;
  }
  while (!number.empty() && number.back() == 0)
    number.pop_back();
  return static_cast<std::uint32_t>(remainder);
}

std::string decimalText(BigNumber number) {
  if (number.empty())
    return "0";
  std::string reversed;
  while (!number.empty()) {
    std::uint32_t chunk = divide(number, 1'000'000'000);
    for (int i = 0; i < 9; ++i) {
      reversed += static_cast<char>('0' + chunk % 10);
      chunk /= 10;
    }
  }
  while (reversed.size() > 1 && reversed.back() == '0')
    reversed.pop_back();
  return {reversed.rbegin(), reversed.rend()};
}

// ±digits × 10^exponent, exactly.
struct ExactDecimal {
  bool negative;
  std::string digits;  // no leading zero; "0" for zero
  int exponent;
};

ExactDecimal exactDecimal(double value) {
  const auto bits = std::bit_cast<std::uint64_t>(value);
  const bool negative = (bits >> 63) != 0;
  const int biasedExponent = static_cast<int>((bits >> 52) & 0x7FF);
  if (biasedExponent == 0x7FF)
    throw std::invalid_argument("an infinity or a NaN has no decimal digits");
  std::uint64_t mantissa = bits & ((std::uint64_t{1} << 52) - 1);
  int binaryExponent = -1074;  // subnormal numbers and zero
  if (biasedExponent != 0) {
    mantissa |= std::uint64_t{1} << 52;
    binaryExponent = biasedExponent - 1075;
  }
  BigNumber number{static_cast<std::uint32_t>(mantissa),
                   static_cast<std::uint32_t>(mantissa >> 32)};
  while (!number.empty() && number.back() == 0)
    number.pop_back();

  int exponent = 0;
  if (binaryExponent >= 0) {
    for (int left = binaryExponent; left > 0; left -= 31)
      multiply(number, std::uint32_t{1} << (left < 31 ? left : 31));
  } else {
    // m × 2^-k = m × 5^k × 10^-k: an integer of decimal digits with the point k places left.
    constexpr std::uint32_t kPowersOfFive[] = {1,       5,        25,        125,       625,
                                               3125,    15625,    78125,     390625,    1953125,
                                               9765625, 48828125, 244140625, 1220703125};
    for (int left = -binaryExponent; left > 0; left -= 13)
      multiply(number, kPowersOfFive[left < 13 ? left : 13]);
    exponent = binaryExponent;
  }
  return {negative, decimalText(std::move(number)), exponent};
}

// The first `keep` digits of `digits` (zeros added when there are fewer), rounded by the rest,
// half to even. A carry out of the first digit makes it one digit longer ("999" -> "1000").
std::string roundedPrefix(const std::string& digits, std::size_t keep) {
  if (keep >= digits.size())
    return digits + std::string(keep - digits.size(), '0');
  std::string kept = digits.substr(0, keep);
  const char next = digits[keep];
  const bool beyondHalf = digits.find_first_not_of('0', keep + 1) != std::string::npos;
  const bool odd = !kept.empty() && (kept.back() - '0') % 2 == 1;
  if (next > '5' || (next == '5' && (beyondHalf || odd))) {
    std::size_t i = kept.size();
    while (i > 0 && kept[i - 1] == '9')
      kept[--i] = '0';
    if (i > 0)
      ++kept[i - 1];
    else
      kept.insert(kept.begin(), '1');
  }
  return kept;
}

}  // namespace

ScientificDigits scientificDigits(double value, int significant) {
  if (significant < 1)
    throw std::invalid_argument("at least one significant digit");
  const ExactDecimal exact = exactDecimal(value);
  const auto wanted = static_cast<std::size_t>(significant);
  if (exact.digits == "0")
    return {exact.negative, std::string(wanted, '0'), 0};
  ScientificDigits result{exact.negative, roundedPrefix(exact.digits, wanted),
                          static_cast<int>(exact.digits.size()) - 1 + exact.exponent};
  if (result.digits.size() > wanted) {  // rounded up to the next power of ten
    result.digits.pop_back();
    ++result.exponent;
  }
  return result;
}

std::string fixedText(double value, int decimals) {
  if (decimals < 0)
    throw std::invalid_argument("a negative number of decimals");
  const ExactDecimal exact = exactDecimal(value);
  // The digits down to the last decimal's place; none at all when the value is below a tenth of
  // that place, which then rounds to zero.
  const long keep = static_cast<long>(exact.digits.size()) + exact.exponent + decimals;
  std::string digits = keep < 0 ? std::string() : roundedPrefix(exact.digits, keep);
  const auto places = static_cast<std::size_t>(decimals);
  if (digits.size() < places + 1)
    digits.insert(0, places + 1 - digits.size(), '0');
  if (places > 0)
    digits.insert(digits.size() - places, 1, '.');
  return exact.negative ? "-" + digits : digits;
}

}  // namespace orbelle::actions
