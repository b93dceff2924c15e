#include "gui/ctl_bar_graph.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <cmath>

#include "support/window_positions.h"

namespace dravio::gui {

QColor colorFromBgr(std::uint32_t bgr) {
    return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF), static_cast<int>((bgr >> 16) & 0xFF));
}

CtlBarGraph::CtlBarGraph(QWidget* parent) : QWidget(parent) { setObjectName("ctlBarGraph"); }

void CtlBarGraph::setPercent(std::int16_t percent) {
    bar_.setPercent(percent);
    update();
}

void CtlBarGraph::setValue(std::int16_t value) {
    bar_.setValue(value);
    update();
}

void CtlBarGraph::setCaption(const QString& caption) {
    bar_.setCaption(caption.toStdString());
    update();
}

void CtlBarGraph::setBackColor(std::uint32_t bgr) {
    bar_.setBackColor(bgr);
    update();
}

void CtlBarGraph::setFillColor(std::uint32_t bgr) {
    bar_.setFillColor(bgr);
    update();
}

void CtlBarGraph::paintEvent(QPaintEvent*) {
    // The layout works in twips, so a narrow bar rounds its fill as a wide one does.
    const QFontMetrics metrics(font());
    const int textWidth = metrics.horizontalAdvance(QString::fromStdString(bar_.percentText()));
    const auto layout = bar_.layout(support::pixelsToTwips(width()), support::pixelsToTwips(height()),
                                    support::pixelsToTwips(textWidth));
    const auto toPixels = [](double twips) { return twips / support::kTwipsPerPixel; };

    // Raster operations need a raster surface: draw into an image, then show it.
    QImage surface(size(), QImage::Format_RGB32);
    surface.fill(colorFromBgr(bar_.BackColor()));
    {
        QPainter painter(&surface);
        painter.setFont(font());
        painter.setPen(Qt::black);
        painter.drawText(QPointF(toPixels(layout.captionX), metrics.ascent()), Caption());
        painter.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
        if (layout.fillVisible) {
            const int right = static_cast<int>(std::lround(toPixels(layout.fillRight)));
            painter.fillRect(QRect(0, 0, right, height()), colorFromBgr(bar_.FillColor()));
        }
    }
    QPainter(this).drawImage(0, 0, surface);
}

}  // namespace dravio::gui
