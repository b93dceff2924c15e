#include "gui/window_placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QVariant>
#include <QEvent>
#include <QTimer>
#include <algorithm>

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

// Pixels of a stored twips value, without overflow for absurd settings.
int pixelsOf(long long twips) {
    constexpr long long kLimit = 1'000'000;
    return support::twipsToPixels(static_cast<int>(std::clamp(twips, -kLimit, kLimit)));
}
}  // namespace

namespace {
// Moves a window's frame to its place once the window manager has framed it.
class FrameCorrector final : public QObject {
public:
    FrameCorrector(QWidget& window, QPoint frame) : QObject(&window), window_(window), frame_(frame) {
        window.installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &window_ && event->type() == QEvent::Show) {
            // The frame extents arrive shortly after the window is mapped.
            QTimer::singleShot(kFrameDelayMs, this, [this] {
                if (window_.pos() != frame_) window_.move(frame_);
                deleteLater();
            });
            window_.removeEventFilter(this);
        }
        return false;
    }

private:
    static constexpr int kFrameDelayMs = 150;
    QWidget& window_;
    QPoint frame_;
};
}  // namespace

QRect visibleArea(QPoint near) {
    const QScreen* screen = QGuiApplication::screenAt(near);
    if (!screen) screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

QRect clampToScreen(QRect frame, const QRect& area) {
    frame.setWidth(std::clamp(frame.width(), 1, std::max(1, area.width())));
    frame.setHeight(std::clamp(frame.height(), 1, std::max(1, area.height())));
    const int left = std::clamp(frame.left(), area.left(), area.left() + area.width() - frame.width());
    const int top = std::clamp(frame.top(), area.top(), area.top() + area.height() - frame.height());
    frame.moveTo(left, top);
    return frame;
}

void placeWindowAt(QWidget& window, QPoint framePosition, std::optional<QSize> size) {
    const QSize wanted = size.value_or(window.size());
    const QRect area = visibleArea(framePosition);
    const QRect placed = clampToScreen(QRect(framePosition, wanted), area);
    if (size) window.resize(placed.size());
    window.move(placed.topLeft());
    // Before the window manager has framed it, move() may place the client area
    // (X11), and the title bar would end up above the screen. Once framed, the frame
    // goes where it was asked: x() and y() then read back what was stored.
    if (window.isWindow()) new FrameCorrector(window, placed.topLeft());
}

void placeWindow(QWidget& window, const support::IniFile& ini, support::WindowId id) {
    const auto position = support::readPosition(ini, id);
    std::optional<QSize> size;
    if (position.width && position.height) size = QSize(pixelsOf(*position.width), pixelsOf(*position.height));
    const QPoint at(pixelsOf(position.left), pixelsOf(position.top));
    placeWindowAt(window, at, size);
    // Only a position kept as stored may write its twips back unchanged.
    if (window.pos() == at) {
        window.setProperty(kPlacedLeft, position.left);
        window.setProperty(kPlacedTop, position.top);
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
