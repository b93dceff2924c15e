// support: window positions kept in ecu.ini under [POSITIONS], in twips.
#pragma once

#include <optional>
#include <string_view>

#include "support/ini_file.h"

namespace dravio::support {

// The windows that keep a position, each with its own key prefix.
enum class WindowId {
    Param,    // main window: ParamTop/ParamLeft
    Graph,    // RPM graph: GraphTop/Left/Height/Width
    Trace,    // TraceTop/Left
    Erreur,   // ErreurTop/Left
    Choix,    // ChoixTop/Left
    DTC59,    // DTC59Top/Left, DTC59Height written only
    Trim15,   // Trim15Top/Left
    Statuts,  // StatutsTop/Left
    AFR,      // AFRTop/Left
    Inter,    // InterTop/Left
    Map,      // MapTop/Left, MapHeight/MapWidth written only
};

// The keys and defaults of one window. A size key that is written but never read
// has no default.
struct WindowKeys {
    std::string_view top, left, height, width;  // "" when the window has no such key
    int defaultTop = 0;
    int defaultLeft = 0;
    std::optional<int> defaultHeight, defaultWidth;
};
const WindowKeys& windowKeys(WindowId window);

// Twips. Height and width are set only for windows that read them back.
struct WindowPosition {
    int top = 0;
    int left = 0;
    std::optional<int> height, width;
    bool operator==(const WindowPosition&) const = default;
};

// The stored position with its defaults. The main window never opens above or
// left of the screen: a negative ParamTop/ParamLeft reads as 0.
WindowPosition readPosition(const IniFile& ini, WindowId window);

// Writes Left, Top, then Height and Width where the window has those keys and the
// position carries them, as decimal text, in one atomic rewrite.
bool writePosition(IniFile& ini, WindowId window, const WindowPosition& position);

inline constexpr int kTwipsPerPixel = 15;
// Nearest whole pixel (halves away from zero).
int twipsToPixels(int twips);
int pixelsToTwips(int pixels);

}  // namespace dravio::support
