#include "gui/window_placement.h"

#include <QVariant>

namespace dravio::gui {

namespace {
// The twips a window was placed at. A window that has not moved writes them back
// unchanged, so that 15 twips per pixel rounding does not creep at every run.
constexpr const char* kPlacedLeft = "dravioPlacedLeftTwips";
constexpr const char* kPlacedTop = "dravioPlacedTopTwips";

int keptTwips(const QWidget& window, const char* property, int pixels) {
    const QVariant placed = window.property(property);
    if (placed.isValid() && support::twipsToPixels(placed.toInt()) == pixels) return placed.toInt();
    return support::pixelsToTwips(pixels);
}
}  // namespace

void placeWindow(QWidget& window, const support::IniFile& ini, support::WindowId id) {
    const auto position = support::readPosition(ini, id);
    window.move(support::twipsToPixels(position.left), support::twipsToPixels(position.top));
    window.setProperty(kPlacedLeft, position.left);
    window.setProperty(kPlacedTop, position.top);
    if (position.width && position.height) {
        window.resize(support::twipsToPixels(*position.width), support::twipsToPixels(*position.height));
    }
}

support::WindowPosition windowPosition(const QWidget& window, support::WindowId id) {
    support::WindowPosition position;
    position.left = keptTwips(window, kPlacedLeft, window.x());
    position.top = keptTwips(window, kPlacedTop, window.y());
    const auto& keys = support::windowKeys(id);
    if (!keys.height.empty()) position.height = support::pixelsToTwips(window.height());
    if (!keys.width.empty()) position.width = support::pixelsToTwips(window.width());
    return position;
}

bool saveWindowPosition(const QWidget& window, support::IniFile& ini, support::WindowId id) {
    return support::writePosition(ini, id, windowPosition(window, id));
}

}  // namespace dravio::gui
