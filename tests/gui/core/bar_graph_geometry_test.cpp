#include "gui/bar_graph_geometry.h"

#include <gtest/gtest.h>

namespace dravio::gui {
namespace {

TEST(BarGraph, PercentIsValueOverMaxi) {
    struct Case {
        std::int32_t value, maxi;
        float percent;
    };
    const Case cases[] = {
        {500, 1000, 50.0f}, {0, 1000, 0.0f}, {1000, 1000, 100.0f}, {1500, 1000, 150.0f},
        {30, 40, 75.0f},    {-10, 100, -10.0f}, {5, 0, 0.0f},
    };
    for (const auto& c : cases) {
        EXPECT_FLOAT_EQ(barGraphPercent(c.value, c.maxi), c.percent) << c.value << "/" << c.maxi;
    }
}

TEST(BarGraph, FillEndsAtPercentTimesTheHundredthOfTheWidth) {
    struct Case {
        float percent;
        int width;
        int fillRight;
    };
    const Case cases[] = {
        {0.0f, 200, 0},     // nothing visible
        {50.0f, 200, 100},  // 3000 twips: 30 a percent
        {100.0f, 200, 200},
        {100.0f, 150, 147},  // 2250 twips: 22 a percent, the remainder is never filled
        {150.0f, 200, 300},  // past the end
    };
    for (const auto& c : cases) {
        EXPECT_EQ(barGraphLayout(c.percent, c.width, 30).fillRight, c.fillRight) << c.percent << "% of " << c.width;
    }
}

TEST(BarGraph, CaptionIsCentredOnThePercentText) {
    EXPECT_DOUBLE_EQ(barGraphLayout(50.0f, 200, 30).captionX, 85.0);
    EXPECT_DOUBLE_EQ(barGraphLayout(50.0f, 201, 30).captionX, 85.5);
    EXPECT_DOUBLE_EQ(barGraphLayout(50.0f, 20, 30).captionX, -5.0);
}

}  // namespace
}  // namespace dravio::gui
