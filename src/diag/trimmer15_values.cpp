#include "diag/trimmer15_values.h"

#include <cmath>

namespace dravio::diag {

float trim15Regime(int period, float previous) {
    float regime = previous;
    if (period > 0) regime = 15000000.0F / static_cast<float>(period);
    if (regime > 10000) regime = 0;
    return std::floor(regime / 10) * 10;
}

double trim15Papillon(std::uint8_t byte) {
    double angle = byte * 0.1848 - 1.41;
    if (angle >= 30) angle = byte * 0.7058 - 90;
    return angle < 0 ? 0 : angle;
}

double trim15Tension(std::uint8_t byte) { return byte * 0.0628; }

}  // namespace dravio::diag
