#include "display/bar_graph.h"

#include <cmath>
#include <cstdio>
#include <limits>

namespace dravio::display {

std::int16_t BarGraph::Percent() const {
    const double rounded = std::nearbyint(static_cast<double>(percent_));
    if (!std::isfinite(rounded)) return 0;
    if (rounded > std::numeric_limits<std::int16_t>::max()) return std::numeric_limits<std::int16_t>::max();
    if (rounded < std::numeric_limits<std::int16_t>::min()) return std::numeric_limits<std::int16_t>::min();
    return static_cast<std::int16_t>(rounded);
}

void BarGraph::setValue(std::int16_t value) {
    if (maxi_ == 0) {
        percent_ = 0.0f;
        return;
    }
    percent_ = static_cast<float>(static_cast<double>(value) / maxi_ * 100.0);
}

std::string BarGraph::percentText() const {
    // Seven significant digits, no trailing zeros: how a single prints.
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.7g", static_cast<double>(percent_));
    return std::string(buffer) + "%";
}

BarGraphLayout BarGraph::layout(int width, int height, int percentTextWidth) const {
    BarGraphLayout l;
    const long long room = static_cast<long long>(width) - percentTextWidth;
    l.captionX = static_cast<double>(room) / 2.0;
    l.captionY = 0;
    l.fillRight = static_cast<double>(percent_) * static_cast<double>(width / 100);
    l.fillBottom = height;
    l.fillVisible = l.fillRight > 0 && height > 0;
    return l;
}

}  // namespace dravio::display
