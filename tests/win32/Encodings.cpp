#include "tests/win32/Encodings.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <new>
#include <optional>

#include "host/Answer.h"

namespace orbelle::win32::fake {

namespace {

using Maybe = std::optional<Variant>;

// The canonical answer's value: VT_R8, VT_I4 or VT_BOOL, read directly.
double valueOf(const Variant& canonical) {
  switch (canonical.type()) {
    case VT_R8:
      return canonical.get().dblVal;
    case VT_I4:
      return canonical.get().lVal;
    case VT_BOOL:
      return canonical.get().boolVal != VARIANT_FALSE ? 1 : 0;
    default:
      throw std::logic_error("a canonical answer is VT_R8, VT_I4 or VT_BOOL");
  }
}

// An integer type holds the value when it is whole and in its range.
template <class T>
Maybe integer(VARTYPE type, T VARIANT::*field, double value) {
  // An integer has no negative zero.
  if (std::trunc(value) != value || (value == 0 && std::signbit(value)) ||
      value < static_cast<double>(std::numeric_limits<T>::min()) ||
      value > static_cast<double>(std::numeric_limits<T>::max()))
    return std::nullopt;
  return raw(type, [&](VARIANT& v) { v.*field = static_cast<T>(value); });
}

Maybe decimal(double value) {
  // The shortest decimal scale that holds the value exactly, checked through the exact reading.
  for (int scale = 0; scale <= 12; ++scale) {
    const double scaled = std::abs(value) * std::pow(10.0, scale);
    if (std::trunc(scaled) != scaled || scaled >= 9007199254740992.0)
      continue;
    DecimalNumber candidate{static_cast<std::uint64_t>(scaled), 0, static_cast<std::uint8_t>(scale),
                            std::signbit(value)};
    if (decimalToDouble(candidate) != value)
      continue;
    Variant result;
    VARIANT* slot = result.put();
    slot->decVal.Lo64 = candidate.low;
    slot->decVal.Hi32 = 0;
    slot->decVal.scale = candidate.scale;
    slot->decVal.sign = candidate.negative ? DECIMAL_NEG : 0;
    slot->vt = VT_DECIMAL;  // after the DECIMAL: its first word is vt
    return result;
  }
  return std::nullopt;
}

// Number encodings of one value; VT_R8 is the canonical one and so is left out.
std::vector<std::pair<std::wstring, std::function<Maybe(double)>>> numberForms() {
  return {
      {L"VT_R4",
       [](double v) -> Maybe {
         const float single = static_cast<float>(v);
         if (static_cast<double>(single) != v && !std::isnan(v))
           return std::nullopt;
         return raw(VT_R4, [&](VARIANT& x) { x.fltVal = single; });
       }},
      {L"VT_I1", [](double v) { return integer(VT_I1, &VARIANT::cVal, v); }},
      {L"VT_I2", [](double v) { return integer(VT_I2, &VARIANT::iVal, v); }},
      {L"VT_I4", [](double v) { return integer(VT_I4, &VARIANT::lVal, v); }},
      {L"VT_I8", [](double v) { return integer(VT_I8, &VARIANT::llVal, v); }},
      {L"VT_UI1", [](double v) { return integer(VT_UI1, &VARIANT::bVal, v); }},
      {L"VT_UI2", [](double v) { return integer(VT_UI2, &VARIANT::uiVal, v); }},
      {L"VT_UI4", [](double v) { return integer(VT_UI4, &VARIANT::ulVal, v); }},
      {L"VT_UI8", [](double v) { return integer(VT_UI8, &VARIANT::ullVal, v); }},
      {L"VT_INT", [](double v) { return integer(VT_INT, &VARIANT::intVal, v); }},
      {L"VT_UINT", [](double v) { return integer(VT_UINT, &VARIANT::uintVal, v); }},
      {L"VT_DECIMAL", decimal},
  };
}

NamedEncoding scalar(std::wstring name, std::function<Maybe(double)> form) {
  return {std::move(name),
          [form](const Variant& canonical, FakeServer&) { return form(valueOf(canonical)); }};
}

// `inner`'s value by reference, as a proxy hands one over: the target allocated with
// CoTaskMemAlloc for the receiver, holding the value (and what it owns); the type marked
// VT_BYREF. The receiver frees it.
NamedEncoding byReference(const NamedEncoding& inner) {
  return {L"VT_BYREF|" + inner.name,
          [encode = inner.encode](const Variant& canonical, FakeServer& server) -> Maybe {
            Maybe value = encode(canonical, server);
            if (!value)
              return std::nullopt;
            const VARTYPE type = value->type();
            VARIANT held = value->detach();
            // A DECIMAL fills the whole VARIANT; every other value sits in its union.
            const void* data =
                type == VT_DECIMAL ? static_cast<const void*>(&held.decVal) : &held.llVal;
            const std::size_t size = type == VT_DECIMAL ? sizeof held.decVal : sizeof held.llVal;
            void* target = ::CoTaskMemAlloc(size);
            if (target == nullptr)
              throw std::bad_alloc();
            std::memcpy(target, data, size);
            Variant reference;
            VARIANT* slot = reference.put();
            slot->vt = type | VT_BYREF;
            slot->byref = target;
            return reference;
          }};
}

// The value inside a VARIANT that is itself passed by reference (the VARIANT allocated for the
// receiver, as above).
NamedEncoding inVariantByReference(const NamedEncoding& inner) {
  return {L"VT_BYREF|VT_VARIANT of " + inner.name,
          [encode = inner.encode](const Variant& canonical, FakeServer& server) -> Maybe {
            Maybe value = encode(canonical, server);
            if (!value)
              return std::nullopt;
            return referenceTo(std::move(*value));
          }};
}

NamedEncoding canonical(std::wstring name) {
  return {std::move(name), [](const Variant& value, FakeServer&) -> Maybe { return value; }};
}

// Each form, and each form by reference; the canonical form by reference and inside a
// VARIANT by reference too.
std::vector<NamedEncoding> withReferences(std::vector<NamedEncoding> forms,
                                          const std::wstring& canonicalName) {
  std::vector<NamedEncoding> all = forms;
  for (const NamedEncoding& form : forms)
    all.push_back(byReference(form));
  all.push_back(byReference(canonical(canonicalName)));
  all.push_back(inVariantByReference(canonical(canonicalName)));
  return all;
}

std::vector<double> coordinatesOf(const Variant& point) {
  SAFEARRAY* array = point.get().parray;
  LONG low = 0, high = -1;
  ::SafeArrayGetLBound(array, 1, &low);
  ::SafeArrayGetUBound(array, 1, &high);
  std::vector<double> coordinates;
  for (LONG i = low; i <= high; ++i) {
    double value = 0;
    ::SafeArrayGetElement(array, &i, &value);
    coordinates.push_back(value);
  }
  return coordinates;
}

Variant arrayOf(VARTYPE element, LONG lowerBound, ULONG count) {
  SAFEARRAYBOUND bound{count, lowerBound};
  SAFEARRAY* array = ::SafeArrayCreate(element, 1, &bound);
  if (array == nullptr)
    throw std::bad_alloc();
  VARIANT owned;
  ::VariantInit(&owned);
  owned.vt = VT_ARRAY | element;
  owned.parray = array;
  return Variant::adopt(owned);
}

Maybe doublesFrom(const std::vector<double>& coordinates, LONG lowerBound) {
  Variant result = arrayOf(VT_R8, lowerBound, static_cast<ULONG>(coordinates.size()));
  for (std::size_t i = 0; i < coordinates.size(); ++i) {
    LONG index = lowerBound + static_cast<LONG>(i);
    double value = coordinates[i];
    ::SafeArrayPutElement(result.get().parray, &index, &value);
  }
  return result;
}

// A VT_ARRAY|VT_VARIANT whose element i has form forms[i % size]; nothing when one cannot
// hold its coordinate.
Maybe variantsFrom(const std::vector<double>& coordinates, LONG lowerBound,
                   const std::vector<std::function<Maybe(double)>>& forms) {
  Variant result = arrayOf(VT_VARIANT, lowerBound, static_cast<ULONG>(coordinates.size()));
  for (std::size_t i = 0; i < coordinates.size(); ++i) {
    Maybe element = forms[i % forms.size()](coordinates[i]);
    if (!element)
      return std::nullopt;
    LONG index = lowerBound + static_cast<LONG>(i);
    ::SafeArrayPutElement(result.get().parray, &index, const_cast<VARIANT*>(&element->get()));
  }
  return result;
}

NamedEncoding pointForm(std::wstring name, std::function<Maybe(const std::vector<double>&)> form) {
  return {std::move(name),
          [form](const Variant& canonical, FakeServer&) { return form(coordinatesOf(canonical)); }};
}

Maybe asDouble(double v) {
  return Variant(v);
}

std::vector<NamedEncoding> pointEncodings() {
  std::vector<std::function<Maybe(double)>> numbers;
  for (auto& [name, form] : numberForms())
    numbers.push_back(form);
  std::vector<NamedEncoding> forms = {
      pointForm(L"VT_ARRAY|VT_R8 from 1", [](const auto& c) { return doublesFrom(c, 1); }),
      pointForm(L"VT_ARRAY|VT_R8 from -3", [](const auto& c) { return doublesFrom(c, -3); }),
      pointForm(L"VT_ARRAY|VT_R8 of two",
                [](const auto& c) {
                  return doublesFrom({c.begin(), c.begin() + 2}, 0);
                }),
      pointForm(L"VT_ARRAY|VT_R8 of four",
                [](const auto& c) {
                  std::vector<double> four = c;
                  four.push_back(-1);
                  return doublesFrom(four, 0);
                }),
      pointForm(L"VT_ARRAY|VT_VARIANT of VT_R8",
                [](const auto& c) { return variantsFrom(c, 0, {asDouble}); }),
      pointForm(L"VT_ARRAY|VT_VARIANT of VT_R8 from 1",
                [](const auto& c) { return variantsFrom(c, 1, {asDouble}); }),
  };
  for (auto& [name, form] : numberForms()) {
    forms.push_back(pointForm(L"VT_ARRAY|VT_VARIANT of " + name,
                              [form](const auto& c) { return variantsFrom(c, 0, {form}); }));
  }
  forms.push_back(pointForm(L"VT_ARRAY|VT_VARIANT of mixed numbers",
                            [numbers](const auto& c) { return variantsFrom(c, 0, numbers); }));
  return withReferences(forms, L"VT_ARRAY|VT_R8");
}

NamedEncoding constant(std::wstring name, std::function<Variant(FakeServer&)> make) {
  return {std::move(name),
          [make](const Variant&, FakeServer& server) -> Maybe { return make(server); }};
}

Variant empty() {
  return Variant();
}

Variant null() {
  return raw(VT_NULL, [](VARIANT&) {});
}

Variant text(const wchar_t* value) {
  return Variant(std::wstring_view(value));
}

}  // namespace

std::vector<NamedEncoding> acceptedEncodings(Meaning meaning) {
  std::vector<NamedEncoding> forms;
  switch (meaning) {
    case Meaning::Number:
      for (auto& [name, form] : numberForms())
        forms.push_back(scalar(name, form));
      return withReferences(forms, L"VT_R8");
    case Meaning::WholeNumber:
      forms.push_back(scalar(L"VT_R8", asDouble));
      for (auto& [name, form] : numberForms()) {
        if (name != L"VT_I4")
          forms.push_back(scalar(name, form));
      }
      return withReferences(forms, L"VT_I4");
    case Meaning::WindowHandle:
      for (auto& [name, form] : numberForms()) {
        if (name == L"VT_UI4" || name == L"VT_I8" || name == L"VT_UI8" || name == L"VT_INT" ||
            name == L"VT_UINT")
          forms.push_back(scalar(name, form));
      }
      // Only the low 32 bits are the handle: whatever a 64-bit answer carries above them.
      forms.push_back(scalar(L"VT_I8 with high bits", [](double v) {
        return raw(VT_I8, [&](VARIANT& x) {
          x.llVal = static_cast<LONGLONG>(0x7ABCDEF100000000LL | static_cast<std::uint32_t>(v));
        });
      }));
      forms.push_back(scalar(L"VT_UI8 with high bits", [](double v) {
        return raw(VT_UI8, [&](VARIANT& x) {
          x.ullVal = 0xFFFFFFFF00000000ULL | static_cast<std::uint32_t>(v);
        });
      }));
      return withReferences(forms, L"VT_I4");
    case Meaning::Flag:
      for (auto& [name, form] : numberForms()) {
        if (name != L"VT_R4" && name != L"VT_DECIMAL")
          forms.push_back(scalar(name, form));
      }
      // Any non-zero integer is true, not only 1.
      forms.push_back(scalar(L"VT_I2 as -1 or 0", [](double v) {
        return raw(VT_I2, [&](VARIANT& x) { x.iVal = v != 0 ? -1 : 0; });
      }));
      forms.push_back(scalar(L"VT_UI4 as 2 or 0", [](double v) {
        return raw(VT_UI4, [&](VARIANT& x) { x.ulVal = v != 0 ? 2 : 0; });
      }));
      return withReferences(forms, L"VT_BOOL");
    case Meaning::Object:
      forms.push_back({L"VT_UNKNOWN", [](const Variant& canonical, FakeServer&) -> Maybe {
                         Variant unknown = canonical;
                         VARIANT& slot = const_cast<VARIANT&>(unknown.get());
                         slot.vt = VT_UNKNOWN;  // the same pointer, an IDispatch is an IUnknown
                         return unknown;
                       }});
      return withReferences(forms, L"VT_DISPATCH");
    case Meaning::Text:
      return withReferences({}, L"VT_BSTR");
    case Meaning::Point:
      return pointEncodings();
  }
  return {};
}

std::vector<NamedEncoding> refusedEncodings(Meaning meaning) {
  std::vector<NamedEncoding> refused = {
      constant(L"VT_EMPTY", [](FakeServer&) { return empty(); }),
      constant(L"VT_NULL", [](FakeServer&) { return null(); }),
      constant(L"VT_ERROR", [](FakeServer&) { return Variant::missing(); }),
  };
  const auto add = [&](std::wstring name, std::function<Variant(FakeServer&)> make) {
    refused.push_back(constant(std::move(name), std::move(make)));
  };
  const auto number = [](VARTYPE type, auto setter) {
    return [type, setter](FakeServer&) { return raw(type, setter); };
  };
  switch (meaning) {
    case Meaning::Number:
    case Meaning::WholeNumber:
      // A string is never read as a number, whatever it spells.
      add(L"VT_BSTR \"10\"", [](FakeServer&) { return text(L"10"); });
      add(L"VT_BSTR \"1,5\"", [](FakeServer&) { return text(L"1,5"); });
      add(L"VT_BOOL", number(VT_BOOL, [](VARIANT& x) { x.boolVal = VARIANT_TRUE; }));
      add(L"VT_DATE", number(VT_DATE, [](VARIANT& x) { x.date = 10; }));
      add(L"VT_CY", number(VT_CY, [](VARIANT& x) { x.cyVal.int64 = 100000; }));
      add(L"VT_DECIMAL scaled 29", [](FakeServer&) {
        Variant value;
        VARIANT* slot = value.put();
        slot->decVal.Lo64 = 1;
        slot->decVal.scale = 29;
        slot->vt = VT_DECIMAL;
        return value;
      });
      add(L"VT_DISPATCH",
          [](FakeServer& server) { return Variant::dispatch(&server.object(L"stray object")); });
      if (meaning == Meaning::WholeNumber)
        add(L"VT_R8 2.5", number(VT_R8, [](VARIANT& x) { x.dblVal = 2.5; }));
      break;
    case Meaning::WindowHandle:
      add(L"VT_I2", number(VT_I2, [](VARIANT& x) { x.iVal = 7; }));
      add(L"VT_UI2", number(VT_UI2, [](VARIANT& x) { x.uiVal = 7; }));
      add(L"VT_R8", number(VT_R8, [](VARIANT& x) { x.dblVal = 134722; }));
      add(L"VT_BSTR", [](FakeServer&) { return text(L"134722"); });
      add(L"VT_BOOL", number(VT_BOOL, [](VARIANT& x) { x.boolVal = VARIANT_TRUE; }));
      break;
    case Meaning::Flag:
      add(L"VT_R8", number(VT_R8, [](VARIANT& x) { x.dblVal = 1; }));
      add(L"VT_BSTR", [](FakeServer&) { return text(L"true"); });
      break;
    case Meaning::Object:
      add(L"a null VT_DISPATCH", [](FakeServer&) { return Variant::dispatch(nullptr); });
      add(L"VT_UNKNOWN without IDispatch", [](FakeServer& server) {
        Variant value = Variant::dispatch(&server.object(L"plain unknown").withoutDispatch());
        const_cast<VARIANT&>(value.get()).vt = VT_UNKNOWN;
        return value;
      });
      add(L"VT_I4", number(VT_I4, [](VARIANT& x) { x.lVal = 1; }));
      break;
    case Meaning::Text:
      add(L"VT_I4", number(VT_I4, [](VARIANT& x) { x.lVal = 1; }));
      add(L"VT_DISPATCH",
          [](FakeServer& server) { return Variant::dispatch(&server.object(L"stray object")); });
      break;
    case Meaning::Point:
      add(L"VT_BSTR", [](FakeServer&) { return text(L"100,50,0"); });
      add(L"VT_R8", number(VT_R8, [](VARIANT& x) { x.dblVal = 100; }));
      add(L"VT_ARRAY|VT_I4", [](FakeServer&) { return arrayOf(VT_I4, 0, 3); });
      add(L"VT_ARRAY|VT_BSTR", [](FakeServer&) { return arrayOf(VT_BSTR, 0, 3); });
      add(L"VT_ARRAY|VT_R8 of one", [](FakeServer&) { return *doublesFrom({100}, 0); });
      add(L"VT_ARRAY|VT_VARIANT with a text", [](FakeServer&) {
        return *variantsFrom({100, 50, 0}, 0, {[](double v) -> Maybe {
                               return v == 100 ? text(L"100") : Variant(v);
                             }});
      });
      add(L"VT_ARRAY|VT_R8 of two dimensions", [](FakeServer&) {
        SAFEARRAYBOUND bounds[2] = {{3, 0}, {1, 0}};
        VARIANT owned;
        ::VariantInit(&owned);
        owned.vt = VT_ARRAY | VT_R8;
        owned.parray = ::SafeArrayCreate(VT_R8, 2, bounds);
        return Variant::adopt(owned);
      });
      break;
  }
  return refused;
}

}  // namespace orbelle::win32::fake
