#include "display/rpm_graph.h"

#include <gtest/gtest.h>

#include <limits>
#include <utility>
#include <vector>

namespace dravio::display {
namespace {

struct Written {
    GraphSettings settings;
    SettingsWrite how;
    bool operator==(const Written&) const = default;
};

// A graph on a 400 x 500 pixel surface, with every settings write recorded.
struct GraphFixture {
    std::vector<Written> writes;
    RpmGraph graph;

    explicit GraphFixture(GraphSettings settings = {20, 1500, 1000}, GraphOptions options = {})
        : graph(settings, [this](const GraphSettings& s, SettingsWrite how) {
              writes.push_back({s, how});
          }) {
        graph.setSurface({400, 500, 15});
        options.chtrace = true;
        graph.setOptions(options);
    }

    TraceResult feed(std::int16_t& index, float rpm, float throttle = 0) {
        return graph.trace_pict(index, rpm, 1.0f, throttle);
    }
    float newest(GraphChannel channel) const { return graph.points()[20][channel]; }
};

template <class Command>
std::vector<const Command*> commandsOf(const GraphFrame& frame) {
    std::vector<const Command*> found;
    for (const auto& c : frame.commands)
        if (const auto* p = std::get_if<Command>(&c)) found.push_back(p);
    return found;
}
const auto polylines = commandsOf<PolylineCommand>;
const auto lines = commandsOf<LineCommand>;

TEST(TracePict, IndexRunsRoundThePointCountAndLabelsRefreshOnEvenIndexesOnly) {
    GraphFixture f;
    std::int16_t index = 0;
    std::vector<int> seen;
    for (int call = 0; call < 21; ++call) {
        const TraceResult r = f.feed(index, 1500);
        ASSERT_EQ(r.status, TraceStatus::Drawn);
        EXPECT_EQ(r.index, index);
        seen.push_back(index);
        EXPECT_EQ(r.lrmp.has_value(), index % 2 == 0) << "index " << index;
        EXPECT_EQ(r.ldeux.has_value(), index % 2 == 0) << "index " << index;
    }
    EXPECT_EQ(seen, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 0, 1}));
}

TEST(TracePict, RpmIsTruncatedToTensInPlace) {
    for (auto [in, out] : {std::pair{1007.0f, 1000.0f}, {1239.9f, 1230.0f}, {499.0f, 490.0f}, {0.0f, 0.0f}}) {
        GraphFixture f;
        std::int16_t index = 0;
        float rpm = in;
        f.graph.trace_pict(index, rpm, 0, 0);
        EXPECT_EQ(rpm, out) << in;
        EXPECT_EQ(f.newest(kSample), out) << in;
    }
}

// The mean counts the first positive slot after index 0 as the start of the
// data, so it reads low until the window is full; it is truncated to tens.
TEST(TracePict, MeanWhileTheWindowFillsAndWhenFull) {
    const std::pair<int, float> expected[] = {{1, 750}, {2, 1000}, {3, 1120}, {10, 1360}, {19, 1420}, {20, 1500}};
    GraphFixture f;
    std::int16_t index = 0;
    int calls = 0;
    for (auto [call, mean] : expected) {
        while (calls < call) {
            f.feed(index, 1500);
            ++calls;
        }
        EXPECT_EQ(f.newest(kSmoothed), mean) << "after " << call << " calls";
    }
    // Ten more at 1515 (stored 1510): mean 1505, shown 1500.
    for (int i = 0; i < 10; ++i) f.feed(index, 1515);
    EXPECT_EQ(f.newest(kSmoothed), 1500.0f);
    EXPECT_EQ(f.graph.windowMaximum(), 1510.0f);
    EXPECT_EQ(f.graph.windowMinimum(), 1500.0f);
}

