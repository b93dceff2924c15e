// gui: the arithmetic of the bar-graph control, kept apart from painting so it
// can be checked without a screen.
#pragma once

#include <cstdint>

namespace dravio::gui {

// Default top of the scale a Value is measured against.
inline constexpr std::int32_t kBarGraphDefaultMaxi = 1000;

// Value / Maxi x 100. A Maxi of 0 would divide by zero: the bar then reads 0 %.
// Values above Maxi give more than 100 % (the fill runs past the end).
float barGraphPercent(std::int32_t value, std::int32_t maxi);

// Where the caption and the fill go on a surface `widthPx` x `heightPx`.
struct BarGraphLayout {
    double captionX = 0;  // left edge of the caption, pixels
    int fillRight = 0;    // the fill covers x < fillRight, pixels
};

// The caption is centred on the width of the percent text ("50%"), measured as
// `percentTextWidthPx`, the difference truncated before halving. The fill ends at
// percent x (surface width div 100) computed in twips, so that narrow bars round
// the way wide ones do, then converted back to pixels.
BarGraphLayout barGraphLayout(float percent, int widthPx, int percentTextWidthPx);

}  // namespace dravio::gui
