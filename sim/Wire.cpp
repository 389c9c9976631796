#include "sim/Wire.h"

#include <utility>

namespace orbelle::sim {

WireValue WireValue::of(std::uint16_t type, std::int64_t integer) {
  WireValue value;
  value.type = type;
  value.integer = integer;
  return value;
}

WireValue WireValue::ofReal(std::uint16_t type, double real) {
  WireValue value;
  value.type = type;
  value.real = real;
  return value;
}

std::string typeName(std::uint16_t type) {
  static const std::pair<std::uint16_t, const char*> kNames[] = {
      {vt::Empty, "VT_EMPTY"},     {vt::Null, "VT_NULL"},
      {vt::I2, "VT_I2"},           {vt::I4, "VT_I4"},
      {vt::R4, "VT_R4"},           {vt::R8, "VT_R8"},
      {vt::Bstr, "VT_BSTR"},       {vt::Dispatch, "VT_DISPATCH"},
      {vt::Error, "VT_ERROR"},     {vt::Bool, "VT_BOOL"},
      {vt::Variant, "VT_VARIANT"}, {vt::Unknown, "VT_UNKNOWN"},
      {vt::I1, "VT_I1"},           {vt::UI1, "VT_UI1"},
      {vt::UI2, "VT_UI2"},         {vt::UI4, "VT_UI4"},
      {vt::I8, "VT_I8"},           {vt::UI8, "VT_UI8"},
      {vt::Int, "VT_INT"},         {vt::UInt, "VT_UINT"}};
  std::string name;
  if ((type & vt::ByRef) != 0)
    name += "VT_BYREF|";
  if ((type & vt::Array) != 0)
    name += "VT_ARRAY|";
  for (const auto& [code, text] : kNames) {
    if (code == vt::base(type))
      return name.append(text);
  }
  return name.append("VT_").append(std::to_string(vt::base(type)));
}

std::string describe(const WireValue& value) {
  std::string text = typeName(value.type);
  if (value.type == (vt::ByRef | vt::Variant)) {
    text.append("(");
    if (!value.elements.empty())
      text.append(describe(value.elements[0]));
    return text.append(")");
  }
  if ((value.type & vt::Array) == 0)
    return text;
  const auto count = static_cast<std::int64_t>(value.elements.size());
  text.append("[")
      .append(std::to_string(value.lowerBound))
      .append("..")
      .append(std::to_string(value.lowerBound + count - 1))
      .append("]");
  if (vt::base(value.type) == vt::Variant && !value.elements.empty()) {
    // What the VARIANTs hold, once when they all hold the same.
    std::string inner = describe(value.elements[0]);
    for (const WireValue& element : value.elements) {
      if (describe(element) != inner)
        inner = "mixed";
    }
    text.append("{").append(inner).append("}");
  }
  return text;
}

}  // namespace orbelle::sim
