#include "display/operating_map.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <tuple>

namespace dravio::display {
namespace {

TEST(MapGrid, RowsForEngineSpeedsAndColumnsForThrottleAngles) {
    const std::pair<double, int> rows[] = {{1250, 27},  {9999, 0},   {0, 31},  {312.4, 31},  {312.5, 30},
                                           {9687.5, 0}, {10000, -1}, {-1, 32}, {-312.5, 32}, {-312.6, 33}};
    for (const auto& [rpm, row] : rows) EXPECT_EQ(mapRow(rpm), row) << rpm;
    EXPECT_FALSE(mapRow(std::nan("")).has_value());
    EXPECT_FALSE(mapRow(1e300).has_value());
    const std::pair<double, int> columns[] = {{0, 0},      {2.8, 0},      {2.8125, 1}, {87.1875, 31},
                                              {92.8, 32}, {92.8125, 33}, {-0.1, -1}};
    for (const auto& [throttle, column] : columns) EXPECT_EQ(mapColumn(throttle), column) << throttle;
}

TEST(DessineMap, AcceptsTheGridEdgesAndRefusesPointsOutsideIt) {
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    const std::tuple<float, float, bool> cases[] = {
        {9999, 0, true},   {0, 90, true},           {-1, 92.8f, true},  {10000, 0, false}, {1000, 92.8125f, false},
        {1000, -1, false}, {-400, 10, false},       {nan, 10, false},   {1000, inf, false}};
    for (auto [rpm, throttle, accepted] : cases) {
        OperatingMap map;
        const MapResult r = map.DessineMap(rpm, throttle);
        EXPECT_EQ(r.status == MapStatus::Drawn, accepted) << rpm << ", " << throttle;
        if (!accepted) {
            EXPECT_TRUE(r.changed.empty() && map.visibleShapes().empty());
        }
    }
}

auto fields(const MapShape& s) { return std::tuple{s.shape, s.visible, s.colour, s.row, s.column}; }

TEST(DessineMap, VisitPaintsTheCellAndMovesBothMarkers) {
    OperatingMap map;
    float rpm = 1250;
    const MapResult r = map.DessineMap(rpm, 16.875f);  // column 6
    ASSERT_EQ(r.status, MapStatus::Drawn);
    EXPECT_EQ(rpm, 27.0f);  // the row comes back in the argument
    EXPECT_EQ((std::pair{r.lbRPM, r.lbTPS}), (std::pair<std::string, std::string>{"1 250", "16.9"}));
    ASSERT_EQ(r.changed.size(), 3u);
    EXPECT_EQ(fields(r.changed[0]), std::tuple(27 + 6 * 33, true, kMapVisitedColour, 27, 6));
    // Column marker on the top edge, row marker on the left edge, both blue.
    EXPECT_EQ(fields(r.changed[1]), std::tuple(0 + 31 * 33, true, 16711680u, 0, 6));
    EXPECT_EQ(fields(r.changed[2]), std::tuple(31, true, 16711680u, 27, 0));
    EXPECT_EQ(map.visibleShapes().size(), 3u);

    rpm = 12000;  // refused: counters stay, the row is still written back
    EXPECT_EQ(map.DessineMap(rpm, 10).status, MapStatus::OutsideGrid);
    EXPECT_EQ(rpm, -7.0f);  // 31 - Int(38.4)
    EXPECT_EQ(map.visits(27, 6), 1);
}

TEST(DessineMap, RevisitTurnsTheCellRedAndCountersStopAtTheirTop) {
    OperatingMap map;
    for (float r : {2000.f, 2100.f, 2000.f}) map.DessineMap(r, 30);
    EXPECT_EQ(map.visits(25, 10), 3);
    EXPECT_EQ(map.shape(mapShapeIndex(25, 10)).colour, 255u);
    float rpm = 2200;  // another cell: its first visit is not red
    EXPECT_EQ(map.DessineMap(rpm, 30).changed[0].colour, kMapVisitedColour);
    for (int i = 0; i < 32770; ++i) {
        rpm = 1200;
        map.DessineMap(rpm, 0);
    }
    EXPECT_EQ(map.visits(28, 0), 32767);
}

TEST(MapGeometry, CellSizesLinesAndCellPlaces) {
    const MapGeometry g = mapGeometry(3400, 6800);
    EXPECT_EQ(g.cellWidth, 100);
    EXPECT_FLOAT_EQ(g.cellHeight, 200.0f);
    ASSERT_EQ(g.lines.size(), 66u);
    EXPECT_EQ(g.lines[32].to, (Point{3200, 6400}));
    EXPECT_EQ(g.lines[33 + 32].from, (Point{0, 6400}));
    EXPECT_EQ(mapCellRect(g, 27, 5), (CellRect{500, 5400, 100, 200}));
    // Whole twips across, rounded to even; fractions down.
    EXPECT_EQ(mapGeometry(3417, 3417).cellWidth, 100);
    EXPECT_FLOAT_EQ(mapGeometry(3417, 3417).cellHeight, 100.5f);
    EXPECT_EQ(mapGeometry(3451, 0).cellWidth, 102);
}

}  // namespace
}  // namespace dravio::display
