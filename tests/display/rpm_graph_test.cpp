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
    std::int16_t index = 0;

    explicit GraphFixture(GraphSettings settings = {20, 1500, 1000}, GraphOptions options = {})
        : graph(settings, [this](const GraphSettings& s, SettingsWrite how) { writes.push_back({s, how}); }) {
        graph.setSurface({400, 500, 15});
        options.chtrace = true;
        graph.setOptions(options);
    }
    TraceResult feed(float rpm, float throttle = 0, int times = 1) {
        TraceResult r;
        for (int i = 0; i < times; ++i) r = graph.trace_pict(index, rpm, 1.0f, throttle);
        return r;
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

TEST(TracePict, MeanReadsLowUntilTheWindowIsFullAndTheIndexWraps) {
    GraphFixture f;
    f.feed(1500);
    EXPECT_EQ(f.newest(kSmoothed), 750.0f);
    f.feed(1500, 0, 19);
    EXPECT_EQ(f.newest(kSmoothed), 1500.0f);
    EXPECT_EQ(f.index, 0) << "wrapped at the point count";
    f.feed(1515, 0, 10);  // stored 1510: mean 1505, shown 1500
    EXPECT_EQ(f.newest(kSmoothed), 1500.0f);
}

TEST(TracePict, SpreadIsCappedAt220AndKeptOnOddIndexes) {
    const struct {
        float rpm, stored;
        std::optional<std::string> ldeux;
    } steps[] = {{1500, 0, std::nullopt},  {1700, 200, "200 tr/mn"},   {1400, 200, std::nullopt},
                 {1400, 220, "300 tr/mn"}, {1000, 220, std::nullopt}, {1000, 220, "700 tr/mn"}};
    GraphFixture f;
    for (const auto& s : steps) {
        const TraceResult r = f.feed(s.rpm);
        EXPECT_EQ(f.newest(kSpread), s.stored) << f.index;
        EXPECT_EQ(r.ldeux, s.ldeux) << f.index;
    }
    GraphFixture labels;
    labels.index = 1;
    const TraceResult r = labels.feed(1234);
    EXPECT_EQ((std::vector{r.lrmp, r.lRpmMoy, r.ldeux}),
              (std::vector<std::optional<std::string>>{"1 230 tr/mn", "610 tr/mn", " tr/mn"}));
}

TEST(TracePict, IdleModeStoresSamples1000LowerAndClearsTheHistory) {
    GraphFixture f;
    f.feed(1500, 30, 5);
    f.graph.ch1000_Click(true);
    for (int i = 1; i <= kMaxPoints; ++i)
        for (int ch : {kSample, kSpread, kThrottle}) EXPECT_EQ(f.graph.points()[i][ch], 0.0f) << i << "," << ch;
    EXPECT_EQ(f.newest(kSmoothed), 1250.0f) << "the smoothed channel is not cleared";
    float rpm = 1234;
    f.graph.trace_pict(f.index, rpm, 0, 0);
    EXPECT_EQ(rpm, 1230.0f);  // the caller still gets the real speed
    EXPECT_EQ(f.newest(kSample), 230.0f);
}

TEST(TracePict, RpmCurveIdleLineAndSmoothedCurve) {
    GraphFixture f;
    f.feed(1400, 0, 20);
    const TraceResult r = f.feed(1250);
    const auto grid = lines(r.frame);
    ASSERT_EQ(grid.size(), 7u) << "six grid lines and the 1200 rpm line";
    EXPECT_EQ(grid.back()->from, (Point{0, 300}));
    const auto curves = polylines(r.frame);
    ASSERT_EQ(curves.size(), 1u);
    ASSERT_EQ(curves[0]->points.size(), 21u);
    EXPECT_EQ(curves[0]->points[0], (Point{0, 100}));     // oldest 1400
    EXPECT_EQ(curves[0]->points[19], (Point{380, 250}));  // newest 1250, in both last points
    EXPECT_EQ(curves[0]->points[20], (Point{400, 250}));

    GraphFixture smooth({20, 1500, 1000}, {.chLissage = true});
    smooth.feed(1200, 0, 19);
    const TraceResult r2 = smooth.feed(1400);
    const auto smoothed = polylines(r2.frame);
    ASSERT_EQ(smoothed.size(), 1u);
    EXPECT_EQ(smoothed[0]->points[0].y, 500 - 200);   // channel 1's oldest sample
    EXPECT_EQ(smoothed[0]->points[20].y, 500 - 210);  // 19 x 1200 + 1400 over 20
}

TEST(TracePict, ThrottleCurveAndSpreadCurveAboveIdle) {
    for (auto [throttle, y] : {std::pair{45.0f, 250.0}, {99.0f, -50.0}}) {
        GraphFixture f({20, 1500, 1000}, {.chTPS = true});
        const TraceResult r = f.feed(0, throttle);
        const auto curves = polylines(r.frame);
        ASSERT_EQ(curves.size(), 1u) << throttle;
        EXPECT_DOUBLE_EQ(curves[0]->points[20].y, y) << throttle;
    }
    GraphFixture f({20, 1500, 1000}, {.chEcart = true});
    EXPECT_TRUE(polylines(f.feed(500).frame).empty());  // 500 is not above 500
    EXPECT_EQ(polylines(f.feed(510).frame).size(), 2u);
}

TEST(TracePict, FaultsSwitchTheGraphOffAndTheCycleGoesOn) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const std::pair<GraphSettings, float> cases[] = {
        {{0, 1500, 1000}, 1500},   {{51, 1500, 1000}, 1500}, {{20, 1000, 1000}, 1500},
        {{20, 1500, 1000}, nan},   {{20, 1001, 1000}, 3.0e38f},  // curve far off the surface
        {{20, 10000, 0}, 1500},  // more grid lines than labels
    };
    for (const auto& [settings, rpm] : cases) {
        GraphFixture f(settings);
        f.index = 7;
        const TraceResult r = f.feed(rpm);
        EXPECT_EQ(r.status, TraceStatus::GraphSwitchedOff) << settings.NbPoint << " " << rpm;
        EXPECT_FALSE(f.graph.options().chtrace);
        EXPECT_EQ(f.index, 0);
        EXPECT_TRUE(r.frame.commands.empty());
    }
    GraphFixture most({50, 1500, 1000});
    EXPECT_EQ(polylines(most.feed(1500).frame).at(0)->points.size(), 51u);
}

