#include "host/Answer.h"

#include <cmath>
#include <cstdio>
#include <limits>

#include "host/HostError.h"

namespace orbelle {

namespace {

// Just enough of a 128-bit unsigned integer for a decimal's long division.
struct Wide {
  std::uint64_t high = 0;
  std::uint64_t low = 0;

  void shiftLeft() {
    high = (high << 1) | (low >> 63);
    low <<= 1;
  }
  bool bit(int index) const {
    return ((index >= 64 ? high >> (index - 64) : low >> index) & 1) != 0;
  }
  bool isZero() const { return high == 0 && low == 0; }
  friend bool operator>=(const Wide& a, const Wide& b) {
    return a.high != b.high ? a.high > b.high : a.low >= b.low;
  }
  Wide& operator-=(const Wide& b) {
    const std::uint64_t borrow = low < b.low ? 1 : 0;
    low -= b.low;
    high -= b.high + borrow;
    return *this;
  }
  Wide timesTen() const {
    Wide eight = *this, two = *this;
    for (int i = 0; i < 3; ++i)
      eight.shiftLeft();
    two.shiftLeft();
    Wide sum;
    sum.low = eight.low + two.low;
    sum.high = eight.high + two.high + (sum.low < eight.low ? 1 : 0);
    return sum;
  }
};

constexpr int kDecimalMaxScale = 28;

[[noreturn]] void notReadable(const Answer& answer, std::wstring_view member,
                              std::wstring_view expected) {
  throw HostError(kStatusTypeMismatch, std::wstring(member),
                  L"answered " + variantTypeName(answer.type) + L", not " + std::wstring(expected));
}

std::optional<double> numberOf(const Answer& answer) {
  switch (answer.kind) {
    case Answer::Kind::Integer:
      // The conversion rounds to nearest: exact up to 2^53, the nearest double beyond.
      return answer.isSigned ? static_cast<double>(answer.signedValue)
                             : static_cast<double>(answer.unsignedValue);
    case Answer::Kind::Real:
      return answer.real;
    case Answer::Kind::Decimal:
      return decimalToDouble(answer.decimal);
    default:
      return std::nullopt;
  }
}

}  // namespace

Answer Answer::of(Kind kind, std::uint16_t type) {
  Answer answer;
  answer.kind = kind;
  answer.type = type;
  return answer;
}

Answer Answer::signedInteger(std::uint16_t type, int bits, std::int64_t value) {
  Answer answer = of(Kind::Integer, type);
  answer.bits = bits;
  answer.isSigned = true;
  answer.signedValue = value;
  return answer;
}

Answer Answer::unsignedInteger(std::uint16_t type, int bits, std::uint64_t value) {
  Answer answer = of(Kind::Integer, type);
  answer.bits = bits;
  answer.unsignedValue = value;
  return answer;
}

Answer Answer::realNumber(std::uint16_t type, int bits, double value) {
  Answer answer = of(Kind::Real, type);
  answer.bits = bits;
  answer.real = value;
  return answer;
}

Answer Answer::boolean(std::uint16_t type, bool value) {
  Answer answer = of(Kind::Boolean, type);
  answer.flag = value;
  return answer;
}

std::wstring variantTypeName(std::uint16_t type) {
  static constexpr const wchar_t* kNames[] = {
      L"VT_EMPTY",   L"VT_NULL",    L"VT_I2",      L"VT_I4",       L"VT_R4",    L"VT_R8",
      L"VT_CY",      L"VT_DATE",    L"VT_BSTR",    L"VT_DISPATCH", L"VT_ERROR", L"VT_BOOL",
      L"VT_VARIANT", L"VT_UNKNOWN", L"VT_DECIMAL", nullptr,        L"VT_I1",    L"VT_UI1",
      L"VT_UI2",     L"VT_UI4",     L"VT_I8",      L"VT_UI8",      L"VT_INT",   L"VT_UINT"};
  std::wstring name;
  if ((type & vt::kByRef) != 0)
    name += L"VT_BYREF|";
  if ((type & vt::kArray) != 0)
    name += L"VT_ARRAY|";
  const std::uint16_t base = type & vt::kTypeMask;
  const bool known = (type & ~(vt::kByRef | vt::kArray | vt::kTypeMask)) == 0 &&
                     base < std::size(kNames) && kNames[base] != nullptr;
  if (known)
    return name + kNames[base];
  wchar_t code[16];
  std::swprintf(code, std::size(code), L"VT 0x%04X", static_cast<unsigned>(type));
  return code;
}

// Long division: the quotient, then as many fraction bits as it takes to hold 54 significant
// ones (53 and the rounding bit), and a sticky bit for whatever is left.
std::optional<double> decimalToDouble(const DecimalNumber& decimal) {
  if (decimal.scale > kDecimalMaxScale)
    return std::nullopt;
  const double sign = decimal.negative ? -1.0 : 1.0;
  const Wide mantissa{decimal.high, decimal.low};
  if (mantissa.isZero())
    return sign * 0.0;
  Wide divisor{0, 1};
  for (int i = 0; i < decimal.scale; ++i)
    divisor = divisor.timesTen();

  Wide quotient, remainder;
  for (int index = 95; index >= 0; --index) {
    remainder.shiftLeft();
    remainder.low |= mantissa.bit(index) ? 1 : 0;
    quotient.shiftLeft();
    if (remainder >= divisor) {
      remainder -= divisor;
      quotient.low |= 1;
    }
  }

  constexpr int kKept = 54;
  std::uint64_t significand = 0;
  int collected = 0;  // significant bits in `significand`
  int exponent = 0;   // the value is (significand + what is left) * 2^exponent
  bool sticky = false;
  int wholeBits = 0;
  for (int index = 95; index >= 0 && wholeBits == 0; --index) {
    if (quotient.bit(index))
      wholeBits = index + 1;
  }
  for (int index = wholeBits - 1; index >= 0; --index) {
    if (collected < kKept) {
      significand = (significand << 1) | (quotient.bit(index) ? 1 : 0);
      ++collected;
    } else {
      sticky = sticky || quotient.bit(index);
      ++exponent;
    }
  }
  while (collected < kKept) {
    remainder.shiftLeft();
    const bool bit = remainder >= divisor;
    if (bit)
      remainder -= divisor;
    if (collected > 0 || bit) {
      significand = (significand << 1) | (bit ? 1 : 0);
      ++collected;
    }
    --exponent;
  }
  sticky = sticky || !remainder.isZero();

  // Round to 53 bits, ties to even. No decimal comes near the double's range limits.
  const bool roundBit = (significand & 1) != 0;
  significand >>= 1;
  ++exponent;
  if (roundBit && (sticky || (significand & 1) != 0)) {
    ++significand;
    if (significand == (std::uint64_t{1} << 53)) {
      significand >>= 1;
      ++exponent;
    }
  }
  return sign * std::ldexp(static_cast<double>(significand), exponent);
}

double readNumber(const Answer& answer, std::wstring_view member) {
  if (const std::optional<double> number = numberOf(answer))
    return *number;
  if (answer.kind == Answer::Kind::Decimal)
    notReadable(answer, member, L"a number (a decimal scaled past 28)");
  notReadable(answer, member, L"a number");
}

std::int32_t readWholeNumber(const Answer& answer, std::wstring_view member) {
  if (answer.kind == Answer::Kind::Integer) {
    const bool fits =
        answer.isSigned ? answer.signedValue >= std::numeric_limits<std::int32_t>::min() &&
                              answer.signedValue <= std::numeric_limits<std::int32_t>::max()
                        : answer.unsignedValue <=
                              static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max());
    if (!fits)
      notReadable(answer, member, L"a 32-bit whole number (out of range)");
    return answer.isSigned ? static_cast<std::int32_t>(answer.signedValue)
                           : static_cast<std::int32_t>(answer.unsignedValue);
  }
  const double number = readNumber(answer, member);
  // Compared as doubles: every 32-bit integer is one exactly, and a NaN fails both tests.
  if (!(number >= -2147483648.0 && number <= 2147483647.0) || std::trunc(number) != number)
    notReadable(answer, member, L"a 32-bit whole number");
  return static_cast<std::int32_t>(number);
}

