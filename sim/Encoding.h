// How the host answers: its dialect. A real automation server may answer the same member in
// more than one valid VARIANT encoding; the stand-in host speaks one dialect per connection,
// canonical unless told otherwise, so that the palette's reading of each encoding is exercised
// against a real COM boundary. Also the other way: the arguments a client sends, read by their
// meaning whatever their encoding.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "sim/Automation.h"
#include "sim/Wire.h"

namespace orbelle::sim {

// How a point is answered: VT_ARRAY of `element` (VT_R8, or VT_VARIANT each holding a VT_R8)
// from `lowerBound`.
struct PointForm {
  std::uint16_t element = vt::R8;
  std::int32_t lowerBound = 0;
};

// One encoding per kind of answer. Where a kind lists several, successive answers of that kind
// in that dialect take them in turn, from the first, so that one run of a few actions meets
// each of them.
struct Dialect {
  std::string_view name;
  std::string_view summary;
  std::vector<PointForm> points;        // GetPoint, InsertionPoint, TextAlignmentPoint, ...
  std::vector<std::uint16_t> handles;   // HWND
  std::vector<std::uint16_t> flags;     // IsQuiescent
  std::vector<std::uint16_t> integers;  // Count, Alignment
  bool narrowReals = false;  // VT_R4 where the float holds the double exactly, else VT_R8
  std::uint16_t objects = vt::Dispatch;  // VT_DISPATCH or VT_UNKNOWN
  bool byReference = false;              // every answer VT_BYREF | ...
  // Not a dialect but a description: the type library's dispatch answers, in the types the
  // library declares, and this says which those are (for the log, and for the objects'
  // vtables, which take each answer in its declared type).
  bool typeLibrary = false;
};

const std::vector<Dialect>& dialects();
const Dialect& canonicalDialect();
// What type-library dispatch answers in ("type-library"): HWND VT_I8 (LONG_PTR), IsQuiescent
// VT_BOOL, Count and Alignment VT_I4, numbers VT_R8, points VT_ARRAY|VT_R8 from 0, objects
// VT_DISPATCH. Not among dialects(): no option or script step chooses it.
const Dialect& typeLibraryEncoding();
// The dialect of that name; throws Error naming the known ones.
const Dialect& dialectNamed(std::string_view name);
// "canonical, variant-arrays, ...": for messages and usage texts.
std::string dialectNames();

// Turns answers into the wire form of a dialect, keeping the turn of each kind.
class Encoder {
 public:
  WireValue encode(const Value& value, const Dialect& dialect);

 private:
  enum Kind { Points, Handles, Flags, Integers };
  std::size_t next(const Dialect& dialect, Kind kind, std::size_t count);
  std::map<std::pair<std::string_view, Kind>, std::size_t> turns_;
};

// What an argument means, whatever its encoding: numbers of any width, by reference or not,
// arrays of numbers or of VARIANTs holding numbers from any lower bound. Throws AutomationError
// (DISP_E_TYPEMISMATCH) for what no member takes. Strings are never read as numbers.
Value decode(const WireValue& wire);
// An argument as a member sees it: its meaning, whether it is an out parameter (a VARIANT by
// reference), and its encoding for the log.
Argument argumentFrom(const WireValue& wire);

}  // namespace orbelle::sim
