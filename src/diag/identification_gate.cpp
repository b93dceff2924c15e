#include "diag/identification_gate.h"

namespace dravio::diag {

bool stopCycleBeforeOpening(bool& StopMesures, bool MesuresArretees, base::ViewState& frmparam,
                            const std::string& opener) {
    StopMesures = true;
    frmparam.setEnabled("cdintialisation", false);
    frmparam.setEnabled("cdparametre", false);
    frmparam.setChecked("Chenregistre", false);
    if (!MesuresArretees) return false;
    frmparam.setEnabled(opener, false);
    return true;
}

}  // namespace dravio::diag
