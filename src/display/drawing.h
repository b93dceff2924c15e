// display: what the chart windows are asked to draw. The cores compute these
// commands; a window only replays them, so the tests read exactly what the user
// would see.
#pragma once

#include <cstdint>
#include <variant>
#include <vector>

namespace dravio::display {

// Colours are blue-green-red values, as everywhere else in the program.
inline constexpr std::uint32_t kBlack = 0;
inline constexpr std::uint32_t kRed = 255;
inline constexpr std::uint32_t kGreen = 65280;
inline constexpr std::uint32_t kYellow = 65535;
inline constexpr std::uint32_t kBlue = 16711680;

inline constexpr int kTwipsPerPixel = 15;

enum class PenStyle { Solid, Dotted };

struct Point {
    double x = 0;
    double y = 0;
    bool operator==(const Point&) const = default;
};

// A straight line. Width is in pixels whatever the surface's units.
struct LineCommand {
    Point from;
    Point to;
    std::uint32_t colour = kBlack;
    int width = 1;
    PenStyle style = PenStyle::Solid;
};

// A solid line through the points in order (the first one is where the pen
// was moved without drawing).
struct PolylineCommand {
    std::vector<Point> points;
    std::uint32_t colour = kBlack;
    int width = 1;
};

using DrawCommand = std::variant<LineCommand, PolylineCommand>;

}  // namespace dravio::display
