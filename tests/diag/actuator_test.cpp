#include <gtest/gtest.h>

#include "diag/actuator_tests.h"
#include "diag/dtc59_window.h"
#include "dtc59_fixture.h"
#include "sim/kwp_ecu.h"

namespace dravio::diag {
namespace {

using namespace std::chrono_literals;

class ActuatorTest : public ::testing::Test, public DiagBench {
protected:
    // A 59M or 5AM on the line, awake, the engine stopped with the key on.
    void plugEcu(sim::KwpScenario scenario) {
        sim::KwpSessionOptions options;
        options.startAwake = true;
        ecu = std::make_unique<sim::KwpEcu>(std::move(scenario), options);
        ecu->engine().setRunning(false);
        plug(*ecu, 4);
    }

    ActuatorPanel& open(const std::string& ecuType = "IAW59MHW010") {
        window = std::make_unique<FrmDTC59>(loop, view, dtcHooks(), requests59(4), Dtc59Form::Kwp2000, ecuType);
        window->tests().Form_Load(true);
        requests.clear();
        return window->tests();
    }

    std::unique_ptr<sim::KwpEcu> ecu;
    std::unique_ptr<FrmDTC59> window;
};

TEST_F(ActuatorTest, ChoosingATestPreparesItsRun) {
    struct Case {
        int index;
        const char* description;
        const char* lmax;
        int ticks;
        const char* code;
    };
    const Case cases[] = {
        {0, "Vérifiez que le compte tour monte à 3750 tr/mn.", "2s", 10, "06"},
        {1, "Vérifiez que vous entendez la pompe à essence.", "30s", 150, "05"},
        {5, "Test injecteur cyindre Vertical", "5s", 25, "09"},
        {7, "Test ventilateur 2", "10s", 50, "0D"},
        {8, "Statut Antidémarrage", "0.2s", 1, ""},
    };
    ActuatorPanel& p = open();
    EXPECT_FALSE(view.enabled("CdeStartTest"));
    EXPECT_EQ(p.ComboChoixTest_List().size(), 9u);
    EXPECT_EQ(p.ComboChoixTest_List()[8], "AntiDemarrage");
    for (const Case& c : cases) {
        p.ComboChoixTest_Click(c.index);
        EXPECT_EQ(view.text("LDescription"), c.description);
        EXPECT_EQ(view.text("LMax"), c.lmax);
        EXPECT_EQ(p.ticksTotal(), c.ticks);
        EXPECT_EQ(view["ProgressBar1"].maximum, c.ticks);
        EXPECT_EQ(p.CodeTest(), c.code);
        EXPECT_TRUE(view.enabled("CdeStartTest"));
    }
    EXPECT_TRUE(requests.empty());
}

TEST_F(ActuatorTest, RevCounterTestRunsTenTicksOnTheSimulated59m) {
    plugEcu(sim::KwpScenario::m59());
    ActuatorPanel& p = open();
    p.ComboChoixTest_Click(0);
    p.CdeStartTest_Click();
    EXPECT_EQ(requests, (std::vector<std::string>{"300607"}));
    EXPECT_EQ(view.text("LDescription"), "Vérifiez que le compte tour monte à 3750 tr/mn.\r\nTest OK");
    EXPECT_EQ(view.text("CdeStartTest"), "Arrêter le test");
    EXPECT_FALSE(view.enabled("ComboChoixTest"));
    EXPECT_EQ(ecu->engine().testAt(clock.now()), "output 6");
    EXPECT_EQ(keepAliveSwitches, (std::vector<bool>{false, true}));

    const auto start = clock.now();
    loop.runFor(1100ms);
    EXPECT_EQ(view["ProgressBar1"].value, 5);
    loop.runFor(1000ms);
    EXPECT_FALSE(p.TimerTestActif().enabled());
    EXPECT_EQ(p.ticks(), 10);
    EXPECT_EQ(view["ProgressBar1"].value, 0);
    EXPECT_EQ(view.text("CdeStartTest"), "Lancer le test");
    EXPECT_TRUE(view.enabled("ComboChoixTest"));
    EXPECT_GE(clock.now() - start, 2s);
}

TEST_F(ActuatorTest, RevCounterOnA5amAddsTheNeedleNote) {
    demo(4);
    ActuatorPanel& p = open("IAW5AMHW010");
    p.ComboChoixTest_Click(0);
    p.CdeStartTest_Click();
    EXPECT_EQ(
        view.text("LDescription"),
        "Vérifiez que le compte tour monte à 3750 tr/mn.\r\nTest OK\r\nmême si l'aiguille n'a pas bougé (Bus CAN)");
    EXPECT_FALSE(view.visible("lbCaution"));
    EXPECT_TRUE(view.enabled("cdService"));
}

TEST_F(ActuatorTest, StoppingEarlySendsTheStopRequest) {
    plugEcu(sim::KwpScenario::m59());
    ActuatorPanel& p = open();
    p.ComboChoixTest_Click(1);
    p.CdeStartTest_Click();
    loop.runFor(1s);
    EXPECT_EQ(ecu->engine().testAt(clock.now()), "output 5");
    p.CdeStartTest_Click();
    EXPECT_EQ(requests, (std::vector<std::string>{"300507", "300500"}));
    EXPECT_EQ(ecu->engine().testAt(clock.now()), "");
    EXPECT_FALSE(p.TimerTestActif().enabled());
    EXPECT_EQ(view.text("CdeStartTest"), "Lancer le test");
    EXPECT_TRUE(link.Timer_present().enabled());
}

TEST_F(ActuatorTest, RefusedStartShowsTheCause) {
    struct Case {
        const char* answer;
        const char* cause;
    };
    const Case cases[] = {
        {"83F1107F3010", "Cause générale"},
        {"83F1107F3012", "Sous fonction non supportée"},
        {"83F1107F3022", "Conditions incorrectes"},
        {"83F1107F3078", "Cause inconnue"},
        {"", "Cause inconnue"},
        {"83F1107F30", "Cause inconnue"},
        {"83F110700500", "Cause inconnue"},  // a positive answer for another output
    };
    for (const Case& c : cases) {
        EXPECT_EQ(refusalCause(c.answer, "30", {}), c.cause) << c.answer;
    }
    // The running engine of the simulated ECU refuses an output test.
    plugEcu(sim::KwpScenario::m59());
    ecu->engine().setRunning(true);
    ActuatorPanel& p = open();
    p.ComboChoixTest_Click(2);
    p.CdeStartTest_Click();
    EXPECT_EQ(view.text("LDescription"), "Test bobine cylindre horizontal\r\nTest Echoué: Conditions incorrectes");
    EXPECT_FALSE(p.TimerTestActif().enabled());
    EXPECT_EQ(view.text("CdeStartTest"), "Lancer le test");
    EXPECT_TRUE(view.enabled("ComboChoixTest"));
}

TEST_F(ActuatorTest, ImmobiliserStatus) {
    const std::pair<std::uint8_t, const char*> texts[] = {
        {0x00, "Système OK"},     {0x01, "ECU Vierge"},         {0x02, "ECU Bloqué"},
        {0x04, "Code Universel"}, {0x10, "Recu Backdoor code"}, {0x20, "Erreur code key"},
        {0x40, "Code Non Noto"},  {0x80, "Aucun code reçu"},    {0x03, ""},
    };
    for (const auto& [status, text] : texts) EXPECT_EQ(immobiliserText(status, {}), text) << int(status);

    demo(4);
    ActuatorPanel& p = open();
    p.ComboChoixTest_Click(8);
    p.CdeStartTest_Click();
    EXPECT_EQ(requests, (std::vector<std::string>{"2174"}));
    EXPECT_EQ(view.text("LDescription"), "ECU Vierge");

    link.ModeDemo = false;
    plugEcu(sim::KwpScenario::m59());
    ecu->setImmobiliser(0x02);
    p.CdeStartTest_Click();
    EXPECT_EQ(view.text("LDescription"), "ECU Bloqué");
    ecu->setImmobiliser(0x08);
    p.CdeStartTest_Click();
    EXPECT_EQ(view.text("LDescription"), "");
}

TEST_F(ActuatorTest, CancellingTheTpsConfirmationSendsNothing) {
    plugEcu(sim::KwpScenario::m59());
    ActuatorPanel& p = open();
    loop.post([&] {
        EXPECT_TRUE(view.visible("frConfirm"));
        p.cdConfirmer_Click(1);
    });
    p.cdresetTPS_Click();
    EXPECT_TRUE(requests.empty());
    EXPECT_FALSE(view.visible("frConfirm"));
    EXPECT_TRUE(view.enabled("frResetM5"));
    EXPECT_FALSE(p.TimerTestActif().enabled());
}

TEST_F(ActuatorTest, ConfirmedTpsResetEndsWithTheKeyOffInstruction) {
    plugEcu(sim::KwpScenario::m59());
    ActuatorPanel& p = open();
    loop.post([&] { p.cdConfirmer_Click(2); });
    p.cdresetTPS_Click();
    EXPECT_EQ(requests, (std::vector<std::string>{"2157", "81", "3121"}));
    EXPECT_EQ(view.text("LMax"), "7s");
    EXPECT_TRUE(p.TimerTestActif().enabled());
    EXPECT_FALSE(view.enabled("frResetM5"));
    loop.runFor(7100ms);
    EXPECT_EQ(requests.back(), "3321");
    EXPECT_EQ(view.text("LDescription"), "Wait 7s\r\nTurn Key OFF 15sec");
    ASSERT_EQ(view.messages().size(), 1u);
    EXPECT_EQ(view.messages()[0].text, "Turn the KEY OFF and wait 15s");
    EXPECT_EQ(view.messages()[0].title, "Caution");
    EXPECT_TRUE(view.enabled("frResetM5"));
}

TEST_F(ActuatorTest, RunningEngineRefusesTheTpsReset) {
    plugEcu(sim::KwpScenario::m59());
    ecu->engine().setRunning(true);
    ActuatorPanel& p = open();
    loop.post([&] { p.cdConfirmer_Click(2); });
    p.cdresetTPS_Click();
    EXPECT_EQ(requests, (std::vector<std::string>{"2157"}));
    ASSERT_EQ(view.messages().size(), 1u);
    EXPECT_EQ(view.messages()[0].text, "Le moteur doit être arrêté");
    EXPECT_EQ(view.messages()[0].title, "Reset TPS Error");
    EXPECT_EQ(view.messages()[0].icon, base::MessageBox::Icon::Critical);
    EXPECT_FALSE(p.TimerTestActif().enabled());
}

TEST_F(ActuatorTest, TpsResetWithoutStartCommunicationAnswerAsksToStartAgain) {
    plugEcu(sim::KwpScenario::m59());
    Dtc59Hooks hooks = dtcHooks();
    auto send = hooks.EnvoieRequete;
    hooks.EnvoieRequete = [&](std::string_view r, std::string_view d, std::int16_t l, std::int16_t t) {
        if (r == "81") ecu->faults().dropNextAnswers(1);
        return send(r, d, l, t);
    };
    window = std::make_unique<FrmDTC59>(loop, view, hooks, requests59(4), Dtc59Form::Kwp2000, "IAW59MHW010");
    ActuatorPanel& q = window->tests();
    q.Form_Load(true);
    loop.post([&] { q.cdConfirmer_Click(2); });
    q.cdresetTPS_Click();
    EXPECT_EQ(view.text("LDescription"), "Recommencer");
    EXPECT_FALSE(q.TimerTestActif().enabled());
}

TEST_F(ActuatorTest, ServiceResetOnlyOnThe5am) {
    plugEcu(sim::KwpScenario::m5a());
    ActuatorPanel& p = open("IAW5AMHW010");
    p.cdService_Click();
    EXPECT_EQ(requests, (std::vector<std::string>{"302007"}));
    ASSERT_FALSE(traced.empty());
    EXPECT_EQ(traced.back().first.substr(0, 17), "Service : 302007 ");
    EXPECT_TRUE(traced.back().second);
    EXPECT_EQ(view.text("LDescription"), "Wait 7sec");
    loop.runFor(7100ms);
    EXPECT_FALSE(p.TimerTestActif().enabled());
    EXPECT_TRUE(view.enabled("CdeStartTest"));

    // A 59M has no service counter: the button is off and a click does nothing.
    ActuatorPanel& m59 = open("IAW59MHW010");
    EXPECT_FALSE(view.enabled("cdService"));
    EXPECT_TRUE(view.visible("lbCaution"));
    m59.cdService_Click();
    EXPECT_TRUE(requests.empty());
}

}  // namespace
}  // namespace dravio::diag
