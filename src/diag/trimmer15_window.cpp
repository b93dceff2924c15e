#include "diag/trimmer15_window.h"

#include <cstdlib>
#include <utility>

#include "proto/hex.h"

namespace dravio::diag {

FrmTrimmer15::FrmTrimmer15(base::ViewState& view, base::ViewState& frmparam, OneByteModel model, OneByteHooks hooks,
                           MainWindowHooks main, ecu::CycleGate gate)
    : view_(view), frmparam_(frmparam), model_(model), line_(std::move(hooks)), main_(std::move(main)), gate_(gate) {}

void FrmTrimmer15::Form_Load() {
    gate_.StopMesures = true;
    if (main_.keepAlive) main_.keepAlive(false);
    for (const char* c : {"cddiag", "cdparametre", "cdintialisation", "MnInit", "mnIdentification"}) {
        frmparam_.setEnabled(c, false);
    }
    view_.setText("frmTrimmer15", line_.text(3240, "Test Trimmer 15M"));
    view_.setText("cdMesures", line_.text(3241, "Mesures"));
    view_.setText("frExec", line_.text(3243, "Change Trimmer"));
    view_.setText("cdAA", line_.text(3244, "Init Trimmer"));
    view_.setText("cdSave", line_.text(3245, "Save"));
    view_.setText("frTrimPlus", line_.text(3246, "Trim"));
    view_.setText("cdTrim0", line_.text(3247, "Trim - 1"));
    view_.setText("cdTrim1", line_.text(3248, "Trim + 1"));
    view_.setText("cdFin", line_.text(3249, "Abord - Exit"));
    view_.setText("lRPM", line_.text(3255, "Régime"));
    view_.setText("lTPS", line_.text(3256, "Papillon"));
    view_.setText("lVolt", line_.text(3257, "Batterie"));
    view_.setText("lTrim", line_.text(3258, "Trimmer"));
    view_.setEnabled("frExec", true);
    view_.setEnabled("frTrimPlus", false);
    view_.setVisible("Text1", false);
}

Trim15Reading FrmTrimmer15::pass() {
    Trim15Reading r;
    if (!hasTrimmer15(model_)) return r;
    int high = proto::HexToByte(line_.send("01", "A0", 1000));
    // 0xFF is what the ECU sends while the low byte is being updated.
    if (high == 0xFF) {
        high = lastHigh_;
    } else {
        lastHigh_ = high;
    }
    const int low = proto::HexToByte(line_.send("02", "AA", 1000));
    regime_ = trim15Regime(high * 256 + low, regime_);
    r.regime = regime_;
    r.papillon = trim15Papillon(proto::HexToByte(line_.send("09", "10", 100)));
    r.tension = trim15Tension(proto::HexToByte(line_.send("0A", "50", 100)));
    trimmer_ = proto::HexToByte(line_.send("0F", "81", 100));
    r.trimmer = trimmer_;
    const Trim15Texts shown = trim15Texts(r);
    view_.setText("lbRPM", shown.lbRPM);
    view_.setText("lbTPS", shown.lbTPS);
    view_.setText("lbVolt", shown.lbVolt);
    view_.setText("lbTrim", shown.lbTrim);
    return r;
}

void FrmTrimmer15::Cycle15M() {
    gate_.MesuresArretees = false;
    for (;;) {
        line_.doEvents();
        if (gate_.StopMesures) break;
        pass();
    }
    gate_.MesuresArretees = true;
}

void FrmTrimmer15::cdMesures_Click() {
    gate_.StopMesures = true;
    frmparam_.setEnabled("cdparametre", false);
    // The caption tells which way the button goes ("Stop" while the loop runs).
    if (stopShown_) {
        stopShown_ = false;
        view_.setText("cdMesures", line_.text(3241, "Mesures"));
        view_.setEnabled("frExec", true);
        view_.setText("lbTrimStaut", line_.text(3250, "Stop motor OFF to Change Trimmer"));
    } else if (gate_.MesuresArretees) {
        stopShown_ = true;
        view_.setText("cdMesures", line_.text(3242, "Stop"));
        view_.setEnabled("frExec", false);
        gate_.StopMesures = false;
        view_.setText("lbTrimStaut",
                      line_.text(3251, "It's not possible to Change Trimmer when Mesures are in action"));
        Cycle15M();
    }
}

TrimStart FrmTrimmer15::cdAA_Click() {
    gate_.StopMesures = true;
    frmparam_.setEnabled("cdparametre", false);
    if (!gate_.MesuresArretees) {
        cdMesures_Click();
        return TrimStart::CycleRunning;
    }
    line_.doEvents();
    readTrimmer(5000);

    const std::uint8_t status = proto::HexToByte(line_.send("13", "01", 400));
    const base::MessageBox refusal{line_.text(328, "Le moteur doit être arrété"), std::string(kTitleCaution),
                                   base::MessageBox::Icon::Critical, base::MessageBox::Buttons::Ok};
    if ((status & kStatusEngineRunning) != 0) {
        view_.setBackColour("shStatut", kRed);
        view_.showMessage(refusal);
        return TrimStart::EngineRunning;
    }
    if ((status & kStatusRefusesDiag) != 0) {
        view_.showMessage(refusal);
        return TrimStart::EngineRunning;
    }

    view_.setEnabled("cdMesures", false);
    const std::string entered = line_.send(kEnterDiag, kEnterDiag, 5000);
    addLog("Init trimmer");
    if (entered != kEnterDiag) return TrimStart::NoDiagMode;

    line_.wait(1.0);
    const std::string adjust = line_.send(kEnterTrimmerAdjust, kEnterTrimmerAdjust, 5000);
    if (adjust != kEnterTrimmerAdjust) {
        view_.showMessage({line_.text(3253, "Failed"), std::string(kTitleCaution)});
        return TrimStart::Failed;
    }
    // The rider starts the engine now; the steps are taken while it runs.
    view_.showMessage({line_.text(3252, "Motor ON now and click OK"), std::string(kTitleCaution)});
    view_.setEnabled("frTrimPlus", true);
    view_.setBackColour("shStatut", kGreen);
    view_.setText("lbTrimStaut", line_.text(3254, "ECU Ready if Motor ON"));
    addLog("Trimmer OK");
    return TrimStart::Ready;
}

void FrmTrimmer15::cdTrim_Click(int index) {
    gate_.StopMesures = true;
    if (!gate_.MesuresArretees) {
        cdMesures_Click();
        return;
    }
    line_.doEvents();
    view_.setBackColour("shStatut", kRed);
    if (index == 0) {
        --trimmer_;
        addLog("-1");
    } else {
        ++trimmer_;
        addLog("+1");
    }
    const std::string value = proto::ByteToHex(trimmer_);
    // The ECU echoes the value it has taken.
    trimmer_ = proto::HexToByte(line_.send(value, value, 2000));
    showTrimmer();
    view_.setBackColour("shStatut", kBlue);
    addLog("<== New Value, Continue, Save or Abord");
    line_.wait(0.3);
}

void FrmTrimmer15::cdSave_Click() {
    saveEchoed_[0] = line_.send(kLeaveDiag, kLeaveDiag, 2000) == kLeaveDiag;
    addLog("New Trimmer saved");
    line_.wait(0.5);
    saveEchoed_[1] = line_.send(kLeaveDiag, kLeaveDiag, 2000) == kLeaveDiag;
    addLog("End Trimmer");
    line_.wait(0.2);
    view_.setBackColour("shStatut", kYellow);
    readTrimmer(2000);
    addLog("Save passed, only if Motor was ON");
}

void FrmTrimmer15::cdFin_Click() {
    // A loop still running must not outlive its window.
    gate_.StopMesures = true;
    if (main_.keepAlive) main_.keepAlive(true);
    for (const char* c : {"cddiag", "cdparametre", "MnInit", "mnIdentification"}) frmparam_.setEnabled(c, true);
    view_.setVisible("frmTrimmer15", false);
}

Trim15Change FrmTrimmer15::setTrimmer(int target) {
    Trim15Change change;
    change.start = cdAA_Click();
    change.before = trim15Shown(trimmer_);
    change.reached = change.before;
    if (change.start != TrimStart::Ready) return change;

    const int wanted = target + 128;
    while (trimmer_ != wanted) {
        const int before = trimmer_;
        cdTrim_Click(trimmer_ < wanted ? 1 : 0);
        // An ECU at its limit echoes the same value; a lost echo reads as 0.
        if (std::abs(wanted - trimmer_) >= std::abs(wanted - before)) break;
    }
    change.reached = trim15Shown(trimmer_);
    if (trimmer_ != wanted) return change;

    cdSave_Click();
    change.saved = true;
    change.saveEchoed = saveEchoed_;
    change.readBack = trim15Shown(trimmer_);
    return change;
}

void FrmTrimmer15::showTrimmer() { view_.setText("lbTrim", std::to_string(trim15Shown(trimmer_))); }

void FrmTrimmer15::addLog(std::string line) {
    log_.push_back(std::move(line));
    std::string text;
    for (const auto& l : log_) text += l + "\r\n";
    view_.setText("Text1", text);
}

void FrmTrimmer15::readTrimmer(std::int16_t delaiMs) {
    trimmer_ = proto::HexToByte(line_.send("0F", "0F", delaiMs));
    showTrimmer();
}

}  // namespace dravio::diag
