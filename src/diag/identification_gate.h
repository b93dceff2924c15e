// diag: the main window's rule for opening a window that needs the K-line
// (identification, fault codes): the first click asks the measurement cycle to
// stop; the window opens on a click made once the cycle has ended.
#pragma once

#include <string>

#include "base/view_state.h"

namespace dravio::diag {

// Sets `StopMesures`, disables cdintialisation and cdparametre and switches
// recording off (Chenregistre). When the cycle has ended (`MesuresArretees`),
// also disables `opener` (mnIdentification, cddiag) and returns true: open the
// window now. Otherwise returns false and the user clicks again.
bool stopCycleBeforeOpening(bool& StopMesures, bool MesuresArretees, base::ViewState& frmparam,
                            const std::string& opener);

}  // namespace dravio::diag
