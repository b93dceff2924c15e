#include "display/graph_scale.h"

#include <limits>

namespace dravio::display {

namespace {

bool fits16(int value) {
    return value >= std::numeric_limits<std::int16_t>::min() && value <= std::numeric_limits<std::int16_t>::max();
}

}  // namespace

std::optional<GraphScale> pressScaleButton(GraphScale scale, int button) {
    int zMax = scale.zMax;
    int zMin = scale.zMin;
    switch (button) {
        case static_cast<int>(ScaleButton::TopUp):
            // Above 2000 the top moves to the next multiple of 500; 1800 jumps to 2000.
            if (zMax >= 2000) {
                zMax = ((zMax + 500) / 500) * 500;
            } else if (zMax == 1800) {
                zMax = 2000;
            } else {
                zMax += 100;
            }
            zMin = 1000;
            if (zMax > kScaleTopCap) zMax = kScaleTopCap;
            break;
        case static_cast<int>(ScaleButton::TopDown):
            if (zMax > 2000) {
                zMax -= 500;
            } else if (zMax == 2000) {
                zMax = 1800;
            } else {
                zMax -= 100;
            }
            zMin = 1000;
            if (zMax - 1000 < kScaleMinimumSpan) zMin = zMax - kScaleMinimumSpan;
            break;
        case static_cast<int>(ScaleButton::BottomUp):
            zMin += 100;
            break;
        case static_cast<int>(ScaleButton::BottomDown):
            zMin -= 100;
            break;
        default:
            return std::nullopt;
    }
    if (zMin < kScaleBottomFloor) zMin = kScaleBottomFloor;
    if (zMax - zMin < kScaleMinimumSpan) zMax = zMin + kScaleMinimumSpan;
    if (!fits16(zMax) || !fits16(zMin)) return std::nullopt;
    return GraphScale{static_cast<std::int16_t>(zMax), static_cast<std::int16_t>(zMin)};
}

std::optional<std::int16_t> pointsFromText(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    int value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (!fits16(value)) return std::nullopt;
    }
    return static_cast<std::int16_t>(value);
}

}  // namespace dravio::display
