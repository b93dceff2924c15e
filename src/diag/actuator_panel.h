// diag: the lower half of FrmDTC59 for the 59M and 5AM: an actuator test
// chosen from the list and run for its duration with a progress display, the
// immobiliser status, the confirmed reset of the throttle-position (TPS)
// adaptation and the service reset of the 5AM. TimerTestActif ticks every
// 200 ms on the link thread's event loop and ends each run.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/event_loop.h"
#include "base/view_state.h"
#include "diag/dtc59_hooks.h"

namespace dravio::diag {

class ActuatorPanel {
public:
    // `ecuType` is the ECU type the main window shows (its sixth status label);
    // "IAW5A" in it marks a 5AM.
    ActuatorPanel(base::EventLoop& loop, base::ViewState& view, Dtc59Hooks hooks, Dtc59Requests requests,
                  std::string ecuType);

    // The test part of loading; `resetsAllowed` enables the frame of the TPS and
    // service resets (the "M59/M5A" model).
    void Form_Load(bool resetsAllowed);
    // The list entries, in the language in use.
    std::vector<std::string> ComboChoixTest_List() const;

    void ComboChoixTest_Click(int index);
    void CdeStartTest_Click();
    void TimerTestActif_Timer();
    void cdresetTPS_Click();
    // The confirmation frame's buttons: 1 cancel, 2 confirm.
    void cdConfirmer_Click(int index);
    void cdService_Click();
    // Closing: the keep-alive runs again and any run ends without a word to the ECU.
    void ButtonClose_Click();

    base::Timer& TimerTestActif() { return TimerTestActif_; }
    const std::string& CodeTest() const { return CodeTest_; }
    int ticks() const { return ticks_; }
    int ticksTotal() const { return ticksTotal_; }
    bool is5AM() const;

private:
    std::string GetResourceString(int id, const std::string& french) const;
    std::string exchange(const std::string& requete, const std::string& reponseDemo, std::int16_t longueur);
    void keepAlive(bool on);
    void appendLine(const std::string& line);
    void endRun();

    base::EventLoop& loop_;
    base::ViewState& view_;
    Dtc59Hooks hooks_;
    Dtc59Requests requests_;
    std::string ecuType_;
    base::Timer TimerTestActif_;
    int index_ = -1;
    std::string CodeTest_;
    std::int16_t ChoixConfirme_ = 0;
    bool closed_ = false;
    int ticks_ = 0;
    int ticksTotal_ = 0;
};

}  // namespace dravio::diag
