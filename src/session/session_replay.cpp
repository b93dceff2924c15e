// The session's replay of a recorded row: the same labels, graph and map as a
// measurement cycle, from values that were already averaged and converted to the
// display units when they were recorded.
#include <cmath>

#include "base/number_pattern.h"
#include "session/session.h"
#include "session/shown_values.h"

namespace dravio::session {

bool Session::replayRow(const convert::LiveValues& v) {
    if (measuring()) return false;
    for (const auto& [label, text] : shownValues(v)) view_.setText(label, text);
    if (v.Papillon) view_.setValue("ProgressBar1", static_cast<int>(std::lround(*v.Papillon)));
    const float regime = static_cast<float>(v.Regime.value_or(0));
    const float rounded = shownRegime(regime);

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
