// A VARIANT as the host sent it, translated into the portable Answer whose rules decide what it
// means (host/Answer.h). Nothing here decides: it only looks through VT_BYREF and copies out.
#pragma once

#include <oaidl.h>
#include <windows.h>

#include <string_view>

#include "host/Answer.h"
#include "host/win32/ComRef.h"

namespace orbelle::win32 {

// The answer a VARIANT holds, through VT_BYREF (and one VT_BYREF|VT_VARIANT). An array of VT_R8
// or VT_VARIANT brings its first elements along, enough for any point.
Answer answerOf(const VARIANT& value);

// An object answer as IDispatch: VT_DISPATCH, or VT_UNKNOWN that answers IDispatch, each also by
// reference. Throws HostError naming `member` for anything else, or a null reference.
ComRef<IDispatch> dispatchOf(const VARIANT& value, std::wstring_view member);

}  // namespace orbelle::win32
