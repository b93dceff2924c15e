#include "diag/erreur_opening.h"

namespace dravio::diag {

bool cddiagOneByte_Click(base::ViewState& frmparam, ecu::CycleGate gate, const std::function<void()>& unloadDtc59) {
    const bool lineFree = gate.requestLine();
    frmparam.setEnabled("cdintialisation", false);
    frmparam.setEnabled("cdparametre", false);
    frmparam.setChecked("Chenregistre", false);
    if (unloadDtc59) unloadDtc59();
    if (!lineFree) return false;
    frmparam.setEnabled("cddiag", false);
    return true;
}

}  // namespace dravio::diag