TEST(TracePict, SpreadIsMaxMinusMinCappedAt220AndKeptOnOddIndexes) {
    struct Step {
        float rpm;
        int index;
        float storedSpread;  // newest spread after the call
        std::optional<std::string> ldeux;
    };
    const Step steps[] = {
        {1500, 1, 0.0f, std::nullopt},    // odd: nothing computed yet
        {1700, 2, 200.0f, "200 tr/mn"},   // window 1500..1700
        {1400, 3, 200.0f, std::nullopt},  // odd: spread now 300 but the old one stays
        {1400, 4, 220.0f, "300 tr/mn"},   // 300 shown, stored capped
        {1000, 5, 220.0f, std::nullopt}, {1000, 6, 220.0f, "700 tr/mn"},
    };
    GraphFixture f;
    std::int16_t index = 0;
    for (const Step& s : steps) {
        const TraceResult r = f.feed(index, s.rpm);
        ASSERT_EQ(r.index, s.index);
        EXPECT_EQ(f.newest(kSpread), s.storedSpread) << "index " << s.index;
        EXPECT_EQ(r.ldeux, s.ldeux) << "index " << s.index;
    }
}

TEST(TracePict, ValueLabelsUseThePatterns) {
    GraphFixture f;
    std::int16_t index = 1;  // next is 2: even
    const TraceResult r = f.feed(index, 1234);
    EXPECT_EQ(r.lrmp, "1 230 tr/mn");
    EXPECT_EQ(r.lRpmMoy, "610 tr/mn");  // one sample over a divisor of 2
    EXPECT_EQ(r.ldeux, " tr/mn");       // "###" shows nothing for a zero spread
}

TEST(TracePict, IdleModeStoresSamples1000LowerAndItsClickClearsTheHistory) {
    GraphFixture f;
    std::int16_t index = 0;
    for (int i = 0; i < 5; ++i) f.feed(index, 1500, 30);
    f.graph.ch1000_Click(true);
    EXPECT_TRUE(f.graph.options().chtrace);
    for (int i = 1; i <= kMaxPoints; ++i) {
        for (int ch : {kSample, kSpread, kThrottle}) EXPECT_EQ(f.graph.points()[i][ch], 0.0f) << i << "," << ch;
    }
    EXPECT_EQ(f.newest(kSmoothed), 1250.0f) << "the smoothed channel is not cleared";

    float rpm = 1234;
    f.graph.trace_pict(index, rpm, 0, 0);
    EXPECT_EQ(rpm, 1230.0f);  // the caller still gets the real speed
    EXPECT_EQ(f.newest(kSample), 230.0f);
}

TEST(TracePict, GridLinesAndScaleLabels) {
    const struct {
        std::int16_t zMin, zMax;
        std::vector<int> rpms;  // lines from the bottom up, label 0 first
    } cases[] = {
        {1000, 1500, {1000, 1100, 1200, 1300, 1400, 1500}},
        // A span of 800, or 850 rounded half to even, still draws every 100.
        {1000, 1800, {1000, 1100, 1200, 1300, 1400, 1500, 1600, 1700, 1800}},
        {1000, 1850, {1000, 1100, 1200, 1300, 1400, 1500, 1600, 1700, 1800}},
        {900, 1200, {900, 1000, 1100, 1200}},
        // From 900 the lines go every 500.
        {1000, 1900, {1000, 1500}},
        {900, 5000, {900, 1400, 1900, 2400, 2900, 3400, 3900, 4400, 4900}},
    };
    for (const auto& c : cases) {
        GraphFixture f({20, c.zMax, c.zMin});
        std::int16_t index = 0;
        const TraceResult r = f.feed(index, 0);  // no engine: the grid alone
        ASSERT_EQ(r.status, TraceStatus::Drawn) << c.zMin << ".." << c.zMax;
        EXPECT_TRUE(polylines(r.frame).empty());
        EXPECT_FALSE(r.frame.lrmpVisible.has_value());
        const auto grid = lines(r.frame);
        ASSERT_EQ(grid.size(), c.rpms.size()) << c.zMin << ".." << c.zMax;
        for (std::size_t k = 0; k < c.rpms.size(); ++k) {
            const double stepY = 500.0 / (c.zMax - c.zMin);  // as the graph computes it
            const double y = 500.0 - (c.rpms[k] - c.zMin) * stepY;
            EXPECT_EQ(grid[k]->from, (Point{0, y})) << c.rpms[k];
            EXPECT_EQ(grid[k]->to, (Point{400, y})) << c.rpms[k];
            const ScaleLabel& label = r.frame.lbEchelle[k];
            EXPECT_TRUE(label.visible);
            EXPECT_EQ(label.text, std::to_string(c.rpms[k]));
            EXPECT_DOUBLE_EQ(label.top, y);
        }
        for (std::size_t k = c.rpms.size(); k < kScaleLabels; ++k) EXPECT_FALSE(r.frame.lbEchelle[k].visible) << k;
    }
}

