#include "support/window_positions.h"

#include <array>
#include <climits>
#include <cmath>

#include "support/settings_keys.h"

namespace dravio::support {

namespace {

const std::array<WindowKeys, 11> kWindows = {{
    {"ParamTop", "ParamLeft", "", "", 0, 0, {}, {}},
    {"GraphTop", "GraphLeft", "GraphHeight", "GraphWidth", 1000, 6000, 6825, 7635},
    {"TraceTop", "TraceLeft", "", "", 3500, 8500, {}, {}},
    {"ErreurTop", "ErreurLeft", "", "", 0, 0, {}, {}},
    {"ChoixTop", "ChoixLeft", "", "", 0, 0, {}, {}},
    {"DTC59Top", "DTC59Left", "DTC59Height", "", 0, 0, {}, {}},
    {"Trim15Top", "Trim15Left", "", "", 0, 0, {}, {}},
    {"StatutsTop", "StatutsLeft", "", "", 1000, 6000, {}, {}},
    {"AFRTop", "AFRLeft", "", "", 7000, 0, {}, {}},
    {"InterTop", "InterLeft", "", "", 0, 8000, {}, {}},
    {"MapTop", "MapLeft", "MapHeight", "MapWidth", 0, 0, {}, {}},
}};

}  // namespace

const WindowKeys& windowKeys(WindowId window) { return kWindows.at(static_cast<std::size_t>(window)); }

WindowPosition readPosition(const IniFile& ini, WindowId window) {
    const WindowKeys& k = windowKeys(window);
    WindowPosition p;
    p.top = ini.readInt(keys::POSITIONS, k.top, k.defaultTop);
    p.left = ini.readInt(keys::POSITIONS, k.left, k.defaultLeft);
    if (k.defaultHeight) p.height = ini.readInt(keys::POSITIONS, k.height, *k.defaultHeight);
    if (k.defaultWidth) p.width = ini.readInt(keys::POSITIONS, k.width, *k.defaultWidth);
    if (window == WindowId::Param) {
        if (p.top < 0) p.top = 0;
        if (p.left < 0) p.left = 0;
    }
    return p;
}

bool writePosition(IniFile& ini, WindowId window, const WindowPosition& position) {
    const WindowKeys& k = windowKeys(window);
    bool ok = ini.setInt(keys::POSITIONS, k.left, position.left);
    ok = ini.setInt(keys::POSITIONS, k.top, position.top) && ok;
    if (!k.height.empty() && position.height) ok = ini.setInt(keys::POSITIONS, k.height, *position.height) && ok;
    if (!k.width.empty() && position.width) ok = ini.setInt(keys::POSITIONS, k.width, *position.width) && ok;
    return ini.commit() && ok;
}

int twipsToPixels(int twips) { return static_cast<int>(std::lround(static_cast<double>(twips) / kTwipsPerPixel)); }

int pixelsToTwips(int pixels) {
    long long twips = static_cast<long long>(pixels) * kTwipsPerPixel;
    if (twips > INT_MAX) return INT_MAX;
    if (twips < INT_MIN) return INT_MIN;
    return static_cast<int>(twips);
}

}  // namespace dravio::support
