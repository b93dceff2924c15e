// display: the models behind the chart windows — the RPM graph fed once per
// measurement cycle, the operating-point map, the bar-graph control — and the
// placement rules of their windows. Plain C++: the cores compute drawing
// commands and label texts, the Qt windows replay them.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "display/drawing.h"
#include "display/graph_scale.h"

namespace dravio::display {

// GraphPoints channels.
enum GraphChannel : int { kSmoothed = 0, kSample = 1, kSpread = 2, kThrottle = 3 };
inline constexpr int kGraphChannels = 4;
inline constexpr int kGraphPointSlots = kMaxPoints + 1;  // points 0 to 50
inline constexpr float kSpreadCap = 220.0f;
inline constexpr float kIdleOffset = 1000.0f;
inline constexpr float kIdleLineRpm = 1200.0f;
inline constexpr int kScaleLabels = 9;  // lbEchelle 0 to 8

// Point 0 is the oldest, point NbPoint the newest.
using GraphPoints = std::array<std::array<float, kGraphChannels>, kGraphPointSlots>;

// The check boxes of the graph window's "Réglages" frame.
struct GraphOptions {
    bool chtrace = false;    // the graph is on
    bool ch1000 = false;     // idle mode: samples stored 1000 lower
    bool chLissage = false;  // draw the smoothed curve instead of the samples
    bool chEcart = false;    // draw the spread curve
    bool chTPS = false;      // draw the throttle curve
};

// Picture1's scale. Lengths are in the surface's own units; `twipsPerUnit` says
// how big a unit is (15 for pixels, 1 for twips), for the few fixed offsets.
struct GraphSurface {
    double width = 0;
    double height = 0;
    double twipsPerUnit = kTwipsPerPixel;
};

struct ScaleLabel {
    bool visible = false;
    std::string text;
    double top = 0;  // from Picture1's top edge; the window adds Picture1's own top
};

// One redraw of Picture1: clear it, then replay the commands in order.
struct GraphFrame {
    std::vector<DrawCommand> commands;
    std::array<ScaleLabel, kScaleLabels> lbEchelle;
    std::optional<bool> lrmpVisible;  // set only when the RPM curve is drawn
};

enum class TraceStatus {
    Drawn,
    // A point count outside 1 to 50, a zero scale span, a value that is not a
    // number or falls outside the drawable range: the graph switched itself off
    // (chtrace unchecked), and the measurement cycle goes on.
    GraphSwitchedOff,
};

struct TraceResult {
    TraceStatus status = TraceStatus::Drawn;
    std::int16_t index = 0;  // the next point index
    // Value labels, refreshed on even indexes only ("# ### tr/mn", "### tr/mn").
    std::optional<std::string> lrmp, lRpmMoy, ldeux;
    GraphFrame frame;  // empty when the graph switched off
};

class RpmGraph {
public:
    RpmGraph(GraphSettings settings, SettingsWriter writer);

    // The measurement cycle's start: GraphPoints made anew, all zero.
    void resetPoints();

    // One sample per measurement cycle. `index` is the caller's point index; it is
    // advanced in place and returned (0 when the graph switched off). `rpm` is
    // rewritten truncated to tens. `injection` is accepted and not drawn.
    TraceResult trace_pict(std::int16_t& index, float& rpm, float injection, float throttle);

    // Picture1 again from the table, after a resize or a change of options.
    // Empty when it cannot be drawn (see TraceStatus).
    std::optional<GraphFrame> redraw() const;

    // Scale button cdEchelle(index): applies the rule and saves through EcritConfig.
    // False (and nothing changes) for an unknown index or a scale beyond 16 bits.
    bool cdEchelle_Click(int index);

    // lPoints changed: NbPoint takes the list's numeric value, written to its key.
    // Texts that are not a count of 1 to 50 are refused.
    bool lPoints_Click(std::string_view text);

    // The cycle's shown engine speed: below 1000 the scale bottom becomes 900 in
    // memory, so the curve of a stalling engine stays on the chart.
    void noteShownRpm(int shownRpm);

    // ch1000 clicked (checked or not): the history of samples, spread and
    // throttle is cleared and the graph is switched on.
    void ch1000_Click(bool checked);

    void setSurface(const GraphSurface& surface) { surface_ = surface; }
    void setOptions(const GraphOptions& options) { options_ = options; }
    // The settings object changed elsewhere (options dialog, start-up).
    void setSettings(const GraphSettings& settings) { settings_ = settings; }

    const GraphOptions& options() const { return options_; }
    const GraphSettings& settings() const { return settings_; }
    const GraphPoints& points() const { return points_; }
    float windowMaximum() const { return maximum_; }
    float windowMinimum() const { return minimum_; }

private:
    TraceResult switchOff(std::int16_t& index);
    void write(SettingsWrite how) const;

    GraphSettings settings_;
    SettingsWriter writer_;
    GraphOptions options_;
    GraphSurface surface_;
    GraphPoints points_{};
    float maximum_ = 0;
    float minimum_ = 0;
    float lastRpm_ = 0;
};

// The drawing steps alone, from a table and a scale; empty when the scale span is
// zero, the point count is not 1 to 50, or a coordinate leaves the drawable range.
std::optional<GraphFrame> drawGraph(const GraphPoints& points, const GraphSettings& settings,
                                    const GraphOptions& options, const GraphSurface& surface, float rpm);

}  // namespace dravio::display
