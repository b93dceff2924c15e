#include "display/bar_graph.h"

#include <gtest/gtest.h>

#include <tuple>

namespace dravio::display {
namespace {

TEST(BarGraph, ValueAgainstMaxi) {
    for (auto [maxi, value, percent] : {std::tuple{1000, 500, 50}, {1000, 1500, 150}, {90, 45, 50}, {3, 1, 33},
                                        {1000, -200, -20}, {0, 500, 0}}) {
        BarGraph bar;
        bar.setMaxi(maxi);
        bar.setMini(400);  // plays no part
        bar.setValue(static_cast<std::int16_t>(value));
        EXPECT_EQ(bar.Percent(), percent) << value << " of " << maxi;
    }
    BarGraph fresh;
    fresh.setValue(500);
    EXPECT_EQ(fresh.Percent(), 50) << "Maxi defaults to 1000";
}

TEST(BarGraph, FillBoxFromOutsideTheCornerToPercentOfTheHundredths) {
    const struct {
        int width;
        std::int16_t percent;
        double right;
        bool visible;
    } cases[] = {
        {3000, 50, 1500, true},  {3000, 0, 0, false},  // the box ends on the left edge
        {3099, 50, 1500, true},                        // width div 100 drops the odd twips
        {3000, 150, 4500, true}, {99, 50, 0, false},   // runs past the end
    };
    for (const auto& c : cases) {
        BarGraph bar;
        bar.setPercent(c.percent);
        const BarGraphLayout l = bar.layout(c.width, 300, 0);
        EXPECT_EQ((std::pair{l.fillLeft, l.fillTop}), (std::pair{-10.0, -10.0}));
        EXPECT_DOUBLE_EQ(l.fillRight, c.right) << c.width << " at " << c.percent;
        EXPECT_EQ(l.fillBottom, 300);
        EXPECT_EQ(l.fillVisible, c.visible) << c.width << " at " << c.percent;
    }
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
