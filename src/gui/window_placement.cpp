#include "gui/window_placement.h"

namespace dravio::gui {

void placeWindow(QWidget& window, const support::IniFile& ini, support::WindowId id) {
    const auto position = support::readPosition(ini, id);
    window.move(support::twipsToPixels(position.left), support::twipsToPixels(position.top));
    if (position.width && position.height) {
        window.resize(support::twipsToPixels(*position.width), support::twipsToPixels(*position.height));
    }
}

support::WindowPosition windowPosition(const QWidget& window, support::WindowId id) {
    support::WindowPosition position;
    position.left = support::pixelsToTwips(window.x());
    position.top = support::pixelsToTwips(window.y());
    const auto& keys = support::windowKeys(id);
    if (!keys.height.empty()) position.height = support::pixelsToTwips(window.height());
    if (!keys.width.empty()) position.width = support::pixelsToTwips(window.width());
    return position;
}

bool saveWindowPosition(const QWidget& window, support::IniFile& ini, support::WindowId id) {
    return support::writePosition(ini, id, windowPosition(window, id));
}

}  // namespace dravio::gui
