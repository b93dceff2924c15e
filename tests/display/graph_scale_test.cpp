#include "display/graph_scale.h"

#include <gtest/gtest.h>

#include <vector>

namespace dravio::display {
namespace {

constexpr int kTopUp = 0, kTopDown = 1, kBottomUp = 2, kBottomDown = 3;

// Presses one button again and again.
TEST(ScaleButtons, EachPressMovesTheScaleByTheButtonsRule) {
    const struct {
        const char* name;
        GraphScale start;
        int button;
        std::vector<int> after;  // zMax, zMin after each press
    } sequences[] = {
        // 1800, then steps of 100; the bottom drops to 900 once the span would
        // fall under 300, and the scale then stays put.
        {"top down from 2000", {2000, 1000}, kTopDown, {1800, 1000, 1700, 1000, 1600, 1000, 1500, 1000, 1400, 1000,
                                                        1300, 1000, 1200, 900, 1200, 900}},
        {"top down above 2000", {5000, 1000}, kTopDown, {4500, 1000, 4000, 1000, 3500, 1000}},
        // Steps of 100 to 1800, then 2000, then multiples of 500 up to the 5000
        // cap; the bottom goes back to 1000.
        {"top up from 1200", {1200, 900}, kTopUp, {1300, 1000, 1400, 1000, 1500, 1000, 1600, 1000, 1700, 1000, 1800,
                                                   1000, 2000, 1000, 2500, 1000}},
        {"top up to the cap", {4800, 1000}, kTopUp, {5000, 1000, 5000, 1000}},
        {"top up from an oversized top", {9000, 2000}, kTopUp, {5000, 1000}},
        // The top is pushed along to keep a 300 span, past its own cap.
        {"bottom up", {1500, 1000}, kBottomUp, {1500, 1100, 1500, 1200, 1600, 1300}},
        {"bottom up past the top cap", {5000, 4600}, kBottomUp, {5000, 4700, 5100, 4800}},
        {"bottom down stops at 900", {1500, 1100}, kBottomDown, {1500, 1000, 1500, 900, 1500, 900}},
    };
    for (const auto& s : sequences) {
        GraphScale scale = s.start;
        for (std::size_t i = 0; i + 1 < s.after.size(); i += 2) {
            const auto next = pressScaleButton(scale, s.button);
            ASSERT_TRUE(next.has_value()) << s.name << ", press " << i / 2 + 1;
            EXPECT_EQ((std::pair<int, int>{next->zMax, next->zMin}), (std::pair{s.after[i], s.after[i + 1]}))
                << s.name << ", press " << i / 2 + 1;
            scale = *next;
        }
    }
}

TEST(ScaleButtons, RefusesUnknownButtonsAndScalesBeyond16Bits) {
    EXPECT_FALSE(pressScaleButton({1500, 1000}, 4) || pressScaleButton({1500, 1000}, -1));
    // zMin 32700 + 100 does not fit, nor would the top pushed above it.
    EXPECT_FALSE(pressScaleButton({32767, 32700}, kBottomUp) || pressScaleButton({32767, 32500}, kBottomUp));
    EXPECT_TRUE(pressScaleButton({32767, 32300}, kBottomUp).has_value());
}

TEST(PointsList, ReadsTheNumericValueOfTheText) {
    const std::pair<const char*, std::optional<std::int16_t>> cases[] = {
        {"20", 20}, {" 30", 30}, {"40 pts", 40}, {"", 0}, {"abc", 0}, {"99999", std::nullopt},
    };
    for (const auto& [text, value] : cases) EXPECT_EQ(pointsFromText(text), value) << '"' << text << '"';
}

}  // namespace
}  // namespace dravio::display
