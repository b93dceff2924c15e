#include "display/rpm_graph.h"

#include <cmath>
#include <utility>

#include "base/number_pattern.h"

using dravio::base::fixedDecimals;
using dravio::base::groupedInteger;
using dravio::base::plainInteger;

namespace dravio::display {

namespace {

// Far beyond any screen; past it a coordinate is a fault, not a curve.
constexpr double kDrawableLimit = 1.0e9;
// The spread curve sits this far above the bottom edge so that a zero spread
// stays visible.
constexpr double kSpreadLiftTwips = 30.0;

// The smaller of two values unless that smaller is 0, then the larger: empty
// slots (0) never become the window minimum.
float MinNonNul(float a, float b) {
    const float smaller = a < b ? a : b;
    if (smaller == 0.0f) return a < b ? b : a;
    return smaller;
}

// Int(x / 10) x 10: toward minus infinity, as the integer part is taken.
float truncateToTens(double value) { return static_cast<float>(std::floor(value / 10.0) * 10.0); }

bool drawable(double v) { return std::isfinite(v) && std::fabs(v) <= kDrawableLimit; }

bool validPointCount(std::int16_t n) { return n >= 1 && n <= kMaxPoints; }

// Round half to even, as a 16-bit assignment rounds.
long roundToInteger(double v) { return std::lrint(v); }

struct FrameBuilder {
    GraphFrame frame;
    bool ok = true;

