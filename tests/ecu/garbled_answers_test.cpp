// Cut and garbled answers never read past their text and give the fallbacks.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "ecu/decoding.h"
#include "ecu/engine_status.h"
#include "ecu/stepper_motor.h"
#include "ecu/trimmer.h"

namespace dravio::ecu {
namespace {

// Every cut of every canned answer a cycle can get, with noise before it.
TEST(GarbledAnswers, EveryCutOfEveryCannedAnswerDecodes) {
    for (const auto& row : proto::modelTable()) {
        for (bool fast : {false, true}) {
            MeasureDecoder decoder(row.model, "F110");
            const auto requests = decoder.requests(MeasureChannels{}, fast);
            for (std::size_t i = 0; i < requests.size(); ++i) {
                for (const std::string noise : {"", "Z", "F1"}) {
                    const std::string full = noise + requests[i].reponseDemo;
                    for (std::size_t n = 0; n <= full.size(); ++n) {
                        std::vector<MeasureAnswer> answers;
                        for (const auto& r : requests) answers.push_back({r.field, r.reponseDemo});
                        const std::string cut = full.substr(0, n);
                        answers[i].text = cut;
                        Mesures m;
                        decoder.decode(answers, m);
                        for (float v : {m.Regime, m.Papillon, m.PapillonPas, m.Injection, m.AvanceVal, m.PressionVal,
                                        m.TempAir, m.TempEau, m.TensionVal})
                            ASSERT_TRUE(std::isfinite(v)) << row.model << ' ' << cut;
                    }
                }
            }
        }
    }
}

TEST(GarbledAnswers, CutStatusLambdaTrimmerAndStepperAnswersGiveTheirFallbacks) {
    const std::string status = "92F11061A603030000040010000001010001000101B9";
    for (std::size_t n = 0; n < 20; ++n) {  // the engine state byte needs 20 digits
        base::ViewState view;
        EngineStatus(view, {}, "F110").showStatusBlock(status.substr(0, n));
        EXPECT_EQ(view.text("txStatutMotor"), "N/A") << n;
        EXPECT_EQ(view.text("txModeMotor"), "N/A") << n;
    }
    for (std::size_t n = 0; n < 12; ++n) {
        base::ViewState view;
        EngineStatus(view, {}, "F110").showLambdaControl(std::string("83F110614B0240").substr(0, n));
        EXPECT_EQ(view.text("txRichesse"), "N/A") << n;
    }
    base::VirtualClock clock;
    base::EventLoop loop(clock);
    for (std::size_t n = 0; n < 12; ++n) {
        base::ViewState view;
        std::string cut = std::string("83F110613D0925").substr(0, n);
        const auto answer = [&](std::string_view, std::string_view, std::int16_t, std::int16_t) { return cut; };
        EXPECT_EQ(LiveTrimmer(view, {answer, {}, {}, {}}, proto::Model::M59, "F110").GetTrimmerInitial(), 0) << cut;
        if (n >= 10) continue;
        cut = std::string("83F110616C96E7").substr(0, n);
        EXPECT_EQ(StepperMotor(view, loop, {answer, {}}, "F110").GestionMoteurPP(0), "0") << cut;
    }
}

}  // namespace
}  // namespace dravio::ecu
