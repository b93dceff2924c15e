#include "link/init_procedure.h"

#include <gtest/gtest.h>

#include <tuple>

#include "link/line_bench.h"
#include "sim/engine_model.h"
#include "sim/kline_device.h"
#include "twin/sim_cable_adapter.h"
#include "sim/kwp_ecu.h"
#include "sim/onebyte_ecu.h"

namespace dravio::link {
namespace {

using namespace std::chrono_literals;
using base::Clock;

// The main window's procedure on a simulated line.
class InitProcedureTest : public ::testing::Test, public testing::LineBench {
protected:
    void click(proto::Model model, InitHooks hooks = {}) {
        link.TypeECU = model;
        kwp = std::make_unique<LinkInitialisation>(link, view, memory(), channels);
        hooks.modelName = [](proto::Model m) { return std::string(proto::rowOf(m).name); };
        hooks.cdparametreClick = [this] { ++measurementStarts; };
        procedure = std::make_unique<InitProcedure>(link, view, *kwp, nullptr, hooks);
        procedure->cdintialisation_Click();
    }

    std::unique_ptr<LinkInitialisation> kwp;
    std::unique_ptr<InitProcedure> procedure;
    int measurementStarts = 0;
};

TEST(VerifCodeIso, ChecksTheChecksumOfThePowerOnCode) {
    const std::tuple<const char*, int, const char*> cases[] = {
        {"0055B080808085", 1, "55B080808085"},   {"55B080808086", 0, "55B080808086"}, {"55B08", 0, "55B08"},
        {"000BB08080803B", 1, "000BB08080803B"}, {"0BB08080803C", 0, "0BB08080803C"}, {"AA55B0", 0, "55B0"},
        {"123456789012", 0, "123456789012"}};
    for (const auto& [given, result, left] : cases) {
        std::string answer = given;
        EXPECT_EQ(InitProcedure::verif_code_iso(answer), result) << given;
        EXPECT_EQ(answer, left) << given;
    }
}

TEST_F(InitProcedureTest, A59mWakesByFastInitialisationStaysAliveAndTheKeepAliveTakesAnUnpluggedLinkDown) {
    sim::KwpEcu ecuSim(sim::KwpScenario::m59());
    twin::SimCableAdapter adapter(ecuSim);
    cable.setPeer(&adapter);
    click(proto::Model::M59);
    EXPECT_TRUE(procedure->linkUp());
    // The ECU holds to 25 ms +- 1 ms: the third pulse, 24 ms, is the first it takes.
    EXPECT_EQ(kwp->attempts(), 3);
    EXPECT_EQ(ecu["Chrono"], "24");
    EXPECT_EQ(view.text("lbPanel1"), "Init : ON");
    EXPECT_TRUE(view.enabled("cdparametre"));
    EXPECT_EQ(measurementStarts, 1);
    EXPECT_EQ(view.text("lbPanel5"), kwp->identification());
    // The ECU drops a link left silent for 5 s: the keep-alive holds it.
    loop.runFor(60s);
    EXPECT_TRUE(procedure->linkUp());
    EXPECT_FALSE(link.EnvoieRequete("2130", "", 8, 500).empty());
    // Unplugged: the next tick takes the link down, without a message.
    cable.setUnplugged(true);
    loop.runFor(3s);
    EXPECT_FALSE(procedure->linkUp());
    EXPECT_EQ(view.text("lbPanel1"), "Init : OFF");
    EXPECT_FALSE(view.enabled("cdparametre"));
    EXPECT_FALSE(link.Timer_present().enabled());
    EXPECT_TRUE(view.messages().empty());
}

TEST_F(InitProcedureTest, FaultsOnTheLineStillEndInAWorkingLink) {
    sim::KwpEcu ecuSim(sim::KwpScenario::m59());
    twin::SimCableAdapter adapter(ecuSim);
    cable.setPeer(&adapter);
    ecuSim.faults().ignoreFirstWakeUps(1);
    ecuSim.faults().corruptChecksumOfNext(1);
    // Noise on the line before the first attempts.
    for (int i = 0; i < 5; ++i) cable.sendFromPeer(clock.now() + std::chrono::milliseconds(100 * i), 0xA5, 10400);
    click(proto::Model::M59);
    EXPECT_TRUE(procedure->linkUp());
    EXPECT_GT(kwp->attempts(), 1);
    EXPECT_FALSE(link.EnvoieRequete("2130", "", 8, 500).empty());
}

TEST_F(InitProcedureTest, AClickWhileTheLinkIsUpOnlyHidesTheDonateImageAndP8EndsAtOnce) {
    link.setShape1(kShape1Green);
    click(proto::Model::M59);
    const auto changes = view.takeChanges();
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes.begin()->first, "imDonate");
    link.setShape1(kShape1Red);
    click(proto::Model::P8);
    EXPECT_FALSE(procedure->linkUp());
    EXPECT_TRUE(view.enabled("cdintialisation"));
    EXPECT_TRUE(cable.writes().empty());
    EXPECT_TRUE(view.messages().empty());
}

TEST_F(InitProcedureTest, OneByteEcuStartsAfterKeyOnAndReadsItsSummary) {
    sim::EngineModel engine(7);
    sim::OneByteEcu ecuSim(sim::OneByteVariant::MM15, engine);
    twin::SimCableAdapter adapter(ecuSim);
    cable.setPeer(&adapter);
    // The rider turns the key on when asked.
    view.setAsker([&](const base::MessageBox& box) {
        EXPECT_EQ(box.title, "Attention/Caution");
        ecuSim.requestKeyOn(adapter.output(cable), clock.now());
        return base::MessageAnswer::Ok;
    });
    click(proto::Model::MM15);
    EXPECT_TRUE(procedure->linkUp());
    EXPECT_EQ(view.text("lbPanel5"), "MM15");
    EXPECT_EQ(view.text("lpresent"), "Aucun Défaut présent / No Failure now");
    EXPECT_EQ(view.text("lmemo"), "Aucun Défaut mémorisé / No Failure in RAM");
    EXPECT_TRUE(view.enabled("CdReInit"));
}

TEST_F(InitProcedureTest, OneByteEcuWithoutKeyOnShowsEchecAndCancelEndsAtOnce) {
    view.setAsker([](const base::MessageBox&) { return base::MessageAnswer::Ok; });
    auto t0 = clock.now();
    click(proto::Model::MM16);
    EXPECT_FALSE(procedure->linkUp());
    EXPECT_EQ(view.text("lpresent"), "Echec");
    EXPECT_GE(clock.now() - t0, 20s);
    // The progress timer advanced the bar while the code was awaited.
    EXPECT_GT(view["ProgressBar1"].value.value_or(0), 90);
    view.setAsker([](const base::MessageBox&) { return base::MessageAnswer::Cancel; });
    t0 = clock.now();
    click(proto::Model::MM16);
    EXPECT_FALSE(procedure->linkUp());
    EXPECT_LT(clock.now() - t0, 1s);
}

}  // namespace
}  // namespace dravio::link
