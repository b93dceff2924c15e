#include "display/graph_window.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

namespace dravio::display {
namespace {

TEST(GraphWindowPlacement, StoredPlacesTooSmallOrOffScreenAreCorrected) {
    const std::pair<WindowRect, WindowRect> cases[] = {
        {{1000, 6000, 6825, 7635}, {1000, 6000, 6825, 7635}}, {{-15, -300, 6825, 7635}, {0, 0, 6825, 7635}},
        {{0, 0, 499, 2499}, {0, 0, 6825, 7600}},              {{0, 0, 500, 2500}, {0, 0, 500, 2500}},
        {{200, 300, 0, 0}, {200, 300, 6825, 7600}},
    };
    for (const auto& [stored, placed] : cases) EXPECT_EQ(placeGraphWindow(stored), placed) << stored.top;
}

TEST(GraphWindowLayout, PictureAndFrameFollowTheWindow) {
    // 7635 x 6825 client, picture at 120, frame 1500 high, buttons 300 below the frame's top.
    const GraphWindowLayout roomy = layoutGraphWindow({7635, 6825, 120, 1500, 300});
    EXPECT_EQ((std::vector{roomy.pictureWidth, roomy.frameWidth, roomy.pictureHeight, roomy.frameTop, roomy.buttonsTop}),
              (std::vector{6635, 6635, 4325, 120 + 4325 + 200, 120 + 4325 + 200 + 300}));
    EXPECT_TRUE(roomy.heightChanged);

    // Exactly 1000 taller than the frame is not enough to move anything down.
    const GraphWindowLayout tight = layoutGraphWindow({3000, 2500, 120, 1500, 300});
    EXPECT_EQ(tight.pictureWidth, 2000);
    EXPECT_FALSE(tight.heightChanged);

    const GraphWindowLayout narrow = layoutGraphWindow({600, 2501, 0, 1500, 0});
    EXPECT_EQ(narrow.pictureWidth, 0);
    EXPECT_TRUE(narrow.heightChanged);
    EXPECT_EQ(narrow.pictureHeight, 1);
}

TEST(GraphWindowMenus, AveragingMovesByFiveWithinTheBarsRange) {
    for (auto [value, step, result] : {std::tuple{10, 5, 15}, {10, -5, 5}, {3, -5, 1}, {59, 5, 61}, {61, 5, 61}})
        EXPECT_EQ(movedScrollValue(value, step, 1, 61), result) << value;
}

}  // namespace
}  // namespace dravio::display
