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
    void plugEcu(sim::KwpScenario scenario, bool running = false) {
        sim::KwpSessionOptions options;
        options.startAwake = true;
        ecu = std::make_unique<sim::KwpEcu>(std::move(scenario), options);
        ecu->engine().setRunning(running);
        plug(*ecu, proto::Model::M59);
    }
    ActuatorPanel& open(const std::string& ecuType = "IAW59MHW010") {
        window = std::make_unique<FrmDTC59>(loop, view, dtcHooks(), requests59(proto::Model::M59),
                                            Dtc59Form::Kwp2000, ecuType);
        window->tests().Form_Load(true);
        requests.clear();
        return window->tests();
    }
    // The TPS reset, its confirmation answered with `choice` by a click queued on the loop.
    void resetTps(ActuatorPanel& p, int choice) {
        loop.post([&p, choice] { p.cdConfirmer_Click(choice); });
        p.cdresetTPS_Click();
    }

    std::unique_ptr<sim::KwpEcu> ecu;
    std::unique_ptr<FrmDTC59> window;
};

TEST_F(ActuatorTest, RevCounterTestRunsTenTicksAndCanBeStoppedEarly) {
    plugEcu(sim::KwpScenario::m59());
    ActuatorPanel& p = open();
    EXPECT_FALSE(view.enabled("CdeStartTest"));
    p.ComboChoixTest_Click(0);
    EXPECT_EQ(view.text("LMax"), "2s");
    p.CdeStartTest_Click();
    EXPECT_EQ(view.text("LDescription"), "Vérifiez que le compte tour monte à 3750 tr/mn.\r\nTest OK");
    loop.runFor(1100ms);
    EXPECT_EQ(view["ProgressBar1"].value, 5);
    loop.runFor(1000ms);
    EXPECT_EQ(view.text("CdeStartTest"), "Lancer le test");
    p.ComboChoixTest_Click(1);
    p.CdeStartTest_Click();
    loop.runFor(1s);
    p.CdeStartTest_Click();
    EXPECT_EQ(requests, (std::vector<std::string>{"300607", "300507", "300500"}));
    EXPECT_EQ(ecu->engine().testAt(clock.now()), "");
}

TEST_F(ActuatorTest, RefusedStartShowsTheCause) {
    EXPECT_EQ(refusalCause("83F1107F3010", "30", {}), "Cause générale");
    EXPECT_EQ(refusalCause("83F1107F3112", "30", {}), "Cause inconnue");  // another service refused
    plugEcu(sim::KwpScenario::m59(), true);  // a running engine refuses output tests
    ActuatorPanel& p = open();
    p.ComboChoixTest_Click(2);
    p.CdeStartTest_Click();
    EXPECT_EQ(view.text("LDescription"), "Test bobine cylindre horizontal\r\nTest Echoué: Conditions incorrectes");
    EXPECT_FALSE(p.TimerTestActif().enabled());
    EXPECT_TRUE(view.enabled("ComboChoixTest"));
}

TEST_F(ActuatorTest, ImmobiliserStatus) {
    demo(proto::Model::M59);
    ActuatorPanel& p = open();
    p.ComboChoixTest_Click(8);
    p.CdeStartTest_Click();
    EXPECT_EQ(requests, (std::vector<std::string>{"2174"}));
    EXPECT_EQ(view.text("LDescription"), "ECU Vierge");
}

TEST_F(ActuatorTest, TpsResetCancelledRefusedOrDone) {
    plugEcu(sim::KwpScenario::m59(), true);
    ActuatorPanel& p = open();
    resetTps(p, 1);
    EXPECT_TRUE(requests.empty());  // cancelling sends nothing

    resetTps(p, 2);
    EXPECT_EQ(requests, (std::vector<std::string>{"2157"}));
    ASSERT_EQ(view.messages().size(), 1u);
    EXPECT_EQ(view.messages()[0].title + ": " + view.messages()[0].text, "Reset TPS Error: Le moteur doit être arrêté");

    ecu->engine().setRunning(false);
    requests.clear();
    view.clearMessages();
    resetTps(p, 2);
    EXPECT_EQ(requests, (std::vector<std::string>{"2157", "81", "3121"}));
    EXPECT_FALSE(view.enabled("frResetM5"));
    loop.runFor(7100ms);
    EXPECT_EQ(requests.back(), "3321");
    EXPECT_EQ(view.messages().at(0).text, "Turn the KEY OFF and wait 15s");
    EXPECT_TRUE(view.enabled("frResetM5"));
}

}  // namespace
}  // namespace dravio::diag
