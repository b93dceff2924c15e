#include "display/graph_window.h"

#include <algorithm>

namespace dravio::display {

WindowRect placeGraphWindow(const WindowRect& stored) {
    WindowRect place = stored;
    if (place.top < 0) place.top = 0;
    if (place.left < 0) place.left = 0;
    if (place.height < kGraphMinimumHeight) place.height = kGraphDefaultHeight;
    if (place.width < kGraphMinimumWidth) place.width = kGraphFallbackWidth;
    return place;
}

GraphWindowLayout layoutGraphWindow(const GraphWindowParts& parts) {
    GraphWindowLayout layout;
    layout.pictureWidth = std::max(0, parts.clientWidth - 1000);
    layout.frameWidth = layout.pictureWidth;
    if (parts.clientHeight > parts.frameHeight + 1000) {
        layout.heightChanged = true;
        layout.pictureHeight = parts.clientHeight - parts.frameHeight - 1000;
        layout.frameTop = parts.pictureTop + layout.pictureHeight + 200;
        layout.buttonsTop = layout.frameTop + parts.buttonsOffset;
    }
    return layout;
}

int movedScrollValue(int value, int step, int minimum, int maximum) {
    if (minimum > maximum) std::swap(minimum, maximum);
    return static_cast<int>(std::clamp(static_cast<long long>(value) + step, static_cast<long long>(minimum),
                                       static_cast<long long>(maximum)));
}

}  // namespace dravio::display
