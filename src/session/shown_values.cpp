#include "session/shown_values.h"

#include <cmath>

#include "base/number_pattern.h"
#include "ecu/measurement_cycle.h"

namespace dravio::session {

float shownRegime(double regime) {
    const float rounded = std::floor(static_cast<float>(regime) / 10.0F) * 10.0F;
    return rounded < 300 ? 0 : rounded;
}

ShownValues shownValues(const convert::LiveValues& v) {
    const auto text = [](const std::optional<double>& value, auto format) {
        return value ? format(static_cast<float>(*value)) : std::string("--");
    };
    const auto decimals = [](int n) { return [n](float x) { return base::fixedDecimals(x, n); }; };
    return {{{"Rmp", text(v.Regime, [](float x) { return base::groupedInteger(shownRegime(x), 1); })},
             {"Potar", text(v.Papillon, decimals(1))},
             {"Injection", text(v.Injection, decimals(2))},
             {"Avance", text(v.AvanceVal, decimals(1))},
             {"Pression", text(v.PressionVal, [](float x) { return base::plainInteger(x, 0); })},
             {"Air", text(v.TempAir, [](float x) { return ecu::generalNumber(x); })},
             {"Eau", text(v.TempEau, [](float x) { return ecu::generalNumber(x); })},
             {"Tension", text(v.TensionVal, decimals(1))}}};
}

}  // namespace dravio::session
