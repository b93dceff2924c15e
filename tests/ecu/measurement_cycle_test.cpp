#include "ecu/measurement_cycle.h"

#include <gtest/gtest.h>

#include <chrono>

#include "base/clock.h"
#include "base/event_loop.h"
#include "base/view_state.h"
#include "link/trace.h"
#include "ports/sim_cable.h"
#include "sim/kline_device.h"
#include "sim/kwp_ecu.h"

namespace dravio::ecu {
namespace {

using namespace std::chrono_literals;

class CycleTest : public ::testing::Test {
protected:
    CycleTest() {
        link.TypeECU = proto::Model::M59;
        trace.setOnLine([this](std::string_view line) { seen.emplace_back(line); });
    }

    void build() {
        CycleHooks hooks;
        hooks.versionText = [] { return std::string(" - 0.1.0"); };
        hooks.onRecord = [this](const CycleRecord& r) {
            records.push_back(r);
            if (stopAfter > 0 && static_cast<int>(records.size()) >= stopAfter) cycle->StopMesures = true;
        };
        hooks.EcritConfig = [this] { ++writes; };
        cycle = std::make_unique<MeasurementCycle>(link, view, settings, hooks);
    }

    base::VirtualClock clock{base::Clock::TimePoint{} + 1s};
    base::EventLoop loop{clock};
    link::Trace trace{clock};
    link::Link link{loop, trace};
    base::ViewState view;
    CycleSettings settings;
    std::unique_ptr<MeasurementCycle> cycle;
    std::vector<CycleRecord> records;
    std::vector<std::string> seen;
    int stopAfter = 0;
    int writes = 0;
};

TEST_F(CycleTest, MoyenneFillsEmptySlotsAndAveragesOverTheDepth) {
    build();
    EXPECT_FLOAT_EQ(cycle->moyenne(1, 1, 1000, 1), 1000);   // depth 1: as read
    EXPECT_FLOAT_EQ(cycle->moyenne(1, 1, 1000, 5), 1000);   // empty slots take the value
    EXPECT_FLOAT_EQ(cycle->moyenne(1, 2, 2000, 5), 1200);   // (2000 + 4 x 1000) / 5
    EXPECT_FLOAT_EQ(cycle->moyenne(1, 7, 3000, 5), 1400);   // 7 mod 5: slot 2 again, 2000 becomes 3000
    EXPECT_FLOAT_EQ(cycle->moyenne(3, 1, 5.5F, 5), 5.5F);   // channels are separate
}

TEST_F(CycleTest, ShownEngineSpeedIsRoundedDownToTensAndZeroBelow300) {
    settings.Tempo = 1;
    link.ModeDemo = true;
    build();
    // Demonstration speeds lie between 991 and 5990 rpm.
    stopAfter = 20;
    cycle->cdparametre_Click();
    for (const auto& r : records) {
        EXPECT_GE(r.Regime, 991);
        EXPECT_LE(r.Regime, 5990);
    }
    const auto shown = view.text("Rmp");
    EXPECT_EQ(shown.back(), '0') << shown;
    EXPECT_EQ(view.text("cdparametre"), "Paramètres - F3");
    EXPECT_TRUE(cycle->MesuresArretees);
}

TEST_F(CycleTest, ThreeRedIndicatorsInARowEndTheCycle) {
    // No cable and no demonstration: every exchange fails.
    link.TypeECU = proto::Model::M59;
    build();
    const auto t0 = clock.now();
    cycle->cdparametre_Click();
    EXPECT_TRUE(cycle->MesuresArretees);
    EXPECT_EQ(view.beeps(), 2);
    std::vector<std::string> rates;
    for (const auto& line : seen) {
        if (line.rfind("Raté: ", 0) == 0) rates.push_back(line);
    }
    EXPECT_EQ(rates, (std::vector<std::string>{"Raté: 1", "Raté: 2"}));
    EXPECT_EQ(records.size(), 3u);
    // Three block requests of 500 ms and two 0.25 s pauses, give or take the byte gaps.
    EXPECT_GT(clock.now() - t0, 2s);
    EXPECT_TRUE(link.Timer_present().enabled());
}

TEST_F(CycleTest, DisabledChannelsShowDashesAndInjectionRecordsOne) {
    link.ModeDemo = true;
    view.setEnabled("Injection", false);
    view.setEnabled("Avance", false);
    build();
    stopAfter = 2;
    cycle->cdparametre_Click();
    EXPECT_EQ(view.text("Injection"), "--");
    EXPECT_EQ(view.text("Avance"), "--");
    EXPECT_FLOAT_EQ(records.back().Injection, 1);
}

TEST_F(CycleTest, UnitsFollowTheSettings) {
    build();
    settings.UniteTemp = false;
    settings.UnitePression = false;
    // The canned 59M block reads 21 degC air, 17 degC engine and 1010 hPa.
    link.TypeECU = proto::Model::M59;
    link.ModeDemo = true;
    stopAfter = 1;
    cycle->cdparametre_Click();
    EXPECT_EQ(view.text("Air"), "69");  // 69.8 degF, whole degrees
    EXPECT_EQ(view.text("Eau"), "62");
    EXPECT_EQ(view.text("Pression"), "759");
}

TEST_F(CycleTest, ChannelDoubleClickSwitchesAndWritesTheSettings) {
    build();
    cycle->frameDoubleClick("Frair");
    EXPECT_FALSE(view.enabled("Air"));
    EXPECT_EQ(view.text("Air"), "--");
    cycle->frameDoubleClick("Frair");
    EXPECT_TRUE(view.enabled("Air"));
    cycle->frameDoubleClick("Nothing");
    EXPECT_EQ(writes, 2);
    cycle->HScrollMoyenne_Change(80);
    EXPECT_EQ(settings.Tempo, 61);
    cycle->mnmoymoins_Click();
    EXPECT_EQ(view.text("ltempo"), "60");
}

TEST_F(CycleTest, ValuesFollowTheSimulated59mAndAnUnpluggedEcuStopsTheCycle) {
    ports::SimCable cable(clock);
    sim::KwpSessionOptions options;
    options.startAwake = true;
    sim::KwpEcu ecu(sim::KwpScenario::m59(), options);
    sim::SimCableAdapter adapter(ecu);
    cable.setPeer(&adapter);
    cable.open("Dravio simulated K-line");
    cable.setBaudRate(10400);
    link.setCable(&cable);
    settings.Tempo = 1;
    build();
    int cycles = 0;
    CycleHooks hooks;
    hooks.onRecord = [&](const CycleRecord& r) {
        ++cycles;
        records.push_back(r);
        if (cycles == 10) cable.setUnplugged(true);
    };
    cycle = std::make_unique<MeasurementCycle>(link, view, settings, hooks);
    cycle->cdparametre_Click();
    ASSERT_GE(records.size(), 10u);
    const auto snapshot = ecu.engine().at(clock.now());
    // While plugged in, the shown speed tracks the simulated engine's idle.
    EXPECT_NEAR(records[5].Regime, snapshot.rpm, 400) << records[5].Regime;
    EXPECT_GT(records[5].TensionVal, 10);
    EXPECT_EQ(records.size(), 13u);  // ten good cycles, then three failed ones
    EXPECT_TRUE(cycle->MesuresArretees);
    EXPECT_FALSE(link.DialogueActif());
    EXPECT_TRUE(link.Timer_present().enabled());
}

}  // namespace
}  // namespace dravio::ecu
