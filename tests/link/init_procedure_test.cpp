#include "link/init_procedure.h"

#include <gtest/gtest.h>

#include <chrono>
#include <map>

#include "base/clock.h"
#include "base/event_loop.h"
#include "base/view_state.h"
#include "link/trace.h"
#include "ports/sim_cable.h"
#include "ports/sim_serial_port.h"
#include "scripted_ecu.h"
#include "sim/engine_model.h"
#include "sim/kline_device.h"
#include "sim/kwp_ecu.h"
#include "sim/onebyte_ecu.h"

namespace dravio::link {
namespace {

using namespace std::chrono_literals;
using base::Clock;

// The main window's procedure on a simulated line, with the settings kept in a map.
class InitProcedureTest : public ::testing::Test {
protected:
    InitProcedureTest() {
        cable.open("Dravio simulated K-line");
        link.setCable(&cable);
        link.TypeECU = proto::Model::M59;
        trace.setOnLine([this](std::string_view line) { seen.emplace_back(line); });
    }

    void build(InitHooks hooks = {}) {
        kwp = std::make_unique<LinkInitialisation>(
            link, view,
            EcuMemory{[this](const std::string& key, int def) { return ecu.count(key) ? std::stoi(ecu[key]) : def; },
                      [this](const std::string& key, const std::string& value) { ecu[key] = value; }},
            channels);
        if (!hooks.modelName) hooks.modelName = [](proto::Model model) { return std::string(proto::rowOf(model).name); };
        if (!hooks.cdparametreClick) hooks.cdparametreClick = [this] { ++measurementStarts; };
        procedure = std::make_unique<InitProcedure>(link, view, *kwp, elm.get(), hooks);
    }

    bool seenLine(const std::string& prefix) const {
        for (const auto& line : seen) {
            if (line.rfind(prefix, 0) == 0) return true;
        }
        return false;
    }

