// Later releases of the host, which have no window title the palette knows: found running by
// their program IDs in the Running Object Table, never started.
#pragma once

#include "host/FailureLog.h"
#include "host/nanoCAD_TLB.h"

namespace orbelle {

// Fills `host` with the application of the newest running host registered under one of the
// host's program IDs whose application answers a known later release's interface ID; true when
// `host` then holds one, and `failures` names it from then on. A nanoCAD 5 found there is left
// alone (it is found by its window title or not at all). The newest running host decides: one
// that answers no known interface ends the search. Without a host `host` is left as it was, and
// `failures` is told what was looked for.
bool attachRunningHost(HostConnector& connector, HostRef<HostApplication>& host,
                       FailureLog* failures) noexcept;

}  // namespace orbelle
