#include "ecu/measurement_cycle.h"

#include <gtest/gtest.h>

#include <cmath>

#include "link/line_bench.h"
#include "scripted_ecu.h"
#include "sim/kline_device.h"
#include "sim/kwp_ecu.h"
#include "twin/sim_cable_adapter.h"

namespace dravio::ecu {
namespace {

// The 59M's live block with engine speed `rpm`, and the request that asks for it.
std::string block(int rpm) {
    const std::string body = "96F11061A0" + proto::ByteToHex(rpm >> 8) + proto::ByteToHex(rpm) +
                             "03F2003D00390029010C0089013C068E9C40";
    return body + proto::CalculChecksum(body);
}
const std::string kBlockRequest = "8210F121A0" + proto::CalculChecksum("8210F121A0");

class CycleTest : public ::testing::Test, public testing::LineBench {
protected:
    CycleTest() {
        cable.setBaudRate(10400);
        CycleHooks hooks;
        hooks.onRecord = [this](const CycleRecord& r) {
            records.push_back(r);
            if (each) each();
            if (stopAfter > 0 && static_cast<int>(records.size()) >= stopAfter) cycle->StopMesures = true;
        };
        cycle = std::make_unique<MeasurementCycle>(link, view, settings, hooks);
    }

    CycleSettings settings;
    std::unique_ptr<MeasurementCycle> cycle;
    std::vector<CycleRecord> records;
    std::function<void()> each;
    int stopAfter = 0;
};

TEST_F(CycleTest, MoyenneFillsEmptySlotsAndAveragesOverTheDepth) {
    EXPECT_FLOAT_EQ(cycle->moyenne(1, 1, 1000, 1), 1000);  // depth 1: as read
    EXPECT_FLOAT_EQ(cycle->moyenne(1, 1, 1000, 5), 1000);  // empty slots take the value
    EXPECT_FLOAT_EQ(cycle->moyenne(1, 2, 2000, 5), 1200);  // (2000 + 4 x 1000) / 5
    EXPECT_FLOAT_EQ(cycle->moyenne(1, 7, 3000, 5), 1400);  // 7 mod 5: slot 2 again, 2000 becomes 3000
    EXPECT_FLOAT_EQ(cycle->moyenne(3, 1, 5.5F, 5), 5.5F);  // channels are separate
}

TEST_F(CycleTest, ShownEngineSpeedIsRoundedDownToTensAndZeroBelow300) {
    const std::pair<int, const char*> cases[] = {{1199, "1 190"}, {1005, "1 000"}, {9999, "9 990"}, {1990, "1 990"},
                                                 {309, "300"},    {300, "300"},    {299, "0"},      {295, "0"}};
    const std::string request = kBlockRequest;
    testing::ScriptedEcu ecu;
    ecu.answers[request] = block(cases[0].first);
    cable.setPeer(&ecu);
    settings.Tempo = 1;  // no averaging
    std::vector<std::string> shown;
    each = [&] {
        shown.push_back(view.text("Rmp"));
        if (shown.size() < std::size(cases)) ecu.answers[request] = block(cases[shown.size()].first);
    };
    stopAfter = static_cast<int>(std::size(cases));
    cycle->cdparametre_Click();
    ASSERT_EQ(shown.size(), std::size(cases));
    for (std::size_t i = 0; i < shown.size(); ++i) {
        EXPECT_EQ(shown[i], cases[i].second) << cases[i].first << " rpm";
        EXPECT_EQ(records[i].Regime, cases[i].first);
    }
}

TEST_F(CycleTest, AWellFormedAnswerCarryingNonsenseIsNeitherShownNorRecorded) {
    const std::string request = kBlockRequest;
    testing::ScriptedEcu ecu;
    ecu.answers[request] = block(1200);
    cable.setPeer(&ecu);
    settings.Tempo = 1;
    std::string shownAfterNonsense;
    each = [&] {
        if (records.size() == 1) {
            ecu.answers[request] = block(0xFFFF);  // 65535 rpm: a confused ECU, not an engine
            // The next cycle reads the nonsense; the good answer comes back after it.
            link.loop().post([&] {
                link.loop().post([&] { ecu.answers[request] = block(1300); });
            });
        }
    };
    view.setOnChange([&] {
        if (records.size() == 1 && view.text("Rmp") == "--") shownAfterNonsense = "--";
    });
    stopAfter = 2;
    cycle->cdparametre_Click();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].Regime, 1200);
    EXPECT_EQ(records[1].Regime, 1300);
    EXPECT_EQ(shownAfterNonsense, "--");
    EXPECT_EQ(traceWith("Valeur invraisemblable rejetée : ").size(), 1u);
}

