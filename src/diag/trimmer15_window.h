// diag: frmTrimmer15, the idle-mixture trimmer (CO) of the 15M family changed
// through the ECU's diagnostic mode: its own small measurement loop Cycle15M,
// and the change procedure (0xAA diagnostic mode, 0x8D trimmer-adjust mode, one
// step per click echoed by the ECU, 0xFF twice to store and leave). The window's
// state goes to its view by control name; results also come back as values.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "base/view_state.h"
#include "diag/onebyte_model.h"
#include "diag/trimmer15_values.h"
#include "ecu/cycle_gate.h"

namespace dravio::diag {

enum class TrimStart {
    CycleRunning,   // Cycle15M was running: the click only stopped it
    EngineRunning,  // status bit 0x02 or 0x04: refused
    NoDiagMode,     // 0xAA not echoed: ended without a message
    Failed,         // 0x8D not echoed: "Failed"
    Ready,          // the ECU takes steps
};

// What the command line's `trim15 --set N` did.
struct Trim15Change {
    TrimStart start = TrimStart::CycleRunning;
    int before = 0;                    // shown value read before the change
    int reached = 0;                   // shown value the ECU echoed after the last step
    bool saved = false;                // the save ran (only when the target was reached)
    std::array<bool, 2> saveEchoed{};  // each 0xFF of the save echoed
    int readBack = 0;                  // shown value read after saving
};

class FrmTrimmer15 {
public:
    // The values the change accepts: raw bytes 0x00 (listen only) and 0xFF
    // (save) cannot be sent as a value.
    static constexpr int kShownMin = -127;
    static constexpr int kShownMax = 126;

    FrmTrimmer15(base::ViewState& view, base::ViewState& frmparam, OneByteModel model, OneByteHooks hooks,
                 MainWindowHooks main, ecu::CycleGate gate);

    // Opening: asks the cycle to stop, the keep-alive and the main window's
    // link buttons off, the window's captions.
    void Form_Load();
    // The window's measurement loop, until StopMesures.
    void Cycle15M();
    // One pass of the loop; no exchange for models without the 15M trimmer.
    Trim15Reading pass();

    void cdMesures_Click();
    TrimStart cdAA_Click();
    // Index 0 "Trim - 1", 1 "Trim + 1".
    void cdTrim_Click(int index);
    void cdSave_Click();
    void cdFin_Click();

    // The command line: start the change, step to the shown value `target`, and
    // store it. When the ECU stops taking steps before the target, nothing is
    // stored (the ECU drops an unsaved value when its diagnostic mode ends).
    Trim15Change setTrimmer(int target);

    int trimmer() const { return trimmer_; }
    // The hidden progress log (Text1), line by line.
    const std::vector<std::string>& log() const { return log_; }
    const std::array<bool, 2>& saveEchoed() const { return saveEchoed_; }

private:
    void showTrimmer();
    void addLog(std::string line);
    void readTrimmer(std::int16_t delaiMs);

    base::ViewState& view_;
    base::ViewState& frmparam_;
    OneByteModel model_;
    OneByteLine line_;
    MainWindowHooks main_;
    ecu::CycleGate gate_;
    int trimmer_ = 0;
    int lastHigh_ = 0;
    float regime_ = 0;
    bool stopShown_ = false;
    std::array<bool, 2> saveEchoed_{};
    std::vector<std::string> log_;
};

}  // namespace dravio::diag
