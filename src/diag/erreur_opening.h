// diag: how the main window opens frmerreur (cddiag, F4, and the menu entry
// mndiag) for the one-byte models. The first click asks a running measurement
// cycle to stop; the window opens only once the cycle has ended.
#pragma once

#include <functional>

#include "base/view_state.h"
#include "ecu/cycle_gate.h"

namespace dravio::diag {

// Stops the cycle, takes the link buttons and the recording box of the main
// window `frmparam`, closes the 59M/5AM fault window (`unloadDtc59`, may be
// empty). True when frmerreur is to be shown now (cddiag is then disabled
// until the window closes); false while the cycle has still to end.
bool cddiagOneByte_Click(base::ViewState& frmparam, ecu::CycleGate gate, const std::function<void()>& unloadDtc59);

}  // namespace dravio::diag
