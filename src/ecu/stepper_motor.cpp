#include "ecu/stepper_motor.h"

#include <cmath>

#include "ecu/mesures.h"

namespace dravio::ecu {
namespace {

constexpr double kAttente = 0.06;
constexpr float kTestMinRegime = 600;
// No time-out is documented for these two; the usual one of a short KWP2000 read.
constexpr std::int16_t kTimeoutMs = 1000;

}  // namespace

StepperMotor::StepperMotor(base::ViewState& frmparam, base::EventLoop& loop, StepperHooks hooks,
                           std::string enteteReponse)
    : view_(frmparam), hooks_(std::move(hooks)), enteteReponse_(std::move(enteteReponse)), TimerTempo_(loop) {
    TimerTempo_.setOnTick([this] { onTempoTick(); });
}

void StepperMotor::cdMoteurPPClick() {
    TestMoteurDemande_ = true;
    view_.setEnabled("cdMoteurPP", false);
}

std::string StepperMotor::GestionMoteurPP(float regime) {
    std::string text = "--";
    if (view_.enabled("lbMoteurPP")) {
        if (hooks_.Attente) hooks_.Attente(kAttente);
        const std::string answer =
            hooks_.EnvoieRequete ? hooks_.EnvoieRequete("216C", "83" + enteteReponse_ + "616C96E7", 7, kTimeoutMs) : "";
        const auto p = answer.find(enteteReponse_ + "616C");
        text = std::to_string(p == std::string::npos ? 0 : pairAt(answer, p + 8));
    }

    if (regime > kTestMinRegime && TestMoteurDemande_) {
        TestMoteurDemande_ = false;
        BarreOccupee_ = true;
        tempoCount_ = 0;
        TimerTempo_.setInterval(kTempoInterval);
        TimerTempo_.restart();
        if (hooks_.Attente) hooks_.Attente(kAttente);
        if (hooks_.EnvoieRequete) hooks_.EnvoieRequete("300407", "83" + enteteReponse_ + "700407CF", 7, kTimeoutMs);
    }
    return text;
}

void StepperMotor::onTempoTick() {
    ++tempoCount_;
    if (tempoCount_ < tempoLength_) {
        view_.setValue("ProgressBar1", static_cast<int>(std::nearbyint(tempoCount_ * 100.0 / tempoLength_)));
        view_.setText("Lbtest", std::to_string(std::lround(tempoCount_ * 200.0 / 1000.0)));
        return;
    }
    view_.setValue("ProgressBar1", 0);
    TimerTempo_.setEnabled(false);
    BarreOccupee_ = false;
    view_.setEnabled("cdMoteurPP", true);
}

}  // namespace dravio::ecu
