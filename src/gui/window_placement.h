// gui: a window's stored position (twips, 15 per pixel) applied to and read from a widget.
#pragma once

#include <QWidget>

#include "support/ini_file.h"
#include "support/window_positions.h"

namespace dravio::gui {

// Moves (and, where the window keeps a size, resizes) `window` to its stored place.
void placeWindow(QWidget& window, const support::IniFile& ini, support::WindowId id);

// The window's place in twips, with its size when the window keeps one.
support::WindowPosition windowPosition(const QWidget& window, support::WindowId id);

// Writes the window's place under POSITIONS.
bool saveWindowPosition(const QWidget& window, support::IniFile& ini, support::WindowId id);

}  // namespace dravio::gui