TEST(GraphSettingsWrites, ButtonsPointsTheAutomaticBottomAndRedraw) {
    GraphFixture f({20, 1500, 900});
    f.feed(1500);                // a minimum above 1000 brings the bottom back to 1000
    f.graph.noteShownRpm(990);   // a stalling engine drops it to 900
    f.graph.noteShownRpm(1000);  // nothing to change
    EXPECT_TRUE(f.graph.cdEchelle_Click(0));
    EXPECT_FALSE(f.graph.cdEchelle_Click(7));
    EXPECT_TRUE(f.graph.lPoints_Click("40"));
    for (const char* bad : {"", "abc", "0", "60"}) EXPECT_FALSE(f.graph.lPoints_Click(bad)) << bad;
    // Automatic changes stay in memory, a scale button saves the file, the points list its own key.
    using enum SettingsWrite;
    EXPECT_EQ(f.writes, (std::vector<Written>{{{20, 1500, 1000}, InMemory},
                                              {{20, 1500, 900}, InMemory},
                                              {{20, 1600, 1000}, EcritConfig},
                                              {{40, 1600, 1000}, NbPointKey}}));

    GraphFixture g;
    g.feed(1300, 0, 3);
    g.graph.setSurface({800, 1000, 15});
    const auto frame = g.graph.redraw();
    ASSERT_TRUE(frame.has_value());
    EXPECT_EQ(polylines(*frame).at(0)->points[20], (Point{800, 1000 - 300 * 2}));
}

}  // namespace
}  // namespace dravio::display
