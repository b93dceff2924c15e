#include "diag/erreur_window.h"

#include <gtest/gtest.h>

#include "diag/erreur_json.h"
#include "onebyte_line.h"

namespace dravio::diag {
namespace {

using testing::OneByteLineTest;
using namespace std::chrono_literals;
using Lines = std::vector<std::string>;

class ErreurTest : public OneByteLineTest {
protected:
    FrmErreur& window(OneByteModel model = OneByteModel::MM15) {
        frm = std::make_unique<FrmErreur>(view, frmparam, model, hooks(), mainHooks(), flags.gate());
        frm->Form_Load();
        return *frm;
    }
    std::unique_ptr<FrmErreur> frm;
};

const Lines kProgressDone{"Mode Diag", "Commande lancée", "Test OK", "Fin du mode diag"};
const Lines kProgressRight{"Prêt", "Test en cours", "Test terminé", "Confirmé"};

Lines toLines(const std::array<std::string, 4>& a) { return {a.begin(), a.end()}; }

TEST_F(ErreurTest, DemonstrationReadingShowsTheCannedFaults) {
    link.ModeDemo = true;
    std::vector<std::string> traced;
    trace.setOnLine([&](std::string_view l) { traced.emplace_back(l); });
    const FaultReading r = window().cderreur_Click();
    ASSERT_TRUE(r.done);
    EXPECT_EQ(r.rdef, (std::array<std::string, 7>{"03", "03", "03", "48", "03", "03", "03"}));
    const Lines block{"Défaut Capteur Papillon",
                      "   en C.C GND",
                      "Défaut Capteur de Pression",
                      "   en C.C V.Bat.",
                      "Défaut Injecteur",
                      "   en C.C GND",
                      "Défaut Bobine 1",
                      "   en C.C V.Bat.",
                      "Défaut Paramètre Trimmer",
                      "   Au Max",
                      "Erreur Mémoire RAM"};
    Lines expected{"Défauts Présents :"};
    expected.insert(expected.end(), block.begin(), block.end());
    expected.emplace_back("Défauts RAM :");
    expected.insert(expected.end(), block.begin(), block.end());
    for (const char* l : {"", "Statuts", "Moteur arrêté", "Papillon au maxi ou mini / TPS max or min"}) {
        expected.emplace_back(l);
    }
    EXPECT_EQ(r.lines, expected);
    EXPECT_EQ(view.text("rdef3"), "48");
    EXPECT_EQ(view.text("Text1").rfind("Défauts Présents :\r\nDéfaut Capteur Papillon\r\n", 0), 0u);
    EXPECT_EQ(view.text("ldef3"), "Statut Moteur");
    // Headers and fault texts go to the trace, the status lines do not.
    EXPECT_EQ(traced[0], "");
    EXPECT_EQ(traced[1], "Défauts Présents :");
    EXPECT_EQ(std::count(traced.begin(), traced.end(), "Défauts en RAM :"), 1);
    EXPECT_EQ(std::count(traced.begin(), traced.end(), "Moteur arrêté"), 0);
    EXPECT_EQ(view.beeps(), 1);
    EXPECT_TRUE(flags.LiaisonLibre);
    const std::string json = faultReadingToJson(r);
    EXPECT_EQ(json.substr(0, 52), R"({"rows":["03","03","03","48","03","03","03"],"lines")");
}

TEST_F(ErreurTest, SimulatedReadingAsksTypeBytesOnlyForRowsWithFaults) {
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
    EXPECT_EQ(r.lines,
              (Lines{"Défauts Présents :", "Défaut Capteur Papillon", "   Open or V.Bat.", "Défaut Tension Batterie",
                     "   Tension trop élevée", "Erreur Mémoire RAM", "Défauts RAM :", "Défaut Pompe Essence",
                     "   en C.C V.Bat.", "", "Statuts", "Moteur arrêté",
                     "Papillon en position intermédiaire / TPS medium", "Test Stepper en action"}));
}

TEST_F(ErreurTest, SilentRowIsShownEmptyAndItsTypeByteIsStillAsked) {
    plug(sim::OneByteVariant::MM15);
    faults.dropNextAnswers(1);
    const auto t0 = clock.now();
    const FaultReading r = window().cderreur_Click();
    EXPECT_EQ(r.rdef[0], "");
    EXPECT_EQ(written().substr(0, 6), "102B11");
    // The lost answer costs its 100 ms time-out.
    EXPECT_GE(clock.now() - t0, 100ms);
    EXPECT_LT(clock.now() - t0, 250ms);
}

TEST_F(ErreurTest, GarbledStatusByteIsShownAsReceived) {
    plug(sim::OneByteVariant::MM15);
    // Six rows without faults, then the status byte 0x00 arrives as 0xFF.
    faults.corruptByteAt(6);
    const FaultReading r = window().cderreur_Click();
    EXPECT_EQ(r.rdef[3], "FF");
    EXPECT_EQ(r.lines.back(), "Test Stepper en action");
    EXPECT_EQ(r.lines[r.lines.size() - 3], "Moteur en marche");
}

TEST_F(ErreurTest, RunningCycleTakesTwoClicks) {
    plug(sim::OneByteVariant::MM15);
    flags.MesuresArretees = false;
    FrmErreur& w = window();
    EXPECT_FALSE(w.cderreur_Click().done);
    EXPECT_TRUE(flags.StopMesures);
    EXPECT_EQ(view.text("rdef0"), "Attente de l'arrêt des mesures");
    EXPECT_EQ(view.text("rdef1"), "Recliquer sur Lecture / Try again");
    EXPECT_EQ(view.text("ldef0"), " ");
    const TestRun t = w.cddiag_Click(2);
    EXPECT_EQ(t.outcome, TestOutcome::CycleRunning);
    EXPECT_EQ(view.text("lenvoie0"), "Attente de l'arrêt des mesures");
    EXPECT_EQ(view.text("lenvoie1"), "Recliquer sur la commande  ");
    EXPECT_TRUE(cable.writes().empty());

    flags.MesuresArretees = true;  // the cycle has ended
    EXPECT_TRUE(w.cderreur_Click().done);
    EXPECT_EQ(view.text("rdef0"), "RAS");
}

TEST_F(ErreurTest, EveryCommandOfBothFamiliesRunsToTestOk) {
    const struct {
        sim::OneByteVariant variant;
        OneByteModel model;
        const char* commands[7];
    } families[] = {
        {sim::OneByteVariant::MM16, OneByteModel::MM16, {"84", "86", "80", "82", "83", "81", "87"}},
        {sim::OneByteVariant::RC15, OneByteModel::RC15, {"83", "85", "80", "81", "82", "86", "87"}},
    };
    const char* names[] = {"Effacement mémoire/Clear memory",
                           "Test compte tour à 3750tr/mn RMP",
                           "Test Pompe (30s)",
                           "Test Bobine Horizontale / Coil",
                           "Test Bobine Verticale / Coil",
                           "Test Injecteur 1",
                           "Test Injecteur 2"};
    for (const auto& f : families) {
        for (int b = 0; b < kDiagButtons; ++b) {
            SCOPED_TRACE(std::string(f.commands[b]));
            plug(f.variant);
            const auto duration = ecu->timing().testDuration[static_cast<std::size_t>(b)];
            const TestRun t = window(f.model).cddiag_Click(b);
            EXPECT_EQ(t.outcome, TestOutcome::Passed);
            EXPECT_EQ(written(), std::string("13AA") + f.commands[b] + "FF");
            const auto w = cable.writes();
            // The command leaves 0.2 s after "AA"'s answer; "FF" 0.2 s after the end byte.
            EXPECT_GE(w[3].t - w[2].t, duration + 200ms);
            EXPECT_LT(w[3].t - w[2].t, duration + 220ms);
            EXPECT_EQ(t.endOfTest, "FF");
            EXPECT_TRUE(t.confirmed);
            EXPECT_EQ(toLines(t.lenvoie), kProgressDone);
            EXPECT_EQ(toLines(t.lrecu), kProgressRight);
            EXPECT_EQ(t.frdialogue, std::string(names[b]) + ": Terminé");
            EXPECT_EQ(ecu->state(clock.now()), sim::OneByteState::Awake);
            EXPECT_TRUE(view.enabled("frcde"));
            EXPECT_TRUE(frmparam.enabled("frmparam"));
            EXPECT_TRUE(flags.LiaisonLibre);
            EXPECT_FALSE(link.Timer_present().enabled());
            cable.clearEvents();
        }
    }
}

TEST_F(ErreurTest, FailedTestShowsFinIncorrecteAndStillLeavesTheMode) {
    sim::OneByteScenario s;
    s.failingTest = sim::DiagTest::CoilVertical;
    plug(sim::OneByteVariant::MM15, s);
    const TestRun t = window().cddiag_Click(4);
    EXPECT_EQ(t.outcome, TestOutcome::Failed);
    EXPECT_EQ(t.endOfTest, "EE");
    ASSERT_EQ(t.messages.size(), 1u);
    EXPECT_EQ(t.messages[0].text, "Fin incorrecte");
    EXPECT_EQ(t.messages[0].icon, base::MessageBox::Icon::Exclamation);
    EXPECT_EQ(t.lenvoie[2], "Test échoué");
    EXPECT_EQ(t.lrecu[3], "Confirmé");
    EXPECT_EQ(written(), "13AA82FF");
    EXPECT_NE(testRunToJson(t).find(R"("outcome":"failed","endOfTest":"EE")"), std::string::npos);
}

TEST_F(ErreurTest, EndOfTestIsAwaited32SecondsThenTheModeIsLeftToTheEcu) {
    // The 30 s pump test ends inside the wait.
    plug(sim::OneByteVariant::MM15);
    EXPECT_EQ(window().cddiag_Click(2).outcome, TestOutcome::Passed);

    sim::OneByteScenario s;
    s.silentTest = sim::DiagTest::FuelPump;
    plug(sim::OneByteVariant::MM15, s);
    const TestRun t = window().cddiag_Click(2);
    EXPECT_EQ(t.outcome, TestOutcome::NoEnd);
    EXPECT_EQ(t.endOfTest, "");
    EXPECT_EQ(written(), "13AA80");  // no "FF"
    const auto sent = cable.writes().back().t;
    EXPECT_GE(clock.now() - sent, 32s);
    EXPECT_LT(clock.now() - sent, 32s + 10ms);
    EXPECT_EQ(t.lrecu[2], "Test terminé");
    EXPECT_EQ(t.lenvoie[2], " ");
    EXPECT_TRUE(view.enabled("cdarret"));
    EXPECT_EQ(ecu->state(clock.now()), sim::OneByteState::Diagnostic);
}

TEST_F(ErreurTest, RunningEngineOrStatusBit4RefusesEveryCommand) {
    const struct {
        bool running;
        std::uint8_t extra;
        bool garbled;
    } cases[] = {{true, 0, false}, {false, 0x04, false}, {false, 0, true}};
    for (const auto& c : cases) {
        sim::OneByteScenario s;
        s.extraStatusBits = c.extra;
        plug(sim::OneByteVariant::MM16, s);
        engine.setRunning(c.running);
        if (c.garbled) faults.corruptByteAt(0);  // 0x00 arrives as 0xFF
        view.clearMessages();
        const TestRun t = window(OneByteModel::MM16).cddiag_Click(1);
        EXPECT_EQ(t.outcome, TestOutcome::EngineRunning);
        ASSERT_EQ(view.messages().size(), 1u);
        EXPECT_EQ(view.messages()[0].text, "Le moteur doit être arrété");
        EXPECT_EQ(view.messages()[0].title, "Attention/Caution");
        EXPECT_EQ(view.messages()[0].icon, base::MessageBox::Icon::Critical);
        EXPECT_EQ(written(), "13");
        EXPECT_TRUE(view.enabled("cderreur"));
        EXPECT_EQ(graphUnloads, 1);
        graphUnloads = 0;
    }
}

TEST_F(ErreurTest, EcuThatDoesNotEchoAaGetsNoCommand) {
    plug(sim::OneByteVariant::MM15);
    faults.dropByteAt(1);  // the status byte comes, the echo of 0xAA does not
    const TestRun t = window().cddiag_Click(3);
    EXPECT_EQ(t.outcome, TestOutcome::NoDiagMode);
    EXPECT_EQ(written(), "13AA");
    EXPECT_EQ(t.lenvoie[0], "Mode Diag");
    EXPECT_EQ(t.lrecu[0], " ");
    EXPECT_EQ(t.frdialogue, "Initialisation du test");
}

TEST_F(ErreurTest, P8SendsNoCommandAfterTheDiagnosticMode) {
    plug(sim::OneByteVariant::P8);
    const TestRun clear = window(OneByteModel::P8).cddiag_Click(0);
    EXPECT_EQ(clear.outcome, TestOutcome::NoEnd);
    EXPECT_EQ(written(), "13AA");
}

TEST_F(ErreurTest, DemonstrationTestRunsToConfirme) {
    link.ModeDemo = true;
    const TestRun t = window(OneByteModel::MM16).cddiag_Click(6);
    EXPECT_EQ(t.outcome, TestOutcome::Passed);
    EXPECT_EQ(toLines(t.lenvoie), kProgressDone);
    EXPECT_EQ(toLines(t.lrecu), kProgressRight);
    EXPECT_EQ(t.frdialogue, "Test Injecteur 2: Terminé");
    EXPECT_EQ(view.beeps(), 5);
}

}  // namespace
}  // namespace dravio::diag
