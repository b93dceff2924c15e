#include "diag/erreur_window.h"

#include <gtest/gtest.h>

#include "diag/erreur_json.h"
#include "diag/erreur_opening.h"
#include "diag/erreur_text.h"
#include "onebyte_line.h"

namespace dravio::diag {
namespace {

using namespace std::chrono_literals;
using Lines = std::vector<std::string>;

class ErreurTest : public testing::OneByteLineTest {
protected:
    FrmErreur& window(OneByteModel model = OneByteModel::MM15) {
        frm = std::make_unique<FrmErreur>(view, frmparam, model, hooks(), mainHooks(), flags.gate());
        frm->Form_Load();
        return *frm;
    }
    std::unique_ptr<FrmErreur> frm;
};

TEST_F(ErreurTest, DemonstrationReadingShowsTheCannedFaults) {
    link.ModeDemo = true;
    Lines traced;
    trace.setOnLine([&](std::string_view l) { traced.emplace_back(l); });
    const FaultReading r = window().cderreur_Click();
    EXPECT_EQ(r.rdef, (std::array<std::string, 7>{"03", "03", "03", "48", "03", "03", "03"}));
    // Each row's texts are the decoder's to check; here the two blocks, their headers and the status.
    ASSERT_EQ(r.lines.size(), 28u);
    EXPECT_EQ((Lines{r.lines[0], r.lines[1], r.lines[12], r.lines[13]}),
              (Lines{"Défauts Présents :", "Défaut Capteur Papillon", "Défauts RAM :", "Défaut Capteur Papillon"}));
    EXPECT_EQ(Lines(r.lines.end() - 4, r.lines.end()),
              (Lines{"", "Statuts", "Moteur arrêté", "Papillon au maxi ou mini / TPS max or min"}));
    // Headers and fault texts also go to the trace.
    EXPECT_EQ(std::count(traced.begin(), traced.end(), "Défauts en RAM :"), 1);
    EXPECT_EQ(faultReadingToText(r).rfind("Erreur(s) présente(s) / Failure(s) now\n  Capteurs: 03\n", 0), 0u);
    EXPECT_EQ(faultReadingToJson(r).rfind(R"({"rows":["03","03","03","48","03","03","03"],"lines")", 0), 0u);
}

TEST_F(ErreurTest, TypeBytesAreAskedOnlyForRowsWithFaults) {
    sim::OneByteScenario s;
    s.presentFaults = {0x21, 0x00, 0x02};
    s.presentTypes = {0x20, 0x00, 0x00};
    s.storedFaults = {0xFF, 0x40, 0x00};
    s.storedTypes = {0x00, 0x40, 0x00};
    s.extraStatusBits = 0x80;
    plug(sim::OneByteVariant::MM16, s);
    const FaultReading r = window(OneByteModel::MM16).cderreur_Click();
    EXPECT_EQ(written(), "102B11122D1415301613");
    EXPECT_EQ(r.rdef, (std::array<std::string, 7>{"21", "RAS", "02", "80", "RAS", "40", "RAS"}));
}

TEST_F(ErreurTest, RunningCycleTakesTwoClicks) {
    plug(sim::OneByteVariant::MM15);
    flags.MesuresArretees = false;
    int dtc59Unloads = 0;
    EXPECT_FALSE(cddiagOneByte_Click(frmparam, flags.gate(), [&] { ++dtc59Unloads; }));
    EXPECT_TRUE(flags.StopMesures);
    EXPECT_FALSE(frmparam.enabled("cdparametre"));
    FrmErreur& w = window();
    EXPECT_FALSE(w.cderreur_Click().done);
    EXPECT_EQ(view.text("rdef1"), "Recliquer sur Lecture / Try again");
    EXPECT_EQ(w.cddiag_Click(2).outcome, TestOutcome::CycleRunning);
    EXPECT_TRUE(cable.writes().empty());
    flags.MesuresArretees = true;  // the cycle has ended
    EXPECT_TRUE(w.cderreur_Click().done);
    EXPECT_TRUE(cddiagOneByte_Click(frmparam, flags.gate(), [&] { ++dtc59Unloads; }));
    EXPECT_FALSE(frmparam.enabled("cddiag"));
    EXPECT_EQ(dtc59Unloads, 2);
}

TEST_F(ErreurTest, EveryCommandOfBothFamiliesRunsToConfirme) {
    const std::pair<OneByteModel, const char*> families[] = {{OneByteModel::MM16, "84868082838187"},
                                                              {OneByteModel::RC15, "83858081828687"}};
    for (const auto& [model, commands] : families) {
        for (int b = 0; b < kDiagButtons; ++b) {
            const std::string command(commands + 2 * b, 2);
            SCOPED_TRACE(command);
            plug(model == OneByteModel::MM16 ? sim::OneByteVariant::MM16 : sim::OneByteVariant::RC15);
            const TestRun t = window(model).cddiag_Click(b);
            EXPECT_EQ(written(), "13AA" + command + "FF");
            // A test's end byte comes after its duration.
            const auto w = cable.writes();
            const auto duration = ecu->timing().testDuration[static_cast<std::size_t>(b)];
            EXPECT_GE(w[3].t - w[2].t, duration + 200ms);
            EXPECT_LT(w[3].t - w[2].t, duration + 220ms);
            EXPECT_EQ(testRunToText(t).substr(testRunToText(t).rfind("Test OK")),
                      "Test OK | Test terminé\nFin du mode diag | Confirmé\noutcome: passed (FF)\n");
            EXPECT_TRUE(flags.LiaisonLibre);
        }
    }
}

TEST_F(ErreurTest, OutcomesOtherThanTestOk) {
    enum Trouble { None, Running, Status04, GarbledStatus, LostAaEcho, FailingTest, SilentTest };
    const struct {
        sim::OneByteVariant variant;
        int button;
        Trouble trouble;
        TestOutcome outcome;
        const char *written, *message;
    } cases[] = {
        {sim::OneByteVariant::MM15, 4, FailingTest, TestOutcome::Failed, "13AA82FF", "Fin incorrecte"},
        {sim::OneByteVariant::MM15, 2, SilentTest, TestOutcome::NoEnd, "13AA80", ""},
        {sim::OneByteVariant::MM16, 1, Running, TestOutcome::EngineRunning, "13", "Le moteur doit être arrété"},
        {sim::OneByteVariant::MM16, 1, Status04, TestOutcome::EngineRunning, "13", "Le moteur doit être arrété"},
        {sim::OneByteVariant::MM16, 1, GarbledStatus, TestOutcome::EngineRunning, "13", "Le moteur doit être arrété"},
        {sim::OneByteVariant::MM15, 3, LostAaEcho, TestOutcome::NoDiagMode, "13AA", ""},
        // The P8 has no commands: after 0xAA nothing is sent.
        {sim::OneByteVariant::P8, 0, None, TestOutcome::NoEnd, "13AA", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.written);
        sim::OneByteScenario s;
        if (c.trouble == FailingTest) s.failingTest = sim::DiagTest::CoilVertical;
        if (c.trouble == SilentTest) s.silentTest = sim::DiagTest::FuelPump;
        if (c.trouble == Status04) s.extraStatusBits = 0x04;
        plug(c.variant, s);
        engine.setRunning(c.trouble == Running);
        if (c.trouble == GarbledStatus) faults.corruptByteAt(0);  // 0x00 arrives as 0xFF
        if (c.trouble == LostAaEcho) faults.dropByteAt(1);
        view = base::ViewState();
        const auto model = c.variant == sim::OneByteVariant::P8 ? OneByteModel::P8 : OneByteModel::MM15;
        const TestRun t = window(model).cddiag_Click(c.button);
        EXPECT_EQ(t.outcome, c.outcome);
        EXPECT_EQ(written(), c.written);
        EXPECT_EQ(view.messages().empty() ? "" : view.messages()[0].text, std::string(c.message));
        EXPECT_TRUE(view.enabled("cdarret"));
    }
    EXPECT_EQ(graphUnloads, 7);
}

TEST_F(ErreurTest, EndOfTestIsAwaited32SecondsThenTheModeIsLeftToTheEcu) {
    sim::OneByteScenario s;
    s.silentTest = sim::DiagTest::Injector1;
    plug(sim::OneByteVariant::MM15, s);
    const TestRun t = window().cddiag_Click(5);
    const auto sent = cable.writes().back().t;
    EXPECT_GE(clock.now() - sent, 32s);
    EXPECT_LT(clock.now() - sent, 32s + 10ms);
    EXPECT_EQ(testRunToText(t),
              "Test Injecteur 1\nMode Diag | Prêt\nCommande lancée | Test en cours\n  | Test terminé\n"
              "outcome: no-end\n");
    EXPECT_NE(testRunToJson(t).find(R"("outcome":"no-end","endOfTest":"","confirmed":false)"), std::string::npos);
}

}  // namespace
}  // namespace dravio::diag
