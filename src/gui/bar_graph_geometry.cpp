#include "gui/bar_graph_geometry.h"

#include <cmath>

#include "support/window_positions.h"

namespace dravio::gui {

float barGraphPercent(std::int32_t value, std::int32_t maxi) {
    if (maxi == 0) return 0.0f;
    return static_cast<float>(value) / static_cast<float>(maxi) * 100.0f;
}

BarGraphLayout barGraphLayout(float percent, int widthPx, int percentTextWidthPx) {
    BarGraphLayout layout;
    layout.captionX = static_cast<double>(widthPx - percentTextWidthPx) / 2.0;
    const int widthTwips = support::pixelsToTwips(widthPx);
    const double rightTwips = static_cast<double>(percent) * static_cast<double>(widthTwips / 100);
    layout.fillRight = static_cast<int>(std::lround(rightTwips / support::kTwipsPerPixel));
    return layout;
}

}  // namespace dravio::gui
