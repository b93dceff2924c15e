// ecu: the idle stepper motor of the 5AM: its position read each cycle and the
// ECU's 32-second stepper test, whose progress takes over the bar graph.
// State is reported in the main window frmparam through its view.
#pragma once

#include <string>

#include "base/event_loop.h"
#include "base/view_state.h"
#include "ecu/exchange.h"

namespace dravio::ecu {

struct StepperHooks {
    Exchange EnvoieRequete;
    Wait Attente;
};

class StepperMotor {
public:
    // Progress ticks of the test: 32 s in 200 ms steps.
    static constexpr int kTempoTicks = 32000 / 200;
    static constexpr auto kTempoInterval = std::chrono::milliseconds(200);

    StepperMotor(base::ViewState& frmparam, base::EventLoop& loop, StepperHooks hooks, std::string enteteReponse);

    // Once per cycle with the cycle's engine speed: the text for lbMoteurPP
    // ("--" when that label is disabled), and the test started when asked and
    // the engine runs above 600 RPM.
    std::string GestionMoteurPP(float regime);

    // cdMoteurPP: asks for the test at the next cycle fast enough.
    void cdMoteurPPClick();

    // The number of ticks the test lasts; set when the cycle starts.
    void setTempoLength(int ticks) { tempoLength_ = ticks; }

    bool TestMoteurDemande() const { return TestMoteurDemande_; }
    // True while the test runs: the throttle must leave the bar graph alone.
    bool BarreOccupee() const { return BarreOccupee_; }
    int tempoCount() const { return tempoCount_; }

private:
    void onTempoTick();

    base::ViewState& view_;
    StepperHooks hooks_;
    std::string enteteReponse_;
    base::Timer TimerTempo_;
    int tempoLength_ = kTempoTicks;
    int tempoCount_ = 0;
    bool TestMoteurDemande_ = false;
    bool BarreOccupee_ = false;
};

}  // namespace dravio::ecu
