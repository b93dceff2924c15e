#include "display/bar_graph.h"

#include <gtest/gtest.h>

namespace dravio::display {
namespace {

TEST(BarGraph, ValueAgainstMaxi) {
    struct Case {
        std::int32_t maxi;
        std::int16_t value;
        std::int16_t percent;
    };
    const Case cases[] = {
        {1000, 500, 50}, {1000, 0, 0}, {1000, 1000, 100}, {1000, 1500, 150}, {100, 45, 45},
        {90, 45, 50},    {3, 1, 33},   {1000, -200, -20}, {0, 500, 0},
    };
    for (const Case& c : cases) {
        BarGraph bar;
        bar.setMaxi(c.maxi);
        bar.setMini(400);  // plays no part
        bar.setValue(c.value);
        EXPECT_EQ(bar.Percent(), c.percent) << c.value << " of " << c.maxi;
    }
}

TEST(BarGraph, MaxiDefaultsTo1000) {
    BarGraph bar;
    bar.setValue(500);
    EXPECT_EQ(bar.Percent(), 50);
}

TEST(BarGraph, FillBoxFromOutsideTheCornerToPercentOfTheHundredths) {
    struct Case {
        int width, height;
        std::int16_t percent;
        double right;
        bool visible;
    };
    const Case cases[] = {
        {3000, 300, 50, 1500, true},                                // half the bar
        {3000, 300, 0, 0, false},                                   // the box ends on the left edge
        {3000, 300, 100, 3000, true}, {3099, 300, 50, 1500, true},  // width div 100 drops the odd twips
        {3000, 300, 150, 4500, true},                               // runs past the end
        {99, 300, 50, 0, false},
    };
    for (const Case& c : cases) {
        BarGraph bar;
        bar.setPercent(c.percent);
        const BarGraphLayout l = bar.layout(c.width, c.height, 0);
        EXPECT_EQ(l.fillLeft, -10);
        EXPECT_EQ(l.fillTop, -10);
        EXPECT_DOUBLE_EQ(l.fillRight, c.right) << c.width << " at " << c.percent;
        EXPECT_EQ(l.fillBottom, c.height);
        EXPECT_EQ(l.fillVisible, c.visible) << c.width << " at " << c.percent;
    }
}

TEST(BarGraph, ValueOfHalfFillsHalfTheSurface) {
    BarGraph bar;
    bar.setValue(500);
    const BarGraphLayout l = bar.layout(4000, 255, 300);
    EXPECT_DOUBLE_EQ(l.fillRight, 2000);
}

TEST(BarGraph, CaptionCentredOnThePercentText) {
    BarGraph bar;
    bar.setValue(500);
    EXPECT_EQ(bar.percentText(), "50%");
    EXPECT_DOUBLE_EQ(bar.layout(3000, 300, 400).captionX, 1300);
    EXPECT_DOUBLE_EQ(bar.layout(3001, 300, 400).captionX, 1300.5);  // whole difference, then halved
    EXPECT_DOUBLE_EQ(bar.layout(300, 300, 400).captionX, -50);
    EXPECT_EQ(bar.layout(3000, 300, 400).captionY, 0);

    bar.setMaxi(3);
    bar.setValue(1);
    EXPECT_EQ(bar.percentText(), "33.33333%");
}

}  // namespace
}  // namespace dravio::display
