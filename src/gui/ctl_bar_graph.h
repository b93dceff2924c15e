// gui: ctlBarGraph, a horizontal progress bar with a centred caption. The
// arithmetic is display::BarGraph's; this widget paints it, the fill drawn with an
// inverting raster operation over the caption so the caption stays legible.
#pragma once

#include <QString>
#include <QWidget>
#include <cstdint>

#include "display/bar_graph.h"

namespace dravio::gui {

class CtlBarGraph : public QWidget {
    Q_OBJECT
public:
    // Colours are blue-green-red values, as the settings and the link indicator use.
    static constexpr std::uint32_t kDefaultBackColor = display::kBarGraphDefaultBackColor;
    static constexpr std::uint32_t kDefaultFillColor = display::kBarGraphDefaultFillColor;

    explicit CtlBarGraph(QWidget* parent = nullptr);

    std::int16_t Percent() const { return bar_.Percent(); }
    void setPercent(std::int16_t percent);
    // Percent := value / Maxi x 100.
    void setValue(std::int16_t value);
    QString Caption() const { return QString::fromStdString(bar_.Caption()); }
    void setCaption(const QString& caption);
    std::uint32_t BackColor() const { return bar_.BackColor(); }
    void setBackColor(std::uint32_t bgr);
    std::uint32_t FillColor() const { return bar_.FillColor(); }
    void setFillColor(std::uint32_t bgr);
    std::int32_t Maxi() const { return bar_.Maxi(); }
    void setMaxi(std::int32_t maxi) { bar_.setMaxi(maxi); }
    std::int32_t Mini() const { return bar_.Mini(); }
    void setMini(std::int32_t mini) { bar_.setMini(mini); }

    QSize sizeHint() const override { return {200, 20}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    display::BarGraph bar_;
};

// A Qt colour from a blue-green-red value.
QColor colorFromBgr(std::uint32_t bgr);

}  // namespace dravio::gui