    base::VirtualClock clock{Clock::TimePoint{} + 1s};
    base::EventLoop loop{clock};
    Trace trace{clock};
    Link link{loop, trace};
    ports::SimCable cable{clock};
    base::ViewState view;
    InitChannels channels;
    std::map<std::string, std::string> ecu;
    std::vector<std::string> seen;
    std::unique_ptr<LinkInitialisation> kwp;
    std::unique_ptr<Elm327Link> elm;
    std::unique_ptr<InitProcedure> procedure;
    int measurementStarts = 0;
};

TEST(VerifCodeIso, ChecksTheChecksumOfThePowerOnCode) {
    const struct { const char* answer; int result; const char* left; } cases[] = {
        {"55B080808085", 1, "55B080808085"},
        {"0055B080808085", 1, "55B080808085"},
        {"55B080808086", 0, "55B080808086"},
        {"55B08", 0, "55B08"},
        {"0BB08080803B", 1, "0BB08080803B"},
        {"000BB08080803B", 1, "000BB08080803B"},
        {"0BB08080803C", 0, "0BB08080803C"},
        {"123456789012", 0, "123456789012"},
        {"AA55B0", 0, "55B0"},
    };
    for (const auto& c : cases) {
        std::string answer = c.answer;
        EXPECT_EQ(InitProcedure::verif_code_iso(answer), c.result) << c.answer;
        EXPECT_EQ(answer, c.left) << c.answer;
    }
}

TEST_F(InitProcedureTest, A59mWakesByFastInitialisationAndStaysAliveForAMinute) {
    sim::KwpEcu ecuSim(sim::KwpScenario::m59());
    sim::SimCableAdapter adapter(ecuSim);
    cable.setPeer(&adapter);
    build();
    procedure->cdintialisation_Click();
    EXPECT_TRUE(procedure->linkUp());
    // The ECU holds to 25 ms +- 1 ms: the third pulse, 24 ms, is the first it takes.
    EXPECT_EQ(kwp->attempts(), 3);
    EXPECT_EQ(ecu["Chrono"], "24");
    EXPECT_EQ(view.text("lbPanel1"), "Init : ON");
    EXPECT_EQ(view.text("lbPanel2"), "Attente / Wait");
    EXPECT_FALSE(view.enabled("cdintialisation"));
    EXPECT_TRUE(view.enabled("cdparametre"));
    EXPECT_TRUE(view.enabled("cddiag"));
    EXPECT_TRUE(view.visible("chStatutSonde"));
    EXPECT_EQ(view.text("cdTrimmer"), "Reset to ");
    EXPECT_EQ(measurementStarts, 1);
    EXPECT_FALSE(kwp->identification().empty());
    EXPECT_EQ(view.text("lbPanel5"), kwp->identification());
    EXPECT_TRUE(link.Timer_present().enabled());

    // The ECU drops a link left silent for 5 s: the keep-alive holds it.
    loop.runFor(60s);
    EXPECT_TRUE(procedure->linkUp());
    EXPECT_FALSE(link.EnvoieRequete("2130", "", 8, 500).empty());

    // Unplugged: the next tick takes the link down, without a message.
    cable.setUnplugged(true);
    loop.runFor(3s);
    EXPECT_FALSE(procedure->linkUp());
    EXPECT_EQ(view.text("lbPanel1"), "Init : OFF");
    EXPECT_TRUE(view.enabled("cdintialisation"));
    EXPECT_FALSE(view.enabled("cdparametre"));
    EXPECT_FALSE(link.Timer_present().enabled());
    EXPECT_TRUE(view.messages().empty());
}

TEST_F(InitProcedureTest, FiveBaudInitialisationOfA5am) {
    sim::KwpEcu ecuSim(sim::KwpScenario::m5a());
    sim::SimCableAdapter adapter(ecuSim);
    cable.setPeer(&adapter);
    ecu["Init"] = "2";
    channels.MoteurPP = true;
    build();
    procedure->cdintialisation_Click();
    EXPECT_TRUE(procedure->linkUp());
    EXPECT_EQ(kwp->mode(), 2);
    EXPECT_EQ(ecu["Init"], "2");
    EXPECT_NE(kwp->identification().find("IAW5A"), std::string::npos) << kwp->identification();
    EXPECT_TRUE(view.visible("frMoteurPP"));
    EXPECT_TRUE(view.enabled("cdMoteurPP"));
}

TEST_F(InitProcedureTest, FaultsOnTheLineStillEndInAWorkingLink) {
    sim::KwpEcu ecuSim(sim::KwpScenario::m59());
    sim::SimCableAdapter adapter(ecuSim);
    cable.setPeer(&adapter);
    ecuSim.faults().ignoreFirstWakeUps(1);
    ecuSim.faults().corruptChecksumOfNext(1);
    // Noise on the line before the first attempts.
    for (int i = 0; i < 5; ++i) cable.sendFromPeer(clock.now() + std::chrono::milliseconds(100 * i), 0xA5, 10400);
    build();
    procedure->cdintialisation_Click();
    EXPECT_TRUE(procedure->linkUp());
    EXPECT_GT(kwp->attempts(), 1);
    EXPECT_LE(kwp->attempts(), 40);
    EXPECT_FALSE(link.EnvoieRequete("2130", "", 8, 500).empty());
}

TEST_F(InitProcedureTest, AClickWhileTheLinkIsUpOnlyHidesTheDonateImage) {
    build();
    link.setShape1(kShape1Green);
    procedure->cdintialisation_Click();
    const auto changes = view.takeChanges();
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes.begin()->first, "imDonate");
    EXPECT_TRUE(cable.writes().empty());
}

TEST_F(InitProcedureTest, P8EndsAtOnceWithTheLinkDown) {
    link.TypeECU = proto::Model::P8;
    build();
    procedure->cdintialisation_Click();
    EXPECT_FALSE(procedure->linkUp());
    EXPECT_TRUE(view.enabled("cdintialisation"));
    EXPECT_TRUE(cable.writes().empty());
    EXPECT_TRUE(view.messages().empty());
}

TEST_F(InitProcedureTest, OneByteEcuStartsAfterKeyOnAndReadsItsSummary) {
    link.TypeECU = proto::Model::MM15;
    sim::EngineModel engine(7);
    sim::OneByteEcu ecuSim(sim::OneByteVariant::MM15, engine);
    sim::SimCableAdapter adapter(ecuSim);
    cable.setPeer(&adapter);
    // The rider turns the key on when asked.
    view.setAsker([&](const base::MessageBox& box) {
        EXPECT_EQ(box.title, "Attention/Caution");
        ecuSim.requestKeyOn(adapter.output(cable), clock.now());
        return base::MessageAnswer::Ok;
    });
    build();
    procedure->cdintialisation_Click();
    EXPECT_TRUE(procedure->linkUp());
    EXPECT_EQ(view.text("lbPanel5"), "MM15");
    EXPECT_EQ(view.text("lpresent"), "Aucun Défaut présent / No Failure now");
    EXPECT_EQ(view.text("lmemo"), "Aucun Défaut mémorisé / No Failure in RAM");
    EXPECT_TRUE(view.enabled("CdReInit"));
    EXPECT_TRUE(view.enabled("mnTrim15M"));
    EXPECT_FALSE(view.visible("ProgressBar1"));
}

TEST_F(InitProcedureTest, OneByteEcuWithoutKeyOnShowsEchec) {
    link.TypeECU = proto::Model::MM16;
    view.setAsker([](const base::MessageBox&) { return base::MessageAnswer::Ok; });
    build();
    const auto t0 = clock.now();
    procedure->cdintialisation_Click();
    EXPECT_FALSE(procedure->linkUp());
    EXPECT_EQ(view.text("lpresent"), "Echec");
    EXPECT_GE(clock.now() - t0, 20s);
    // The progress timer advanced the bar while the code was awaited.
    EXPECT_GT(view["ProgressBar1"].value.value_or(0), 90);
}

TEST_F(InitProcedureTest, OneByteCancelEndsWithoutListening) {
    link.TypeECU = proto::Model::MM16;
    view.setAsker([](const base::MessageBox&) { return base::MessageAnswer::Cancel; });
    build();
    const auto t0 = clock.now();
    procedure->cdintialisation_Click();
    EXPECT_FALSE(procedure->linkUp());
    EXPECT_LT(clock.now() - t0, 1s);
}

TEST_F(InitProcedureTest, FifteenRcAsksNothingAndAwaitsNoCode) {
    link.TypeECU = proto::Model::RC15;
    link.ModeDemo = true;
    build();
    procedure->cdintialisation_Click();
    EXPECT_TRUE(view.messages().empty());
    EXPECT_FALSE(seenLine("iso : "));
    EXPECT_EQ(view.text("lbPanel5"), "15RC");
}

TEST_F(InitProcedureTest, ReInitialisationAsksToTurnTheKeyOff) {
    link.TypeECU = proto::Model::MM15;
    int stops = 0;
    InitHooks hooks;
    hooks.setStopMesures = [&] { ++stops; };
    build(hooks);
    link.setShape1(kShape1Green);
    view.setAsker([](const base::MessageBox&) { return base::MessageAnswer::Cancel; });
    procedure->CdReInit_Click();
    EXPECT_EQ(stops, 1);
    EXPECT_TRUE(procedure->linkUp());
    view.setAsker([](const base::MessageBox&) { return base::MessageAnswer::Ok; });
    procedure->CdReInit_Click();
    EXPECT_FALSE(procedure->linkUp());
    EXPECT_TRUE(view.enabled("cdintialisation"));
    EXPECT_FALSE(view.enabled("CdReInit"));
    EXPECT_EQ(view.messages().back().text, "Couper le contact de la moto\rTurn KEY OFF");

    link.TypeECU = proto::Model::M59;
    procedure->CdReInit_Click();
    EXPECT_FALSE(view.visible("CdReInit"));
}

TEST_F(InitProcedureTest, ElmKeepAliveAlwaysCountsAsAlive) {
    ports::SimSerialPort port;  // an adapter that never answers
    port.setPortNumber(1);
    ASSERT_EQ(port.open(), ports::kSerialOk);
    elm = std::make_unique<Elm327Link>(link, port, view, channels);
    elm->install();
    link.TypeInterface = kInterfaceElm327;
    build();
    link.setShape1(kShape1Green);
    link.Timer_present().setEnabled(true);
    loop.runFor(10s);
    EXPECT_TRUE(procedure->linkUp());
    EXPECT_TRUE(link.Timer_present().enabled());
    EXPECT_EQ(view.text("lbPanel1"), "");
}

TEST_F(InitProcedureTest, Model5SendsItsStartDiagnosticStep) {
    link.TypeECU = proto::Model::Obd;
    link.ModeDemo = true;
    ecu["Init"] = "5";
    build();
    procedure->cdintialisation_Click();
    EXPECT_TRUE(procedure->linkUp());
    EXPECT_TRUE(seenLine("17FF00  StartDiag : F11050"));
}

}  // namespace
}  // namespace dravio::link