std::uint32_t readWindowHandle(const Answer& answer, std::wstring_view member) {
  if (answer.kind != Answer::Kind::Integer || answer.bits < 32)
    notReadable(answer, member, L"a window handle (a 32- or 64-bit integer)");
  const std::uint64_t bits =
      answer.isSigned ? static_cast<std::uint64_t>(answer.signedValue) : answer.unsignedValue;
  return static_cast<std::uint32_t>(bits);
}

bool readFlag(const Answer& answer, std::wstring_view member) {
  if (answer.kind == Answer::Kind::Boolean)
    return answer.flag;
  if (answer.kind == Answer::Kind::Integer)
    return answer.isSigned ? answer.signedValue != 0 : answer.unsignedValue != 0;
  notReadable(answer, member, L"a flag (VT_BOOL or an integer)");
}

std::wstring readText(const Answer& answer, std::wstring_view member) {
  if (answer.kind != Answer::Kind::Text)
    notReadable(answer, member, L"a text");
  return answer.text;
}

void requireObject(const Answer& answer, std::wstring_view member) {
  if (answer.kind != Answer::Kind::Object)
    notReadable(answer, member, L"an object");
  if (answer.nullObject)
    notReadable(answer, member, L"an object (a null reference)");
}

double readCoordinate(const Answer& answer, int index, std::wstring_view member) {
  if (answer.kind != Answer::Kind::Array || answer.dimensions != 1 ||
      (answer.elementType != vt::kR8 && answer.elementType != vt::kVariant)) {
    notReadable(answer, member,
                L"a point (a one-dimensional array of VT_R8 or of VT_VARIANT numbers)");
  }
  if (index < 0 || static_cast<std::size_t>(index) >= answer.elements.size()) {
    throw HostError(kStatusTypeMismatch, std::wstring(member),
                    L"answered a point of " + std::to_wstring(answer.elements.size()) +
                        L" elements, where element " + std::to_wstring(index) + L" was read");
  }
  const Answer& element = answer.elements[static_cast<std::size_t>(index)];
  if (const std::optional<double> number = numberOf(element))
    return *number;
  throw HostError(kStatusTypeMismatch, std::wstring(member),
                  L"answered a point whose element " + std::to_wstring(index) + L" is " +
                      variantTypeName(element.type) + L", not a number");
}

}  // namespace orbelle
