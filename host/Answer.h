// What a host answered, by its meaning rather than by the one VARIANT type a host happens to
// use, and the rules for reading a number, a whole number, a window handle, an idle flag, a
// text, an object or a point out of it. The Windows side only translates a VARIANT (through
// any VT_BYREF) into an Answer; every rule lives here, where the native tests reach it. A
// reading that finds something else throws HostError naming the host member.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orbelle {

// VARTYPE codes, as the automation wire format defines them.
namespace vt {
inline constexpr std::uint16_t kEmpty = 0, kNull = 1, kI2 = 2, kI4 = 3, kR4 = 4, kR8 = 5, kCy = 6,
                               kDate = 7, kBstr = 8, kDispatch = 9, kError = 10, kBool = 11,
                               kVariant = 12, kUnknown = 13, kDecimal = 14, kI1 = 16, kUi1 = 17,
                               kUi2 = 18, kUi4 = 19, kI8 = 20, kUi8 = 21, kInt = 22, kUint = 23;
inline constexpr std::uint16_t kArray = 0x2000, kByRef = 0x4000, kTypeMask = 0x0FFF;
}  // namespace vt

// VT_DECIMAL: (-1)^negative x (high:low) / 10^scale, a 96-bit whole number and a scale 0 to 28.
struct DecimalNumber {
  std::uint64_t low = 0;
  std::uint32_t high = 0;
  std::uint8_t scale = 0;
  bool negative = false;
};

struct Answer {
  enum class Kind {
    Empty,    // VT_EMPTY
    Null,     // VT_NULL
    Error,    // VT_ERROR
    Boolean,  // VT_BOOL
    Integer,  // VT_I1 ... VT_UI8, VT_INT, VT_UINT
    Real,     // VT_R8, VT_R4 (widened, exactly)
    Decimal,  // VT_DECIMAL
    Text,     // VT_BSTR (a null BSTR is the empty text)
    Object,   // VT_DISPATCH, VT_UNKNOWN
    Array,    // VT_ARRAY | ...
    Other,    // anything else, a null reference included
  };

  Kind kind = Kind::Empty;
  std::uint16_t type = vt::kEmpty;  // the VARTYPE as received, VT_BYREF included: for messages

  int bits = 0;                     // Integer: 8, 16, 32 or 64; Real: 32 or 64
  bool isSigned = false;            // Integer
  std::int64_t signedValue = 0;     // Integer, when isSigned
  std::uint64_t unsignedValue = 0;  // Integer, when not
  double real = 0;                  // Real
  bool flag = false;                // Boolean
  DecimalNumber decimal;            // Decimal
  std::wstring text;                // Text
  bool nullObject = false;          // Object: a null reference
  int dimensions = 0;               // Array
  std::uint16_t elementType = 0;    // Array: VT_R8, VT_VARIANT, ...
  std::vector<Answer> elements;     // Array of VT_R8 or VT_VARIANT: its first elements, in order

  static Answer of(Kind kind, std::uint16_t type);
  static Answer signedInteger(std::uint16_t type, int bits, std::int64_t value);
  static Answer unsignedInteger(std::uint16_t type, int bits, std::uint64_t value);
  static Answer realNumber(std::uint16_t type, int bits, double value);
  static Answer boolean(std::uint16_t type, bool value);
};

// "VT_BYREF|VT_ARRAY|VT_R8", "VT_BSTR", "VT 0x0049".
std::wstring variantTypeName(std::uint16_t type);

// The double nearest to a decimal (ties to even); nothing when its scale is past 28.
std::optional<double> decimalToDouble(const DecimalNumber& decimal);

// A number: any integer, VT_R4, VT_R8 or VT_DECIMAL. A double keeps its bits; VT_R4 and integers
// up to 2^53 convert exactly; wider integers go to the nearest double. Never a text.
double readNumber(const Answer& answer, std::wstring_view member);
// A number that is a whole 32-bit integer (Count, Alignment).
std::int32_t readWholeNumber(const Answer& answer, std::wstring_view member);
// A window handle: a 32- or 64-bit integer, signed or not; its low 32 bits.
std::uint32_t readWindowHandle(const Answer& answer, std::wstring_view member);
// An idle flag: VT_BOOL, or any integer (non-zero is true).
bool readFlag(const Answer& answer, std::wstring_view member);
// A text: VT_BSTR.
std::wstring readText(const Answer& answer, std::wstring_view member);
// An object reference that is not null (whether it answers IDispatch is the caller's to ask).
void requireObject(const Answer& answer, std::wstring_view member);
// Element `index`, counted from the array's lower bound, of a one-dimensional array of VT_R8,
// or of VT_VARIANT holding numbers: a point's coordinate.
double readCoordinate(const Answer& answer, int index, std::wstring_view member);

}  // namespace orbelle
