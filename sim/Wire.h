// A VARIANT's contents in portable form: what a call's argument brought and what its answer
// will carry, down to the VARIANT type, the array bounds and the reference. The Windows side
// copies VARIANTs into and out of this shape and nothing more, so every rule about encodings
// lives on this side and is tested natively.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace orbelle::sim {

class AutomationObject;
using ObjectRef = std::shared_ptr<AutomationObject>;

// VARTYPE values, the platform's.
namespace vt {
inline constexpr std::uint16_t Empty = 0;
inline constexpr std::uint16_t Null = 1;
inline constexpr std::uint16_t I2 = 2;
inline constexpr std::uint16_t I4 = 3;
inline constexpr std::uint16_t R4 = 4;
inline constexpr std::uint16_t R8 = 5;
inline constexpr std::uint16_t Bstr = 8;
inline constexpr std::uint16_t Dispatch = 9;
inline constexpr std::uint16_t Error = 10;
inline constexpr std::uint16_t Bool = 11;
inline constexpr std::uint16_t Variant = 12;
inline constexpr std::uint16_t Unknown = 13;
inline constexpr std::uint16_t I1 = 16;
inline constexpr std::uint16_t UI1 = 17;
inline constexpr std::uint16_t UI2 = 18;
inline constexpr std::uint16_t UI4 = 19;
inline constexpr std::uint16_t I8 = 20;
inline constexpr std::uint16_t UI8 = 21;
inline constexpr std::uint16_t Int = 22;
inline constexpr std::uint16_t UInt = 23;
inline constexpr std::uint16_t Array = 0x2000;
inline constexpr std::uint16_t ByRef = 0x4000;
inline constexpr std::uint16_t TypeMask = 0x0FFF;

// The type without VT_ARRAY and VT_BYREF.
constexpr std::uint16_t base(std::uint16_t type) {
  return type & TypeMask;
}
}  // namespace vt

// DISP_E_PARAMNOTFOUND: the VT_ERROR code of a left-out argument.
inline constexpr std::int64_t kParamNotFound = static_cast<std::int32_t>(0x80020004);

struct WireValue {
  std::uint16_t type = vt::Empty;  // with its VT_ARRAY and VT_BYREF bits
  // Integers of every width, VT_BOOL (VARIANT_TRUE is -1) and VT_ERROR's code; VT_UI8 as its
  // bits.
  std::int64_t integer = 0;
  double real = 0;    // VT_R8, and VT_R4 widened (exactly)
  std::wstring text;  // VT_BSTR
  // VT_DISPATCH / VT_UNKNOWN: one of this host's objects; empty for a null or another's.
  ObjectRef object;
  bool foreign = false;  // an object that is not this host's
  // Arrays: the lower bound and the elements, each with its own type (that of the array's
  // elements, or, in an array of VARIANTs, whatever each holds). VT_BYREF | VT_VARIANT: the
  // one VARIANT referred to.
  std::int32_t lowerBound = 0;
  std::vector<WireValue> elements;

  static WireValue of(std::uint16_t type, std::int64_t integer);
  static WireValue ofReal(std::uint16_t type, double real);
};

// The encoding in the log's words: "VT_I4", "VT_BYREF|VT_DISPATCH",
// "VT_ARRAY|VT_VARIANT[1..3]{VT_R8}", "VT_BYREF|VT_VARIANT(VT_EMPTY)".
std::string describe(const WireValue& value);
std::string typeName(std::uint16_t type);

}  // namespace orbelle::sim
