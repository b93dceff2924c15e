// Cut and garbled answers never read past their text and give the fallbacks.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "ecu/decode_obd.h"
#include "ecu/decoding.h"
#include "ecu/engine_status.h"
#include "ecu/stepper_motor.h"
#include "ecu/trimmer.h"

namespace dravio::ecu {
namespace {

bool allFinite(const Mesures& m) {
    for (float v : {m.Regime, m.Papillon, m.PapillonPas, m.Injection, m.AvanceVal, m.PressionVal, m.TempAir,
                    m.TempEau, m.TensionVal})
        if (!std::isfinite(v)) return false;
    return true;
}

// Every cut of every canned answer a cycle can get, with noise around it.
TEST(GarbledAnswers, EveryCutOfEveryCannedAnswerDecodes) {
    for (const auto& row : proto::modelTable()) {
        const auto model = row.model;
        for (bool fast : {false, true}) {
            MeasureDecoder decoder(model, "F110");
            const auto requests = decoder.requests(MeasureChannels{}, fast);
            for (std::size_t i = 0; i < requests.size(); ++i) {
                for (const std::string& noise : {std::string(), std::string("Z"), std::string("F1")}) {
                    const std::string full = noise + requests[i].reponseDemo;
                    for (std::size_t n = 0; n <= full.size(); ++n) {
                        std::vector<std::string> texts;
                        for (const auto& r : requests) texts.push_back(r.reponseDemo);
                        texts[i] = full.substr(0, n);
                        std::vector<MeasureAnswer> answers;
                        for (std::size_t k = 0; k < requests.size(); ++k) answers.push_back({requests[k].field, texts[k]});
                        Mesures m;
                        decoder.decode(answers, m);
                        ASSERT_TRUE(allFinite(m)) << model << ' ' << texts[i];
                    }
                }
            }
        }
    }
}

TEST(GarbledAnswers, CutStatusAndLambdaAnswersShowNotAvailable) {
    const std::string status = "92F11061A603030000040010000001010001000101B9";
    for (std::size_t n = 0; n < 20; ++n) {  // the engine state byte needs 20 digits
        base::ViewState view;
        EngineStatus s(view, {}, "F110");
        s.showStatusBlock(status.substr(0, n));
        EXPECT_EQ(view.text("txStatutMotor"), "N/A") << n;
        EXPECT_EQ(view.text("txModeMotor"), "N/A") << n;
    }
    const std::string lambda = "83F110614B0240";
    for (std::size_t n = 0; n < 12; ++n) {
        base::ViewState view;
        EngineStatus s(view, {}, "F110");
        s.showLambdaControl(lambda.substr(0, n));
        EXPECT_EQ(view.text("txRichesse"), "N/A") << n;
    }
}

TEST(GarbledAnswers, CutTrimmerAndStepperAnswersReadZero) {
    const std::string trimmer = "83F110613D0925";
    for (std::size_t n = 0; n < 12; ++n) {
        base::ViewState view;
        const std::string cut = trimmer.substr(0, n);
        LiveTrimmer t(view, {[&](std::string_view, std::string_view, std::int16_t, std::int16_t) { return cut; }, {}, {}, {}},
                      proto::Model::M59, "F110");
        EXPECT_EQ(t.GetTrimmerInitial(), 0) << cut;
    }
    const std::string position = "83F110616C96E7";
    base::VirtualClock clock;
    base::EventLoop loop(clock);
    for (std::size_t n = 0; n < 10; ++n) {
        base::ViewState view;
        const std::string cut = position.substr(0, n);
        StepperMotor motor(view, loop,
                           {[&](std::string_view, std::string_view, std::int16_t, std::int16_t) { return cut; }, {}},
                           "F110");
        EXPECT_EQ(motor.GestionMoteurPP(0), "0") << cut;
    }
}

}  // namespace
}  // namespace dravio::ecu
