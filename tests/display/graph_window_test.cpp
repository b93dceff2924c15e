#include "display/graph_window.h"

#include <gtest/gtest.h>

namespace dravio::display {
namespace {

TEST(GraphWindowPlacement, StoredPlacesTooSmallOrOffScreenAreCorrected) {
    struct Case {
        WindowRect stored;
        WindowRect placed;
    };
    const Case cases[] = {
        {{1000, 6000, 6825, 7635}, {1000, 6000, 6825, 7635}},
        {{-15, -300, 6825, 7635}, {0, 0, 6825, 7635}},
        {{0, 0, 499, 2499}, {0, 0, 6825, 7600}},
        {{0, 0, 500, 2500}, {0, 0, 500, 2500}},
        {{200, 300, 0, 0}, {200, 300, 6825, 7600}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(placeGraphWindow(c.stored), c.placed)
            << c.stored.top << "," << c.stored.left << "," << c.stored.height << "," << c.stored.width;
    }
}

TEST(GraphWindowLayout, PictureAndFrameFollowTheWindow) {
    // 7635 x 6825 client, picture at 120, frame 1500 high, buttons 300 below the frame's top.
    const GraphWindowLayout roomy = layoutGraphWindow({7635, 6825, 120, 1500, 300});
    EXPECT_EQ(roomy.pictureWidth, 6635);
    EXPECT_EQ(roomy.frameWidth, 6635);
    EXPECT_TRUE(roomy.heightChanged);
    EXPECT_EQ(roomy.pictureHeight, 4325);
    EXPECT_EQ(roomy.frameTop, 120 + 4325 + 200);
    EXPECT_EQ(roomy.buttonsTop, 120 + 4325 + 200 + 300);

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
    struct Case {
        int value, step, result;
    };
    const Case cases[] = {{10, 5, 15}, {10, -5, 5}, {3, -5, 1}, {59, 5, 61}, {61, 5, 61}};
    for (const Case& c : cases) EXPECT_EQ(movedScrollValue(c.value, c.step, 1, 61), c.result) << c.value;
}

}  // namespace
}  // namespace dravio::display
