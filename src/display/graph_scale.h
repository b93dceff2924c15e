// display: the RPM graph's vertical scale and point count, and the rules that
// move them. The settings object lives elsewhere; changes go back through a
// writer the owner supplies.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

namespace dravio::display {

// The [Graphe] values the graph works with, 16-bit as stored.
struct GraphSettings {
    std::int16_t NbPoint = 30;
    std::int16_t zMax = 1500;
    std::int16_t zMin = 1000;
    bool operator==(const GraphSettings&) const = default;
};

// How a change must reach the settings file.
enum class SettingsWrite {
    InMemory,     // the settings object only, nothing written
    EcritConfig,  // the whole settings file, at once
    NbPointKey,   // the [Graphe] NbPoint key alone
};

using SettingsWriter = std::function<void(const GraphSettings&, SettingsWrite)>;

// The four scale buttons, by their control index.
enum class ScaleButton : int { TopUp = 0, TopDown = 1, BottomUp = 2, BottomDown = 3 };

inline constexpr std::int16_t kScaleTopCap = 5000;
inline constexpr std::int16_t kScaleBottomFloor = 900;
inline constexpr std::int16_t kScaleMinimumSpan = 300;

struct GraphScale {
    std::int16_t zMax = 1500;
    std::int16_t zMin = 1000;
    bool operator==(const GraphScale&) const = default;
};

// The scale after one press of `button` (cdEchelle index 0 to 3). Empty when the
// index is not a button, or when the result would not fit in 16 bits (the
// bottom can be pushed up without end, and the top follows it).
std::optional<GraphScale> pressScaleButton(GraphScale scale, int button);

// The points list offers these counts.
inline constexpr std::int16_t kPointChoices[] = {20, 30, 40, 50};
// GraphPoints holds points 0 to 50, so at most 50 intervals.
inline constexpr std::int16_t kMaxPoints = 50;

// The numeric value of a points-list text, as the list reads it: leading blanks
// skipped, then decimal digits up to the first other character; no digits is 0.
// Values beyond 16 bits give empty.
std::optional<std::int16_t> pointsFromText(std::string_view text);

}  // namespace dravio::display
