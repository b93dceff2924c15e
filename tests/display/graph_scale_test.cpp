#include "display/graph_scale.h"

#include <gtest/gtest.h>

#include <vector>

namespace dravio::display {
namespace {

constexpr int kTopUp = 0, kTopDown = 1, kBottomUp = 2, kBottomDown = 3;

struct PressSequence {
    const char* name;
    GraphScale start;
    int button;
    std::vector<GraphScale> after;  // scale after each press, in order
};

class ScaleButtons : public ::testing::TestWithParam<PressSequence> {};

TEST_P(ScaleButtons, EachPressMovesTheScaleByTheButtonsRule) {
    const PressSequence& seq = GetParam();
    GraphScale scale = seq.start;
    for (std::size_t i = 0; i < seq.after.size(); ++i) {
        const auto next = pressScaleButton(scale, seq.button);
        ASSERT_TRUE(next.has_value()) << "press " << i + 1;
        EXPECT_EQ(next->zMax, seq.after[i].zMax) << "press " << i + 1;
        EXPECT_EQ(next->zMin, seq.after[i].zMin) << "press " << i + 1;
        scale = *next;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, ScaleButtons,
    ::testing::Values(
        // Top down from 2000: 1800, then steps of 100; the bottom drops to 900
        // once the span would fall under 300, and the scale then stays put.
        PressSequence{"TopDownFrom2000",
                      {2000, 1000},
                      kTopDown,
                      {{1800, 1000},
                       {1700, 1000},
                       {1600, 1000},
                       {1500, 1000},
                       {1400, 1000},
                       {1300, 1000},
                       {1200, 900},
                       {1200, 900}}},
        PressSequence{
            "TopDownAbove2000",
            {5000, 1000},
            kTopDown,
            {{4500, 1000}, {4000, 1000}, {3500, 1000}, {3000, 1000}, {2500, 1000}, {2000, 1000}, {1800, 1000}}},
        // Top up: steps of 100 to 1800, then 2000, then multiples of 500 up to
        // the 5000 cap; the bottom goes back to 1000.
        PressSequence{"TopUpFrom1200",
                      {1200, 900},
                      kTopUp,
                      {{1300, 1000},
                       {1400, 1000},
                       {1500, 1000},
                       {1600, 1000},
                       {1700, 1000},
                       {1800, 1000},
                       {2000, 1000},
                       {2500, 1000},
                       {3000, 1000},
                       {3500, 1000},
                       {4000, 1000},
                       {4500, 1000},
                       {5000, 1000},
                       {5000, 1000}}},
        PressSequence{
            "TopUpOffTheHundreds", {1750, 1000}, kTopUp, {{1850, 1000}, {1950, 1000}, {2050, 1000}, {2500, 1000}}},
        PressSequence{"TopUpAt2100", {2100, 1000}, kTopUp, {{2500, 1000}}},
        PressSequence{"TopUpAt4800", {4800, 1000}, kTopUp, {{5000, 1000}}},
        PressSequence{"TopUpFromAnOversizedTop", {9000, 2000}, kTopUp, {{5000, 1000}}},
        // Bottom up: the top is pushed along to keep a 300 span.
        PressSequence{"BottomUp", {1500, 1000}, kBottomUp, {{1500, 1100}, {1500, 1200}, {1600, 1300}, {1700, 1400}}},
        PressSequence{"BottomUpPastTheTopCap", {5000, 4600}, kBottomUp, {{5000, 4700}, {5100, 4800}}},
        // Bottom down stops at 900.
        PressSequence{"BottomDown", {1500, 1200}, kBottomDown, {{1500, 1100}, {1500, 1000}, {1500, 900}, {1500, 900}}},
        PressSequence{"BottomDownFromBelowTheFloor", {1500, 100}, kBottomDown, {{1500, 900}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ScaleButtonLimits, RefusesUnknownButtonsAndScalesBeyond16Bits) {
    EXPECT_FALSE(pressScaleButton({1500, 1000}, 4).has_value());
    EXPECT_FALSE(pressScaleButton({1500, 1000}, -1).has_value());
    // zMin 32700 + 100 does not fit, nor would the top pushed above it.
    EXPECT_FALSE(pressScaleButton({32767, 32700}, kBottomUp).has_value());
    EXPECT_FALSE(pressScaleButton({32767, 32500}, kBottomUp).has_value());
    EXPECT_TRUE(pressScaleButton({32767, 32300}, kBottomUp).has_value());
}

TEST(PointsList, ReadsTheNumericValueOfTheText) {
    struct Case {
        const char* text;
        std::optional<std::int16_t> value;
    };
    const Case cases[] = {
        {"20", 20}, {"50", 50}, {" 30", 30}, {"40 pts", 40}, {"", 0}, {"abc", 0}, {"99999", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(pointsFromText(c.text), c.value) << '"' << c.text << '"';
}

}  // namespace
}  // namespace dravio::display