TEST(TracePict, RpmCurveAndIdleLine) {
    GraphFixture f;
    std::int16_t index = 0;
    for (int i = 0; i < 20; ++i) f.feed(index, 1400);
    const TraceResult r = f.feed(index, 1250);
    // zMin 1000, zMax 1500 on 500 px: one pixel per rpm, 20 px per point.
    const auto grid = lines(r.frame);
    ASSERT_EQ(grid.size(), 7u) << "six grid lines and the 1200 rpm line";
    EXPECT_EQ(grid.back()->from, (Point{0, 300}));
    EXPECT_EQ(grid.back()->to, (Point{400, 300}));
    const auto curves = polylines(r.frame);
    ASSERT_EQ(curves.size(), 1u);
    const auto& points = curves[0]->points;
    ASSERT_EQ(points.size(), 21u);
    EXPECT_EQ(points[0], (Point{0, 100}));     // oldest 1400
    EXPECT_EQ(points[18], (Point{360, 100}));  // 1400
    EXPECT_EQ(points[19], (Point{380, 250}));  // newest 1250, in both last points
    EXPECT_EQ(points[20], (Point{400, 250}));
    EXPECT_EQ(r.frame.lrmpVisible, true);
}

TEST(TracePict, SmoothedCurveStartsFromTheOldestSample) {
    GraphOptions options;
    options.chLissage = true;
    GraphFixture f({20, 1500, 1000}, options);
    std::int16_t index = 0;
    for (int i = 0; i < 19; ++i) f.feed(index, 1200);
    const TraceResult r = f.feed(index, 1400);
    const auto curves = polylines(r.frame);
    ASSERT_EQ(curves.size(), 1u);
    EXPECT_EQ(curves[0]->points[0].y, 500 - 200);   // channel 1's oldest sample
    EXPECT_EQ(curves[0]->points[20].y, 500 - 210);  // 19 x 1200 + 1400 over 20
    EXPECT_EQ(r.frame.lrmpVisible, false);
}

TEST(TracePict, ThrottleCurveMaps90DegreesOntoTheFullHeightWhateverTheEngine) {
    GraphOptions options;
    options.chTPS = true;
    for (auto [throttle, y] : {std::pair{0.0f, 500.0}, {45.0f, 250.0}, {90.0f, 0.0}, {9.0f, 450.0}, {99.0f, -50.0}}) {
        GraphFixture f({20, 1500, 1000}, options);
        std::int16_t index = 0;
        const TraceResult r = f.feed(index, 0, throttle);
        const auto curves = polylines(r.frame);
        ASSERT_EQ(curves.size(), 1u) << throttle;
        ASSERT_EQ(curves[0]->points.size(), 21u);
        EXPECT_EQ(curves[0]->points[0], (Point{0, 500}));
        EXPECT_DOUBLE_EQ(curves[0]->points[20].x, 400);
        EXPECT_DOUBLE_EQ(curves[0]->points[20].y, y) << throttle;
    }
}

