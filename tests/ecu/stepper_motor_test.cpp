#include "ecu/stepper_motor.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace dravio::ecu {
namespace {

using namespace std::chrono_literals;

struct Bench {
    base::VirtualClock clock;
    base::EventLoop loop{clock};
    base::ViewState view;
    std::vector<std::string> sent;
    std::string answer216C = "83F110616C96E7";
    StepperMotor motor{view, loop,
                       {[this](std::string_view r, std::string_view, std::int16_t len, std::int16_t) {
                            sent.push_back(std::string(r) + "/" + std::to_string(len));
                            return r == "216C" ? answer216C : std::string("83F110700407CF");
                        },
                        [](double) {}},
                       "F110"};
};

TEST(GestionMoteurPP, PositionText) {
    struct Case {
        const char* answer;
        const char* text;
    };
    for (const Case c : {Case{"83F110616C96E7", "150"}, Case{"FE83F110616C07", "7"}, Case{"83F110616C", "0"},
                         Case{"83F1107F216C12", "0"}, Case{"", "0"}}) {
        Bench b;
        b.answer216C = c.answer;
        EXPECT_EQ(b.motor.GestionMoteurPP(800), c.text) << c.answer;
        EXPECT_EQ(b.sent, std::vector<std::string>{"216C/7"});
    }
}

TEST(GestionMoteurPP, DisabledLabelShowsDashesAndAsksNothing) {
    Bench b;
    b.view.setEnabled("lbMoteurPP", false);
    EXPECT_EQ(b.motor.GestionMoteurPP(800), "--");
    EXPECT_TRUE(b.sent.empty());
}

TEST(StepperTest, StartsOnlyAbove600Rpm) {
    Bench b;
    b.view.setEnabled("lbMoteurPP", false);
    b.motor.cdMoteurPPClick();
    EXPECT_FALSE(b.view.enabled("cdMoteurPP"));
    b.motor.GestionMoteurPP(600);
    EXPECT_TRUE(b.sent.empty());
    EXPECT_TRUE(b.motor.TestMoteurDemande());
    b.motor.GestionMoteurPP(601);
    EXPECT_EQ(b.sent, std::vector<std::string>{"300407/7"});
    EXPECT_FALSE(b.motor.TestMoteurDemande());
    EXPECT_TRUE(b.motor.BarreOccupee());
    // Asked once: the next cycles do not start it again.
    b.motor.GestionMoteurPP(3000);
    EXPECT_EQ(b.sent.size(), 1u);
}

TEST(StepperTest, ProgressOverThirtyTwoSeconds) {
    Bench b;
    b.view.setEnabled("lbMoteurPP", false);
    b.motor.cdMoteurPPClick();
    const auto start = b.clock.now();
    b.motor.GestionMoteurPP(1200);

    struct Step {
        std::chrono::milliseconds at;
        int count;
        int bar;
        const char* seconds;
        bool busy;
    };
    const Step steps[] = {
        {199ms, 0, -1, nullptr, true},  {200ms, 1, 1, "0", true},      {600ms, 3, 2, "1", true},
        {16000ms, 80, 50, "16", true},  {31800ms, 159, 99, "32", true}, {32000ms, 160, 0, nullptr, false},
        {40000ms, 160, 0, nullptr, false},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.at.count());
        b.loop.runUntil(start + s.at);
        EXPECT_EQ(b.motor.tempoCount(), s.count);
        if (s.bar >= 0) {
            EXPECT_EQ(b.view["ProgressBar1"].value, s.bar);
        }
        if (s.seconds) {
            EXPECT_EQ(b.view.text("Lbtest"), s.seconds);
        }
        EXPECT_EQ(b.motor.BarreOccupee(), s.busy);
        EXPECT_EQ(b.view.enabled("cdMoteurPP"), !s.busy);
    }
}

}  // namespace
}  // namespace dravio::ecu
