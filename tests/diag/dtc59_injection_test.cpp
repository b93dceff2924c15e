// Faults injected into the answers of the fault and test window: a status answer
// without its header, unexpected answers to the immobiliser, test, service and TPS
// requests.
#include <gtest/gtest.h>

#include <map>

#include "diag/dtc59_window.h"
#include "dtc59_fixture.h"

namespace dravio::diag {
namespace {

using namespace std::chrono_literals;

// Answers by request prefix; "" for a request not listed.
class ScriptedWindow : public ::testing::Test, public DiagBench {
protected:
    FrmDTC59& open(std::map<std::string, std::string> answers, const std::string& ecuType = "IAW5AMHW010") {
        Dtc59Hooks hooks;
        hooks.EnvoieRequete = [this, answers = std::move(answers)](std::string_view r, auto, auto, auto) {
            requests.emplace_back(r);
            for (const auto& [prefix, answer] : answers) {
                if (r.substr(0, prefix.size()) == prefix) return answer;
            }
            return std::string();
        };
        hooks.EcritTrace = [this](std::string_view t, bool timed) { traced.emplace_back(std::string(t), timed); };
        hooks.GetResourceString = texts;
        window =
            std::make_unique<FrmDTC59>(loop, view, hooks, requests59(proto::Model::M59), Dtc59Form::Kwp2000, ecuType);
        window->Form_Load();
        requests.clear();
        return *window;
    }
    bool checked(const std::string& control) const { return view[control].checked.value_or(false); }

    std::unique_ptr<FrmDTC59> window;
};

TEST_F(ScriptedWindow, StatusAnswerWithoutItsHeaderKeepsWhatWasShown) {
    // DTC 1's status is whole; DTC 2's has lost its addresses.
    FrmDTC59& w = open({{"1800", "88F1105802020122D600A886"},
                        {"170201", "8CF11057020201A4000000000000303B"},
                        {"17D600", "8C57020D60022000000000000040"}});
    EXPECT_EQ(view.text("LabelNbCycle"), "16");
    EXPECT_TRUE(checked("Cause(2)"));
    EXPECT_EQ(view["Shape1"].backColour, kDtcLampRed);
    w.faults().ButtonNext_Click();
    // The code, its texts and its trace line are new; status, options and counter are DTC 1's.
    EXPECT_EQ(view.text("LabelTextError").substr(0, 5), "U1600");
    EXPECT_EQ(traced.back().first.rfind("Erreur n°:2 U1600", 0), 0u) << traced.back().first;
    EXPECT_EQ(view.text("LabelNbCycle"), "16");
    EXPECT_TRUE(checked("Cause(2)"));
    EXPECT_TRUE(checked("Memo(1)"));
    EXPECT_EQ(view["Shape1"].backColour, kDtcLampRed);
}

TEST_F(ScriptedWindow, UnexpectedAnswersToTheLowerHalfShowTheirOutcome) {
    const struct {
        const char* what;
        std::map<std::string, std::string> answers;
        int test;  // list index, or -1 for the service reset
        std::string description;
        bool runs;
    } cases[] = {
        {"immobiliser without header", {{"2174", "836174015A"}}, 8, "", false},
        {"immobiliser cut after 6174", {{"2174", "83F1106174"}}, 8, "", false},
        {"immobiliser status outside the table", {{"2174", "83F110617403"}}, 8, "", false},
        {"immobiliser blocked", {{"2174", "83F1106174025C"}}, 8, "ECU Bloqué", false},
        {"test answered for another output",
         {{"3006", "83F1107005005E"}},
         0,
         "Vérifiez que le compte tour monte à 3750 tr/mn.\r\nTest Echoué: Cause inconnue",
         false},
        {"test refused, general cause",
         {{"3008", "83F1107F30105E"}},
         4,
         "Test injecteur cylindre horizontal\r\nTest Echoué: Cause générale",
         false},
        {"service reset refused", {{"3020", "83F1107F3022"}}, -1, "Test Echoué: Conditions incorrectes", false},
        {"service reset accepted", {{"3020", "83F11070200033"}}, -1, "Wait 7sec", true},
    };
    for (const auto& c : cases) {
        ActuatorPanel& p = open(c.answers).tests();
        view.setText("LDescription", "");
        if (c.test >= 0) {
            p.ComboChoixTest_Click(c.test);
            p.CdeStartTest_Click();
        } else {
            p.cdService_Click();
        }
        EXPECT_EQ(view.text("LDescription"), c.description) << c.what;
        EXPECT_EQ(p.TimerTestActif().enabled(), c.runs) << c.what;
    }
}

TEST_F(ScriptedWindow, TpsResetWithoutStartCommunicationAsksToStartAgain) {
    ActuatorPanel& p = open({{"2157", "83F11061570233E"}, {"81", "83F1107F8110"}}).tests();
    loop.post([&p] { p.cdConfirmer_Click(2); });
    p.cdresetTPS_Click();
    EXPECT_EQ(requests, (std::vector<std::string>{"2157", "81"}));
    EXPECT_EQ(view.text("LDescription"), "Recommencer");
    EXPECT_TRUE(view.enabled("frResetM5"));
    EXPECT_FALSE(p.TimerTestActif().enabled());
}

}  // namespace
}  // namespace dravio::diag
