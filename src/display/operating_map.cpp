#include "display/operating_map.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "base/number_pattern.h"

using dravio::base::fixedDecimals;
using dravio::base::groupedInteger;
using dravio::base::plainInteger;

namespace dravio::display {

namespace {

// Int(x) of a value that may not fit an int: empty when it does not.
std::optional<int> floorToInt(double value) {
    if (!std::isfinite(value)) return std::nullopt;
    const double whole = std::floor(value);
    if (whole < std::numeric_limits<int>::min() / 2 || whole > std::numeric_limits<int>::max() / 2) {
        return std::nullopt;
    }
    return static_cast<int>(whole);
}

bool inGrid(int v) { return v >= 0 && v < kMapSlots; }

}  // namespace

std::optional<int> mapRow(double rpm) {
    const auto scaled = floorToInt(rpm * 32.0 / kMapRpmSpan);
    if (!scaled) return std::nullopt;
    return 31 - *scaled;
}

std::optional<int> mapColumn(double throttle) { return floorToInt(throttle * 32.0 / kMapThrottleSpan); }

OperatingMap::OperatingMap() {
    for (int i = 0; i < kMapCells; ++i) {
        MapShape& s = shapes_[static_cast<std::size_t>(i)];
        s.shape = i;
        s.row = i % kMapSlots;
        s.column = i / kMapSlots;
    }
}

void OperatingMap::place(MapShape& s, int row, int column, std::vector<MapShape>& changed) {
    s.visible = true;
    s.row = row;
    s.column = column;
    changed.push_back(s);
}

MapResult OperatingMap::DessineMap(float& rpm, float throttle) {
    MapResult result;
    result.lbRPM = groupedInteger(rpm, 4);
    const auto row = mapRow(rpm);
    rpm = static_cast<float>(31.0 - std::floor(static_cast<double>(rpm) * 32.0 / kMapRpmSpan));
    result.lbTPS = fixedDecimals(throttle, 1);
    const auto column = mapColumn(throttle);
    if (!row || !column || !inGrid(*row) || !inGrid(*column)) {
        result.status = MapStatus::OutsideGrid;
        result.row = row.value_or(0);
        result.column = column.value_or(0);
        return result;
    }
    result.row = *row;
    result.column = *column;

    const int index = mapShapeIndex(*row, *column);
    std::int16_t& counter = counters_[static_cast<std::size_t>(index)];
    // A long idle sits on one cell; the counter stops at its top instead of wrapping.
    if (counter < std::numeric_limits<std::int16_t>::max()) ++counter;

    MapShape& cell = shapes_[static_cast<std::size_t>(index)];
    if (cell.visible) cell.colour = kMapRevisitColour;
    place(cell, *row, *column, result.changed);

    MapShape& columnMarker = shapes_[kColumnMarkerShape];
    columnMarker.colour = kMapMarkerColour;
    place(columnMarker, 0, *column, result.changed);

    MapShape& rowMarker = shapes_[kRowMarkerShape];
    rowMarker.colour = kMapMarkerColour;
    place(rowMarker, *row, 0, result.changed);
    return result;
}

std::vector<MapShape> OperatingMap::visibleShapes() const {
    std::vector<MapShape> shown;
    for (const MapShape& s : shapes_) {
        if (s.visible) shown.push_back(s);
    }
    return shown;
}

std::int16_t OperatingMap::visits(int row, int column) const {
    if (!inGrid(row) || !inGrid(column)) return 0;
    return counters_[static_cast<std::size_t>(mapShapeIndex(row, column))];
}

MapGeometry mapGeometry(int widthTwips, int heightTwips) {
    MapGeometry g;
    const long width = std::lrint(widthTwips / 34.0);
    g.cellWidth = static_cast<std::int16_t>(
        std::clamp<long>(width, std::numeric_limits<std::int16_t>::min(), std::numeric_limits<std::int16_t>::max()));
    g.cellHeight = static_cast<float>(heightTwips / 34.0);
    const double gridWidth = (kMapGridLines - 1) * static_cast<double>(g.cellWidth);
    const double gridHeight = (kMapGridLines - 1) * static_cast<double>(g.cellHeight);
    g.lines.reserve(2 * kMapGridLines);
    for (int k = 0; k < kMapGridLines; ++k) {
        const double x = k * static_cast<double>(g.cellWidth);
        g.lines.push_back(LineCommand{{x, 0}, {x, gridHeight}, kBlack, 1, PenStyle::Solid});
    }
    for (int k = 0; k < kMapGridLines; ++k) {
        const double y = k * static_cast<double>(g.cellHeight);
        g.lines.push_back(LineCommand{{0, y}, {gridWidth, y}, kBlack, 1, PenStyle::Solid});
    }
    return g;
}

CellRect mapCellRect(const MapGeometry& geometry, int row, int column) {
    return {geometry.cellWidth * static_cast<double>(column), row * static_cast<double>(geometry.cellHeight),
            static_cast<double>(geometry.cellWidth), static_cast<double>(geometry.cellHeight)};
}

}  // namespace dravio::display
