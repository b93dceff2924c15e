#include "gui/ctl_bar_graph.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>

namespace dravio::gui {

QColor colorFromBgr(std::uint32_t bgr) {
    return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF), static_cast<int>((bgr >> 16) & 0xFF));
}

CtlBarGraph::CtlBarGraph(QWidget* parent) : QWidget(parent) { setObjectName("ctlBarGraph"); }

void CtlBarGraph::setPercent(std::int16_t percent) {
    percent_ = percent;
    update();
}

void CtlBarGraph::setValue(std::int16_t value) {
    percent_ = barGraphPercent(value, maxi_);
    update();
}

void CtlBarGraph::setCaption(const QString& caption) {
    caption_ = caption;
    update();
}

void CtlBarGraph::setBackColor(std::uint32_t bgr) {
    backColor_ = bgr;
    update();
}

void CtlBarGraph::setFillColor(std::uint32_t bgr) {
    fillColor_ = bgr;
    update();
}

void CtlBarGraph::paintEvent(QPaintEvent*) {
    // Raster operations need a raster surface: draw into an image, then show it.
    QImage surface(size(), QImage::Format_RGB32);
    surface.fill(colorFromBgr(backColor_));
    {
        QPainter painter(&surface);
        painter.setFont(font());
        const QFontMetrics metrics(font());
        const QString percentText = QString::number(static_cast<int>(percent_)) + "%";
        const auto layout = barGraphLayout(percent_, width(), metrics.horizontalAdvance(percentText));
        painter.setPen(Qt::black);
        painter.drawText(QPointF(layout.captionX, metrics.ascent()), caption_);
        painter.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
        if (layout.fillRight > 0) painter.fillRect(QRect(0, 0, layout.fillRight, height()), colorFromBgr(fillColor_));
    }
    QPainter(this).drawImage(0, 0, surface);
}

}  // namespace dravio::gui
