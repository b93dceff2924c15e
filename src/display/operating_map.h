// display: the operating-point map — engine speed by throttle angle on a 32 x 32
// grid — with its visit counters, red revisits and the two blue markers that
// show the current row and column.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "display/drawing.h"

namespace dravio::display {

// Rows and columns 0 to 32 exist; the grid lines frame 32 of them.
inline constexpr int kMapSlots = 33;
inline constexpr int kMapCells = kMapSlots * kMapSlots;
inline constexpr int kMapGridLines = 33;
inline constexpr double kMapRpmSpan = 10000.0;    // spans the 32 rows
inline constexpr double kMapThrottleSpan = 90.0;  // degrees, spans the 32 columns
inline constexpr std::uint32_t kMapVisitedColour = kGreen;
inline constexpr std::uint32_t kMapRevisitColour = kRed;
inline constexpr std::uint32_t kMapMarkerColour = kBlue;
// The shapes of these cells double as the markers.
inline constexpr int kColumnMarkerShape = 0 + 31 * kMapSlots;  // row 0, column 31
inline constexpr int kRowMarkerShape = 31 + 0 * kMapSlots;     // row 31, column 0

// Index of a cell's shape and counter: row + column x 33.
constexpr int mapShapeIndex(int row, int column) { return row + column * kMapSlots; }

// Row for an engine speed (high speeds at the top): 31 - Int(rpm x 32 / 10000).
// Empty when it is not a number or too large to be a row at all.
std::optional<int> mapRow(double rpm);
// Column for a throttle angle: Int(throttle x 32 / 90).
std::optional<int> mapColumn(double throttle);

// One rectangle shape as the window shows it. Its place is a cell of the grid;
// the window turns it into a rectangle with mapCellRect.
struct MapShape {
    int shape = 0;  // index row + column x 33 of the shape itself
    bool visible = false;
    std::uint32_t colour = kMapVisitedColour;
    int row = 0;  // where the shape stands now
    int column = 0;
};

enum class MapStatus {
    Drawn,
    // Row or column outside 0 to 32 (or not a number): nothing changed, the
    // measurement cycle goes on.
    OutsideGrid,
};

struct MapResult {
    MapStatus status = MapStatus::Drawn;
    std::string lbRPM;  // "0 000"
    std::string lbTPS;  // "0.0"
    int row = 0;
    int column = 0;
    // The shapes that changed, in the order they changed: the visited cell, then
    // the column marker and the row marker. Empty when refused.
    std::vector<MapShape> changed;
};

class OperatingMap {
public:
    OperatingMap();

    // One operating point per measurement cycle. `rpm` is rewritten with the row,
    // even when the point is refused.
    MapResult DessineMap(float& rpm, float throttle);

    // Every shape that is visible, for a repaint after a resize.
    std::vector<MapShape> visibleShapes() const;

    std::int16_t visits(int row, int column) const;
    const MapShape& shape(int index) const { return shapes_[static_cast<std::size_t>(index)]; }

private:
    void place(MapShape& s, int row, int column, std::vector<MapShape>& changed);

    std::array<MapShape, kMapCells> shapes_{};
    std::array<std::int16_t, kMapCells> counters_{};
};

// Cell sizes and grid lines for the map window's inner size, in twips.
struct MapGeometry {
    std::int16_t cellWidth = 0;  // whole twips, as the window has always kept it
    float cellHeight = 0;
    std::vector<LineCommand> lines;  // 33 vertical then 33 horizontal
};

// Cell height is the height / 34; cell width the width / 34 rounded to whole twips.
MapGeometry mapGeometry(int widthTwips, int heightTwips);

struct CellRect {
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;
    bool operator==(const CellRect&) const = default;
};

// Where a shape standing on (row, column) is drawn.
CellRect mapCellRect(const MapGeometry& geometry, int row, int column);

// The map window opens at MapTop/MapLeft as stored (default 0, twips).
inline constexpr int kMapDefaultTop = 0;
inline constexpr int kMapDefaultLeft = 0;

}  // namespace dravio::display
