// display: where the graph window opens and how its parts follow a resize, in
// twips (15 per pixel), from the POSITIONS values the settings hold.
#pragma once

namespace dravio::display {

inline constexpr int kGraphDefaultTop = 1000;
inline constexpr int kGraphDefaultLeft = 6000;
inline constexpr int kGraphDefaultHeight = 6825;
inline constexpr int kGraphDefaultWidth = 7635;
// A stored size too small to use is replaced; the width fallback is narrower
// than the default on purpose, as the window has always done.
inline constexpr int kGraphMinimumHeight = 500;
inline constexpr int kGraphMinimumWidth = 2500;
inline constexpr int kGraphFallbackWidth = 7600;

struct WindowRect {
    int top = 0;
    int left = 0;
    int height = 0;
    int width = 0;
    bool operator==(const WindowRect&) const = default;
};

// The graph window's place at load from GraphTop/Left/Height/Width: negative top
// or left become 0, a height below 500 becomes 6825, a width below 2500 becomes 7600.
WindowRect placeGraphWindow(const WindowRect& stored);

// The parts the resize moves. Inputs and outputs are in twips.
struct GraphWindowLayout {
    int pictureWidth = 0;
    int frameWidth = 0;
    // Set only when the window is more than 1000 taller than the settings frame.
    bool heightChanged = false;
    int pictureHeight = 0;
    int frameTop = 0;
    int buttonsTop = 0;  // the scale buttons keep their offset from the frame
};

struct GraphWindowParts {
    int clientWidth = 0;
    int clientHeight = 0;
    int pictureTop = 0;
    int frameHeight = 0;
    int buttonsOffset = 0;  // scale buttons' top minus the frame's top
};

// Picture1 and the frame take the width minus 1000 (never below 0); when there is
// room, Picture1 takes the height left by the frame minus 1000 and the frame sits
// 200 below it.
GraphWindowLayout layoutGraphWindow(const GraphWindowParts& parts);

// A scroll bar moved from a menu entry stays within its range.
int movedScrollValue(int value, int step, int minimum, int maximum);

}  // namespace dravio::display
