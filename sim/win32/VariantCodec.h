// The host's own VARIANT, SAFEARRAY and BSTR handling: VARIANTs copied into the portable wire
// form and back, nothing decided here (the dialect and the reading of arguments are portable).
//
// Who owns what a VARIANT refers to: a VARIANT made here owns everything it points at, also
// through VT_BYREF, whose target is allocated with CoTaskMemAlloc. Handed to COM as a call's
// result or out parameter, it belongs to the caller; across processes that is the stub, which
// marshals it and then frees it as VARIANT_UserFree does: the target with CoTaskMemFree, after
// freeing what the target holds (BSTR, array, object reference). destroyVariant frees the same
// way, for a VARIANT that never reached COM. Arguments are only read: nothing of theirs is kept
// beyond the call.
#pragma once

#include <oaidl.h>
#include <windows.h>

#include "sim/Wire.h"

namespace orbelle::sim {
class Session;
}

namespace orbelle::sim::win32 {

// What an argument holds; throws AutomationError (DISP_E_TYPEMISMATCH) for what cannot be read
// (a null reference, a multi-dimensional array, an element size that does not match its type).
WireValue readVariant(const VARIANT& variant);

// A VARIANT that owns the value; host objects become COM objects of `session`.
VARIANT makeVariant(Session& session, const WireValue& value);

// Frees a VARIANT made by makeVariant, its VT_BYREF target included; leaves it VT_EMPTY.
void destroyVariant(VARIANT& variant);

}  // namespace orbelle::sim::win32