    Point at(double x, double y) {
        if (!drawable(x) || !drawable(y)) ok = false;
        return {x, y};
    }
    void line(Point a, Point b, std::uint32_t colour, int width, PenStyle style) {
        frame.commands.emplace_back(LineCommand{a, b, colour, width, style});
    }
};

// One curve from channel `channel` of points 1..n, starting where the pen was
// moved to: (0, firstY).
PolylineCommand curve(FrameBuilder& b, const GraphPoints& points, int n, int channel, double stepX, double firstY,
                      auto yOf, std::uint32_t colour, int width) {
    PolylineCommand poly{{}, colour, width};
    poly.points.reserve(static_cast<std::size_t>(n) + 1);
    poly.points.push_back(b.at(0, firstY));
    for (int i = 1; i <= n; ++i) poly.points.push_back(b.at(i * stepX, yOf(points[i][channel])));
    return poly;
}

}  // namespace

std::optional<GraphFrame> drawGraph(const GraphPoints& points, const GraphSettings& settings,
                                    const GraphOptions& options, const GraphSurface& surface, float rpm) {
    const int n = settings.NbPoint;
    const int span = settings.zMax - settings.zMin;
    if (!validPointCount(settings.NbPoint) || span == 0) return std::nullopt;

    const double W = surface.width;
    const double H = surface.height;
    const double zMin = settings.zMin;
    const double stepX = W / n;
    const double stepY = H / span;
    const auto yOfRpm = [&](double r) { return H - (r - zMin) * stepY; };

    FrameBuilder b;

    // Grid: lines every 100 rpm up to an 800 rpm span, every 500 beyond, each
    // with the next scale label.
    const long lines = roundToInteger(span / 100.0);
    const int step = lines < 9 ? 100 : 500;
    const int solidEvery = lines < 9 ? 200 : 1000;
    int labelIndex = 0;
    for (int r = settings.zMin; r <= settings.zMax; r += step) {
        const PenStyle style = r % solidEvery == 0 ? PenStyle::Solid : PenStyle::Dotted;
        const int k = lines < 9 ? static_cast<int>(roundToInteger((r - settings.zMin) / 100.0)) : labelIndex++;
        // More labels than the window has is a fault, as indexing a tenth would be.
        if (k < 0 || k >= kScaleLabels) return std::nullopt;
        const double y = yOfRpm(r);
        ScaleLabel& label = b.frame.lbEchelle[static_cast<std::size_t>(k)];
        label.visible = true;
        label.text = std::to_string(r);
        label.top = y;
        b.line(b.at(0, y), b.at(W, y), kRed, 1, style);
    }

    if (rpm > 500.0f) {
        const double y1200 = yOfRpm(kIdleLineRpm);
        b.line(b.at(0, y1200), b.at(W, y1200), kYellow, 3, PenStyle::Solid);
        // The pen starts from the oldest sample even when the smoothed curve is drawn.
        const int channel = options.chLissage ? kSmoothed : kSample;
        b.frame.commands.emplace_back(
            curve(b, points, n, channel, stepX, yOfRpm(points[0][kSample]), yOfRpm, kBlack, 5));
        b.frame.lrmpVisible = !options.chLissage;
    }

    if (options.chTPS) {
        // 0 to 90 degrees span the full height.
        const double stepTps = H / 90.0;
        const auto yOfTps = [&](double v) { return H - v * stepTps; };
        b.frame.commands.emplace_back(
            curve(b, points, n, kThrottle, stepX, yOfTps(points[0][kThrottle]), yOfTps, kRed, 4));
    }

    if (options.chEcart && rpm > 500.0f) {
        const double stepSpread = H / 200.0;
        const double lift = kSpreadLiftTwips / surface.twipsPerUnit;
        const auto yOfSpread = [&](double v) { return H - v * stepSpread - lift; };
        b.frame.commands.emplace_back(
            curve(b, points, n, kSpread, stepX, yOfSpread(points[0][kSpread]), yOfSpread, kBlue, 5));
    }

    if (!b.ok) return std::nullopt;
    return std::move(b.frame);
}

RpmGraph::RpmGraph(GraphSettings settings, SettingsWriter writer) : settings_(settings), writer_(std::move(writer)) {}

void RpmGraph::resetPoints() { points_ = GraphPoints{}; }

void RpmGraph::write(SettingsWrite how) const {
    if (writer_) writer_(settings_, how);
}

TraceResult RpmGraph::switchOff(std::int16_t& index) {
    options_.chtrace = false;
    index = 0;
    TraceResult result;
    result.status = TraceStatus::GraphSwitchedOff;
    result.index = 0;
    return result;
}

TraceResult RpmGraph::trace_pict(std::int16_t& index, float& rpm, float /*injection*/, float throttle) {
    const int n = settings_.NbPoint;
    if (!validPointCount(settings_.NbPoint) || !std::isfinite(rpm) || !std::isfinite(throttle)) {
        return switchOff(index);
    }
    index = static_cast<std::int16_t>((index + 1) % n);

    maximum_ = 0.0f;
    minimum_ = rpm >= 500.0f ? 10000.0f : 0.0f;
    rpm = truncateToTens(rpm);
    lastRpm_ = rpm;

    points_[n][kThrottle] = throttle;
    points_[n][kSample] = options_.ch1000 ? rpm - kIdleOffset : rpm;

    // Shift the window one point left while gathering its extremes and sum.
    // f marks the first positive sample after index 0; the mean divides by
    // n + 1 - f, so a window that starts with empty slots reads a little low.
    double sum = 0.0;
    int f = 0;
    for (int i = 0; i < n; ++i) {
        const float sample = points_[i + 1][kSample];
        points_[i][kSample] = sample;
        if (sample > maximum_) maximum_ = sample;
        minimum_ = MinNonNul(sample, minimum_);
        if (sample > 0.0f) {
            sum += sample;
            if (f == 0) f = i;
        }
        points_[i][kSpread] = points_[i + 1][kSpread];
        points_[i][kSmoothed] = points_[i + 1][kSmoothed];
        points_[i][kThrottle] = points_[i + 1][kThrottle];
    }
    const float mean = truncateToTens(sum / (n + 1 - f));
    points_[n][kSmoothed] = mean;

    if (minimum_ > 1000.0f && settings_.zMin != 1000) {
        settings_.zMin = 1000;
        write(SettingsWrite::InMemory);
    }

    TraceResult result;
    result.index = index;
    if (index % 2 == 0) {
        const float spread = maximum_ - minimum_;
        result.lrmp = groupedInteger(rpm, 0) + " tr/mn";
        result.lRpmMoy = groupedInteger(mean, 0) + " tr/mn";
        result.ldeux = plainInteger(spread, 0) + " tr/mn";
        points_[n][kSpread] = spread > kSpreadCap ? kSpreadCap : spread;
    }

    auto frame = drawGraph(points_, settings_, options_, surface_, rpm);
    if (!frame) return switchOff(index);
    result.frame = std::move(*frame);
    return result;
}

std::optional<GraphFrame> RpmGraph::redraw() const {
    return drawGraph(points_, settings_, options_, surface_, lastRpm_);
}

bool RpmGraph::cdEchelle_Click(int index) {
    const auto scale = pressScaleButton({settings_.zMax, settings_.zMin}, index);
    if (!scale) return false;
    settings_.zMax = scale->zMax;
    settings_.zMin = scale->zMin;
    write(SettingsWrite::EcritConfig);
    return true;
}

bool RpmGraph::lPoints_Click(std::string_view text) {
    const auto count = pointsFromText(text);
    if (!count || !validPointCount(*count)) return false;
    settings_.NbPoint = *count;
    write(SettingsWrite::NbPointKey);
    return true;
}

void RpmGraph::noteShownRpm(int shownRpm) {
    if (shownRpm < 1000 && settings_.zMin != kScaleBottomFloor) {
        settings_.zMin = kScaleBottomFloor;
        write(SettingsWrite::InMemory);
    }
}

void RpmGraph::ch1000_Click(bool checked) {
    options_.ch1000 = checked;
    for (int i = 1; i < kGraphPointSlots; ++i) {
        points_[i][kSample] = 0.0f;
        points_[i][kSpread] = 0.0f;
        points_[i][kThrottle] = 0.0f;
    }
    options_.chtrace = true;
}

}  // namespace dravio::display