TEST(TracePict, SpreadCurveOnA200RpmScaleLifted30TwipsWithTheEngineRunning) {
    GraphOptions options;
    options.chEcart = true;
    for (auto [twipsPerUnit, lift] : {std::pair{15.0, 2.0}, {1.0, 30.0}}) {
        GraphFixture f({20, 1500, 1000}, options);
        f.graph.setSurface({400, 400, twipsPerUnit});
        std::int16_t index = 0;
        f.feed(index, 1500);
        const TraceResult r = f.feed(index, 1600);  // index 2: spread 100
        const auto curves = polylines(r.frame);
        ASSERT_EQ(curves.size(), 2u);  // the RPM curve, then the spread
        EXPECT_DOUBLE_EQ(curves[1]->points[0].y, 400 - lift);
        EXPECT_DOUBLE_EQ(curves[1]->points[20].y, 400 - 100 * 2 - lift);
    }
    GraphFixture f({20, 1500, 1000}, options);
    std::int16_t index = 0;
    EXPECT_TRUE(polylines(f.feed(index, 500).frame).empty());  // 500 is not above 500
    EXPECT_EQ(polylines(f.feed(index, 510).frame).size(), 2u);
}

TEST(TracePict, FaultsSwitchTheGraphOffAndTheCycleGoesOn) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const struct {
        const char* what;
        GraphSettings settings;
        float rpm;
    } cases[] = {
        {"no points", {0, 1500, 1000}, 1500},
        {"more points than the table", {51, 1500, 1000}, 1500},
        {"zero span", {20, 1000, 1000}, 1500},
        {"not a number", {20, 1500, 1000}, nan},
        {"curve far off the surface", {20, 1001, 1000}, 3.0e38f},
        {"more grid lines than labels", {20, 10000, 0}, 1500},
    };
    for (const auto& c : cases) {
        GraphFixture f(c.settings);
        std::int16_t index = 7;
        const TraceResult r = f.feed(index, c.rpm);
        EXPECT_EQ(r.status, TraceStatus::GraphSwitchedOff) << c.what;
        EXPECT_FALSE(f.graph.options().chtrace) << c.what;
        EXPECT_EQ(index, 0) << c.what;
        EXPECT_TRUE(r.frame.commands.empty()) << c.what;
    }
    for (std::int16_t n : {1, 50}) {
        GraphFixture f({n, 1500, 1000});
        std::int16_t index = 0;
        const TraceResult r = f.feed(index, 1500);
        ASSERT_EQ(r.status, TraceStatus::Drawn) << n;
        EXPECT_EQ(polylines(r.frame)[0]->points.size(), static_cast<std::size_t>(n) + 1);
    }
}

TEST(GraphSettingsWrites, ButtonsPointsAndTheAutomaticBottom) {
    GraphFixture f({20, 1500, 900});
    std::int16_t index = 0;
    f.feed(index, 1500);         // a minimum above 1000 brings the bottom back to 1000
    f.graph.noteShownRpm(990);   // a stalling engine drops it to 900
    f.graph.noteShownRpm(1000);  // nothing to change
    EXPECT_TRUE(f.graph.cdEchelle_Click(0));
    EXPECT_FALSE(f.graph.cdEchelle_Click(7));
    EXPECT_TRUE(f.graph.lPoints_Click("40"));
    for (const char* bad : {"", "abc", "0", "60"}) EXPECT_FALSE(f.graph.lPoints_Click(bad)) << bad;
    // Automatic changes stay in memory, a scale button saves the whole file,
    // the points list its own key.
    using enum SettingsWrite;
    EXPECT_EQ(f.writes, (std::vector<Written>{{{20, 1500, 1000}, InMemory},
                                              {{20, 1500, 900}, InMemory},
                                              {{20, 1600, 1000}, EcritConfig},
                                              {{40, 1600, 1000}, NbPointKey}}));
}

TEST(GraphRedraw, ReplaysTheLastCallAtANewSize) {
    GraphFixture f;
    std::int16_t index = 0;
    for (int i = 0; i < 3; ++i) f.feed(index, 1300);
    f.graph.setSurface({800, 1000, 15});
    const auto frame = f.graph.redraw();
    ASSERT_TRUE(frame.has_value());
    const auto curves = polylines(*frame);
    ASSERT_EQ(curves.size(), 1u);
    EXPECT_EQ(curves[0]->points[20], (Point{800, 1000 - 300 * 2}));
}

}  // namespace
}  // namespace dravio::display
