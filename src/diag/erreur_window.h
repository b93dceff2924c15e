// diag: frmerreur, the fault window of the one-byte ECUs. It reads the present
// and stored fault rows and the engine status byte, and runs the ECU's
// diagnostic-mode commands (memory clearing, rev counter, pump, coils,
// injectors). The window's state goes to its view by control name; each
// procedure also returns what it found, for the command line.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "base/view_state.h"
#include "diag/erreur_decode.h"
#include "diag/onebyte_model.h"
#include "ecu/cycle_gate.h"

namespace dravio::diag {

struct FaultReading {
    // False when a measurement cycle was still running: nothing was read.
    bool done = false;
    // rdef(0..6) as shown: the fault byte as received, "RAS", or the status.
    std::array<std::string, kErreurRows> rdef{};
    // Text1, one entry per line (the window joins them with CR LF).
    std::vector<std::string> lines;
};

enum class TestOutcome {
    CycleRunning,   // the measurement cycle had not ended: click again
    EngineRunning,  // status bit 0x02 or 0x04: refused
    NoDiagMode,     // 0xAA not echoed: the command was not sent
    Passed,         // end-of-test byte "FF"
    Failed,         // end-of-test byte "EE"
    NoEnd,          // any other end-of-test answer, none within 32 s included
};

std::string_view testOutcomeName(TestOutcome outcome);

struct TestRun {
    TestOutcome outcome = TestOutcome::CycleRunning;
    // frdialogue's caption and the four progress rows at the end.
    std::string frdialogue;
    std::array<std::string, 4> lenvoie{};
    std::array<std::string, 4> lrecu{};
    std::string endOfTest;   // the end-of-test answer as hex text
    bool confirmed = false;  // the ECU echoed 0xFF when leaving the mode
    std::vector<base::MessageBox> messages;
};

class FrmErreur {
public:
    // The time-outs of the exchanges, in milliseconds.
    static constexpr std::int16_t kRowTimeout = 100;
    static constexpr std::int16_t kStatusBeforeTestTimeout = 400;
    static constexpr std::int16_t kDiagTimeout = 5000;
    static constexpr std::int16_t kEndOfTestTimeout = 32000;

    FrmErreur(base::ViewState& view, base::ViewState& frmparam, OneByteModel model, OneByteHooks hooks,
              MainWindowHooks main, ecu::CycleGate gate);

    // The window's captions in the chosen language.
    void Form_Load();
    // Reads faults and status (cderreur).
    FaultReading cderreur_Click();
    // Runs diagnostic-mode command `button` (cddiag(button)).
    TestRun cddiag_Click(int button);
    // Closes the window: the main window's cddiag and cdparametre come back.
    void cdarret_Click();

    OneByteModel model() const { return model_; }

private:
    void setProgress(const char* array, int index, const std::string& text);
    void setCommandsEnabled(bool enabled);
    void showMessage(TestRun& run, base::MessageBox box);
    std::string text(int id, const std::string& french) const { return line_.text(id, french); }
    TestRun finish(TestRun run);

    base::ViewState& view_;
    base::ViewState& frmparam_;
    OneByteModel model_;
    OneByteLine line_;
    MainWindowHooks main_;
    ecu::CycleGate gate_;
};

}  // namespace dravio::diag