TEST_F(CycleTest, DemonstrationShowsTheUnitsOfTheSettingsAndDashesForChannelsOff) {
    link.ModeDemo = true;
    settings.UniteTemp = settings.UnitePression = false;
    view.setEnabled("Injection", false);
    view.setEnabled("Avance", false);
    stopAfter = 2;
    cycle->cdparametre_Click();
    // The canned 59M block reads 21 degC air, 17 degC engine and 1010 hPa.
    EXPECT_EQ(view.text("Air"), "69");  // 69.8 degF, whole degrees
    EXPECT_EQ(view.text("Eau"), "62");
    EXPECT_EQ(view.text("Pression"), "759");
    EXPECT_EQ(view.text("Injection"), "--");
    EXPECT_EQ(view.text("Avance"), "--");
    EXPECT_FLOAT_EQ(records.back().Injection, 1);
    EXPECT_TRUE(cycle->MesuresArretees);
    EXPECT_EQ(view.text("cdparametre"), "Paramètres - F3");
}

TEST_F(CycleTest, ValuesFollowTheSimulated59mAndThreeFailuresInARowStopTheCycle) {
    sim::KwpSessionOptions options;
    options.startAwake = true;
    sim::KwpEcu ecu(sim::KwpScenario::m59(), options);
    twin::SimCableAdapter adapter(ecu);
    cable.setPeer(&adapter);
    settings.Tempo = 1;
    each = [&] { cable.setUnplugged(records.size() >= 10); };
    cycle->cdparametre_Click();
    EXPECT_EQ(records.size(), 13u);  // ten good cycles, then three failed ones
    ASSERT_GE(records.size(), 6u);
    EXPECT_NEAR(records[5].Regime, ecu.engine().at(clock.now()).rpm, 400);
    EXPECT_GT(records[5].TensionVal, 10);
    EXPECT_TRUE(cycle->MesuresArretees);
    EXPECT_EQ(view.beeps(), 2);
    EXPECT_EQ(traceWith("Raté: "), (std::vector<std::string>{"Raté: 1", "Raté: 2"}));
    // Nothing read in the failed cycles: no value stays on screen as if it were live.
    for (const char* label : {"Rmp", "Potar", "Injection", "Air", "Eau", "Tension"}) EXPECT_EQ(view.text(label), "--");
    EXPECT_FALSE(link.DialogueActif());
    EXPECT_TRUE(link.Timer_present().enabled());
}

TEST_F(CycleTest, TheBarGraphShowsTheThrottleUnlessTheStepperTestOwnsIt) {
    for (const bool stepperBusy : {false, true}) {
        records.clear();
        link.ModeDemo = true;
        link.TypeECU = proto::Model::M59;
        CycleHooks hooks;
        hooks.stepperBusy = [stepperBusy] { return stepperBusy; };
        hooks.onRecord = [this](const CycleRecord& r) {
            records.push_back(r);
            if (records.size() >= 2) cycle->StopMesures = true;
        };
        cycle = std::make_unique<MeasurementCycle>(link, view, settings, hooks);
        view.setValue("ProgressBar1", 77);  // the stepper test's progress
        cycle->cdparametre_Click();
        const int shown = view["ProgressBar1"].value.value_or(-1);
        if (stepperBusy) {
            EXPECT_EQ(shown, 77);
        } else {
            EXPECT_EQ(shown, static_cast<int>(std::lround(records.back().Papillon)));
        }
    }
}

TEST_F(CycleTest, TheIdleGraphsFastModeShowsDashesForWhatItDoesNotRead) {
    link.ModeDemo = true;
    link.TypeECU = proto::Model::M59;
    cycle->fastMode = [] { return true; };
    stopAfter = 2;
    cycle->cdparametre_Click();
    EXPECT_NE(view.text("Rmp"), "--");
    for (const char* label : {"Potar", "Injection", "Avance", "Pression", "Air", "Eau", "Tension"}) {
        EXPECT_EQ(view.text(label), "--") << label;
    }
}

TEST_F(CycleTest, Model4AsksTheLambdaWordOnlyWhileItsChannelIsOn) {
    link.ModeDemo = true;
    link.TypeECU = proto::Model::M59;
    int asked = 0;
    CycleHooks hooks;
    hooks.GetLambda = [&] { return static_cast<float>(++asked * 100); };
    hooks.onRecord = [this](const CycleRecord& r) {
        records.push_back(r);
        cycle->StopMesures = records.size() % 2 == 0;
    };
    cycle = std::make_unique<MeasurementCycle>(link, view, settings, hooks);
    cycle->cdparametre_Click();
    EXPECT_EQ(view.text("lbLambda"), "200.000");
    EXPECT_FLOAT_EQ(records[1].LambdaVal, 200);

    cycle->frameDoubleClick("frLambda");  // channel off: no more requests
    cycle->cdparametre_Click();
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(view.text("lbLambda"), "--");
}

}  // namespace
}  // namespace dravio::ecu
