// The session's replay of a recorded row: the same labels, graph and map as a
// measurement cycle, from values that were already averaged and converted to the
// display units when they were recorded.
#include <cmath>

#include "base/number_pattern.h"
#include "session/session.h"

namespace dravio::session {

namespace {
constexpr const char* kNone = "--";
}

bool Session::replayRow(const convert::LiveValues& v) {
    if (measuring()) return false;
    const auto shown = [this](const char* label, const std::optional<double>& value, auto format) {
        view_.setText(label, value ? format(static_cast<float>(*value)) : std::string(kNone));
    };
    const float regime = static_cast<float>(v.Regime.value_or(0));
    float rounded = std::floor(regime / 10.0F) * 10.0F;
    if (rounded < 300) rounded = 0;
    shown("Rmp", v.Regime, [rounded](float) { return base::groupedInteger(rounded, 1); });
    shown("Potar", v.Papillon, [](float x) { return base::fixedDecimals(x, 1); });
    if (v.Papillon) view_.setValue("ProgressBar1", static_cast<int>(std::lround(*v.Papillon)));
    shown("Injection", v.Injection, [](float x) { return base::fixedDecimals(x, 2); });
    shown("Avance", v.AvanceVal, [](float x) { return base::fixedDecimals(x, 1); });
    shown("Pression", v.PressionVal, [](float x) { return base::plainInteger(x, 0); });
    shown("Air", v.TempAir, [](float x) { return ecu::generalNumber(x); });
    shown("Eau", v.TempEau, [](float x) { return ecu::generalNumber(x); });
    shown("Tension", v.TensionVal, [](float x) { return base::fixedDecimals(x, 1); });

    if (!v.Regime) return true;
    const float throttle = static_cast<float>(v.Papillon.value_or(0));
    if (view_["chgraph"].checked.value_or(false)) {
        graph_.noteShownRpm(static_cast<int>(rounded));
        float rpm = regime;
        auto result = graph_.trace_pict(graphIndex_, rpm, static_cast<float>(v.Injection.value_or(1)), throttle);
        if (result.status == display::TraceStatus::GraphSwitchedOff) view_.setChecked("chgraph", false);
        if (outputs_.graph) outputs_.graph(std::move(result));
    }
    if (view_["chMap"].checked.value_or(false)) {
        float rpm = regime;
        auto result = map_.DessineMap(rpm, throttle);
        if (outputs_.map) outputs_.map(std::move(result));
    }
    return true;
}

}  // namespace dravio::session
