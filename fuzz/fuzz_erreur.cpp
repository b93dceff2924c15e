// The one-byte fault window on whatever the ECU answered: fault rows, type
// bytes, the status byte and a diagnostic-mode command fed garbled, short,
// missing or foreign answers give texts, never a fault or a hang.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/view_state.h"
#include "diag/erreur_decode.h"
#include "diag/erreur_json.h"
#include "diag/erreur_window.h"
#include "ecu/cycle_gate.h"

using namespace dravio;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4) return 0;
    // The table decoding on its own, any row.
    const int row = static_cast<std::int8_t>(data[0]);
    const auto lines = diag::gestion_erreur1516(row, data[1], data[2]);
    if (lines.size() > 12) std::abort();
    (void)diag::statusLines(data[1]);
    if (diag::statusValueText(data[2]).empty()) std::abort();

    const auto model = static_cast<diag::OneByteModel>(data[3] % 4);
    const int button = static_cast<int>(data[0] % 9) - 1;  // out-of-range buttons too
    // The rest is the ECU's answers in order, split at every '|'.
    std::vector<std::string> answers(1);
    for (std::size_t i = 4; i < size; ++i) {
        if (data[i] == '|') {
            answers.emplace_back();
        } else {
            answers.back().push_back(static_cast<char>(data[i]));
        }
    }
    std::size_t next = 0;
    diag::OneByteHooks hooks;
    hooks.EnvoieRequete = [&](std::string_view, std::string_view, std::int16_t, std::int16_t) {
        return next < answers.size() ? answers[next++] : std::string();
    };
    base::ViewState view, frmparam;
    ecu::IdleCycleFlags flags;
    diag::FrmErreur frm(view, frmparam, model, hooks, {}, flags.gate());
    frm.Form_Load();
    const diag::FaultReading reading = frm.cderreur_Click();
    for (int r = 0; r < diag::kErreurRows; ++r) {
        const std::string& shown = reading.rdef[static_cast<std::size_t>(r)];
        if (r != diag::kStatusRow && shown != "RAS" && diag::isNoFault(shown)) std::abort();
    }
    (void)diag::faultReadingToJson(reading);
    const diag::TestRun run = frm.cddiag_Click(button);
    if (!flags.LiaisonLibre) std::abort();
    (void)diag::testRunToJson(run);
    return 0;
}
