// gui: a window's stored position (twips, 15 per pixel) applied to and read from a widget.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QWidget>
#include <optional>

#include "support/ini_file.h"
#include "support/window_positions.h"

namespace dravio::gui {

// The screen area windows may use near `point` (the primary screen's when no screen
// is there).
QRect visibleArea(QPoint near);
// `frame` made to fit inside `area`: no larger than it, and moved in when outside.
QRect clampToScreen(QRect frame, const QRect& area);
// Moves the window's frame to `framePosition` (and resizes it), kept on screen.
void placeWindowAt(QWidget& window, QPoint framePosition, std::optional<QSize> size = std::nullopt);

// Moves (and, where the window keeps a size, resizes) `window` to its stored place.
void placeWindow(QWidget& window, const support::IniFile& ini, support::WindowId id);

// The window's place in twips, with its size when the window keeps one.
support::WindowPosition windowPosition(const QWidget& window, support::WindowId id);

// Writes the window's place under POSITIONS.
bool saveWindowPosition(const QWidget& window, support::IniFile& ini, support::WindowId id);

}  // namespace dravio::gui
