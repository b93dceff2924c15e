#include "diag/trimmer15_values.h"

#include <cmath>

#include "base/number_pattern.h"

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

Trim15Texts trim15Texts(const Trim15Reading& r) {
    return {base::groupedInteger(r.regime, 1), base::fixedDecimals(r.papillon, 1), base::fixedDecimals(r.tension, 1),
            std::to_string(trim15Shown(r.trimmer))};
}

}  // namespace dravio::diag
