#include "sim/Encoding.h"

#include <cmath>
#include <limits>

namespace orbelle::sim {

namespace {

template <class... F>
struct Overloaded : F... {
  using F::operator()...;
};

[[noreturn]] void mismatch(const wchar_t* what) {
  throw AutomationError(kTypeMismatch, what, false);
}

// Whether an integer keeps its value in a VARIANT integer type.
bool fits(std::uint16_t type, std::int64_t value) {
  switch (type) {
    case vt::I1:
      return value >= -128 && value <= 127;
    case vt::UI1:
      return value >= 0 && value <= 0xFF;
    case vt::I2:
      return value >= -32768 && value <= 32767;
    case vt::UI2:
      return value >= 0 && value <= 0xFFFF;
    case vt::I4:
    case vt::Int:
      return value >= std::numeric_limits<std::int32_t>::min() &&
             value <= std::numeric_limits<std::int32_t>::max();
    case vt::UI4:
    case vt::UInt:
      return value >= 0 && value <= 0xFFFFFFFFLL;
    default:
      return true;  // VT_I8, VT_UI8
  }
}

// A window handle in a type of any width: the 32-bit types carry its low 32 bits, as a 64-bit
// process's HWND does when it is read as a 32-bit number.
std::int64_t handleIn(std::uint16_t type, std::int64_t handle) {
  switch (type) {
    case vt::I4:
    case vt::Int:
      return static_cast<std::int32_t>(static_cast<std::uint32_t>(handle));
    case vt::UI4:
    case vt::UInt:
      return static_cast<std::uint32_t>(handle);
    default:
      return handle;
  }
}

}  // namespace

const std::vector<Dialect>& dialects() {
  static const std::vector<Dialect> kDialects{
      {.name = "canonical",
       .summary = "points VT_ARRAY|VT_R8 from 0, HWND VT_I4, IsQuiescent VT_BOOL, Count and "
                  "Alignment VT_I4, numbers VT_R8, strings VT_BSTR, objects VT_DISPATCH",
       .points = {{vt::R8, 0}},
       .handles = {vt::I4},
       .flags = {vt::Bool},
       .integers = {vt::I4}},
      {.name = "variant-arrays",
       .summary = "points VT_ARRAY|VT_VARIANT each holding a VT_R8, from 1 and from 0 in turn",
       .points = {{vt::Variant, 1}, {vt::Variant, 0}},
       .handles = {vt::I4},
       .flags = {vt::Bool},
       .integers = {vt::I4}},
      {.name = "wide-handles",
       .summary = "HWND VT_I8, VT_UI4, VT_UI8, VT_INT, VT_UINT in turn",
       .points = {{vt::R8, 0}},
       .handles = {vt::I8, vt::UI4, vt::UI8, vt::Int, vt::UInt},
       .flags = {vt::Bool},
       .integers = {vt::I4}},
      {.name = "integer-flag",
       .summary = "IsQuiescent VT_I4, VT_I2, VT_UI1, VT_I8 in turn (1 or 0)",
       .points = {{vt::R8, 0}},
       .handles = {vt::I4},
       .flags = {vt::I4, vt::I2, vt::UI1, vt::I8},
       .integers = {vt::I4}},
      {.name = "short-integers",
       .summary = "Count and Alignment VT_I2 and VT_UI2 in turn; Height, Rotation, "
                  "ObliqueAngle, GetReal VT_R4 where that is exact",
       .points = {{vt::R8, 0}},
       .handles = {vt::I4},
       .flags = {vt::Bool},
       .integers = {vt::I2, vt::UI2},
       .narrowReals = true},
      {.name = "by-reference",
       .summary = "every answer, out parameters too, by reference: VT_BYREF|VT_ARRAY|VT_R8, "
                  "VT_BYREF|VT_I4, VT_BYREF|VT_BOOL, VT_BYREF|VT_R8, VT_BYREF|VT_BSTR, "
                  "VT_BYREF|VT_DISPATCH",
       .points = {{vt::R8, 0}},
       .handles = {vt::I4},
       .flags = {vt::Bool},
       .integers = {vt::I4},
       .byReference = true},
      {.name = "unknown-objects",
       .summary = "objects VT_UNKNOWN",
       .points = {{vt::R8, 0}},
       .handles = {vt::I4},
       .flags = {vt::Bool},
       .integers = {vt::I4},
       .objects = vt::Unknown},
  };
  return kDialects;
}

const Dialect& canonicalDialect() {
  return dialects().front();
}

const Dialect& typeLibraryEncoding() {
  static const Dialect kTypeLibrary{
      .name = "type-library",
      .summary =
          "the declared types: HWND VT_I8, IsQuiescent VT_BOOL, Count and Alignment "
          "VT_I4, numbers VT_R8, strings VT_BSTR, points VT_ARRAY|VT_R8 from 0, objects "
          "VT_DISPATCH",
      .points = {{vt::R8, 0}},
      .handles = {vt::I8},
      .flags = {vt::Bool},
      .integers = {vt::I4},
      .typeLibrary = true};
  return kTypeLibrary;
}

const Dialect& dialectNamed(std::string_view name) {
  for (const Dialect& dialect : dialects()) {
    if (dialect.name == name)
      return dialect;
  }
  throw Error("unknown dialect \"" + std::string(name) + "\"; the dialects are " + dialectNames());
}

std::string dialectNames() {
  std::string names;
  for (const Dialect& dialect : dialects())
    names += (names.empty() ? "" : ", ") + std::string(dialect.name);
  return names;
}

std::size_t Encoder::next(const Dialect& dialect, Kind kind, std::size_t count) {
  return count == 0 ? 0 : turns_[{dialect.name, kind}]++ % count;
}

WireValue Encoder::encode(const Value& value, const Dialect& dialect) {
  WireValue wire = std::visit(
      Overloaded{
          [](std::monostate) { return WireValue{}; },
          [](Missing) { return WireValue::of(vt::Error, kParamNotFound); },
          [](Foreign) { return WireValue{}; },
          [&](bool flag) {
            const std::uint16_t type = dialect.flags[next(dialect, Flags, dialect.flags.size())];
            // VARIANT_TRUE is -1; an integer flag says 1.
            return WireValue::of(type, flag ? (type == vt::Bool ? -1 : 1) : 0);
          },
          [&](std::int32_t number) {
            std::uint16_t type = dialect.integers[next(dialect, Integers, dialect.integers.size())];
            if (!fits(type, number))
              type = vt::I4;
            return WireValue::of(type, number);
          },
          [&](std::int64_t handle) {
            const std::uint16_t type =
                dialect.handles[next(dialect, Handles, dialect.handles.size())];
            return WireValue::of(type, handleIn(type, handle));
          },
          [&](double number) {
            // Narrowed only in range (a wider double makes no float) and where exact.
            const bool exact = std::abs(number) <= std::numeric_limits<float>::max() &&
                               static_cast<double>(static_cast<float>(number)) == number;
            return WireValue::ofReal(dialect.narrowReals && exact ? vt::R4 : vt::R8, number);
          },
          [](const std::wstring& text) {
            WireValue out;
            out.type = vt::Bstr;
            out.text = text;
            return out;
          },
          [&](const std::vector<double>& point) {
            const PointForm form = dialect.points[next(dialect, Points, dialect.points.size())];
            WireValue out;
            out.type = vt::Array | form.element;
            out.lowerBound = form.lowerBound;
            for (double coordinate : point)
              out.elements.push_back(WireValue::ofReal(vt::R8, coordinate));
            return out;
          },
          [&](const ObjectRef& object) {
            WireValue out;
            if (object) {
              out.type = dialect.objects;
              out.object = object;
            }
            return out;
          },
      },
      value);
  if (dialect.byReference && wire.type != vt::Empty)
    wire.type |= vt::ByRef;
  return wire;
}

Value decode(const WireValue& wire) {
  if (wire.type == (vt::ByRef | vt::Variant)) {
    if (wire.elements.size() != 1)
      mismatch(L"a reference to nothing");
    return decode(wire.elements[0]);
  }
  const std::uint16_t type = wire.type & ~vt::ByRef;
  if ((type & vt::Array) != 0) {
    std::vector<double> numbers;
    for (const WireValue& element : wire.elements) {
      const Value item = decode(element);
      if (const auto* d = std::get_if<double>(&item))
        numbers.push_back(*d);
      else if (const auto* i = std::get_if<std::int32_t>(&item))
        numbers.push_back(*i);
      else if (const auto* l = std::get_if<std::int64_t>(&item))
        numbers.push_back(static_cast<double>(*l));
      else
        mismatch(L"an array of numbers was expected");
    }
    return numbers;
  }
  switch (type) {
    case vt::Empty:
    case vt::Null:
      return {};
    case vt::Error:
      if (wire.integer == kParamNotFound)
        return Missing{};
      return {};
    case vt::Bool:
      return wire.integer != 0;
    case vt::UI8:
      if (wire.integer < 0)
        mismatch(L"an integer beyond 2^63");
      [[fallthrough]];
    case vt::I1:
    case vt::I2:
    case vt::I4:
    case vt::I8:
    case vt::UI1:
    case vt::UI2:
    case vt::UI4:
    case vt::Int:
    case vt::UInt:
      if (fits(vt::I4, wire.integer))
        return static_cast<std::int32_t>(wire.integer);
      return wire.integer;
    case vt::R4:
    case vt::R8:
      return wire.real;
    case vt::Bstr:
      return wire.text;
    case vt::Dispatch:
    case vt::Unknown:
      if (wire.object)
        return wire.object;
      if (wire.foreign)
        return Foreign{};
      return {};
    default:
      mismatch(L"an argument of an unsupported type");
  }
}

Argument argumentFrom(const WireValue& wire) {
  Argument argument(decode(wire), wire.type == (vt::ByRef | vt::Variant));
  argument.encoding = describe(wire);
  return argument;
}

}  // namespace orbelle::sim
