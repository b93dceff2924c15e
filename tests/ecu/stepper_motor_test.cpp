#include "ecu/stepper_motor.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace dravio::ecu {
namespace {

using namespace std::chrono_literals;

// The motor with a label switched off (the test asked) and the bytes it puts on the line.
struct Bench {
    Bench() { view.setEnabled("lbMoteurPP", false); }
    base::VirtualClock clock;
    base::EventLoop loop{clock};
    base::ViewState view;
    std::vector<std::string> sent;
    std::string answer216C = "83F110616C96E7";
    StepperMotor motor{view,
                       loop,
                       {[this](std::string_view r, std::string_view, std::int16_t len, std::int16_t) {
                            sent.push_back(std::string(r) + "/" + std::to_string(len));
                            return r == "216C" ? answer216C : std::string("83F110700407CF");
                        },
                        [](double) {}},
                       "F110"};
};

TEST(GestionMoteurPP, PositionTextAndDashesWhenOff) {
    for (const auto& [answer, text] : {std::pair{"83F110616C96E7", "150"},
                                       {"FE83F110616C07", "7"},
                                       {"83F110616C", "0"},
                                       {"83F1107F216C12", "0"},
                                       {"", "0"}}) {
        Bench b;
        b.view.setEnabled("lbMoteurPP", true);
        b.answer216C = answer;
        EXPECT_EQ(b.motor.GestionMoteurPP(800), text) << answer;
        EXPECT_EQ(b.sent, std::vector<std::string>{"216C/7"});
    }
    Bench off;
    EXPECT_EQ(off.motor.GestionMoteurPP(800), "--");
    EXPECT_TRUE(off.sent.empty());
}

TEST(StepperTest, StartsOnceAbove600Rpm) {
    Bench b;
    b.motor.cdMoteurPPClick();
    EXPECT_FALSE(b.view.enabled("cdMoteurPP"));
    b.motor.GestionMoteurPP(600);
    EXPECT_TRUE(b.sent.empty());
    EXPECT_TRUE(b.motor.TestMoteurDemande());
    b.motor.GestionMoteurPP(601);
    EXPECT_EQ(b.sent, std::vector<std::string>{"300407/7"});
    EXPECT_FALSE(b.motor.TestMoteurDemande());
    EXPECT_TRUE(b.motor.BarreOccupee());
    b.motor.GestionMoteurPP(3000);
    EXPECT_EQ(b.sent.size(), 1u);
}

TEST(StepperTest, ProgressOverThirtyTwoSeconds) {
    Bench b;
    b.motor.cdMoteurPPClick();
    const auto start = b.clock.now();
    b.motor.GestionMoteurPP(1200);
    const std::tuple<std::chrono::milliseconds, int, int, const char*, bool> steps[] = {
        {199ms, 0, -1, nullptr, true},    {200ms, 1, 1, "0", true},       {600ms, 3, 2, "1", true},
        {16000ms, 80, 50, "16", true},    {31800ms, 159, 99, "32", true}, {32000ms, 160, 0, nullptr, false},
        {40000ms, 160, 0, nullptr, false}};
    for (const auto& [at, count, bar, seconds, busy] : steps) {
        SCOPED_TRACE(at.count());
        b.loop.runUntil(start + at);
        EXPECT_EQ(b.motor.tempoCount(), count);
        EXPECT_TRUE(bar < 0 || b.view["ProgressBar1"].value == bar);
        EXPECT_TRUE(!seconds || b.view.text("Lbtest") == seconds) << b.view.text("Lbtest");
        EXPECT_EQ(b.motor.BarreOccupee(), busy);
        EXPECT_EQ(b.view.enabled("cdMoteurPP"), !busy);
    }
}

}  // namespace
}  // namespace dravio::ecu
