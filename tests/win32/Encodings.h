// Every VARIANT encoding a host may answer in, by what the answer means: each turns the
// canonical answer (VT_R8 numbers, VT_I4 whole numbers and handles, VT_BOOL flags, VT_DISPATCH
// objects, VT_BSTR texts, VT_ARRAY|VT_R8 points from 0) into its own form, or into nothing when
// its form cannot hold that value exactly. Then the encodings a reading must refuse.
#pragma once

#include <string>
#include <vector>

#include "tests/win32/FakeDispatch.h"

namespace orbelle::win32::fake {

struct NamedEncoding {
  std::wstring name;
  Encoding encode;
};

enum class Meaning { Number, WholeNumber, WindowHandle, Flag, Object, Text, Point };

// The accepted encodings other than the canonical one, each also by reference.
std::vector<NamedEncoding> acceptedEncodings(Meaning meaning);
// Encodings that must read as a failed call.
std::vector<NamedEncoding> refusedEncodings(Meaning meaning);

// A VARIANT of any type, its value set by `setter` on the bare VARIANT (the type last, since a
// DECIMAL's first word is the type).
Variant raw(VARTYPE type, auto setter) {
  Variant value;
  VARIANT* slot = value.put();
  setter(*slot);
  slot->vt = type;
  return value;
}

}  // namespace orbelle::win32::fake
