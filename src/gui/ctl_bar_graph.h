// gui: ctlBarGraph, a horizontal progress bar with a centred caption. The fill is
// drawn with an inverting raster operation over the caption, so the caption stays
// legible where the bar covers it.
#pragma once

#include <QString>
#include <QWidget>
#include <cstdint>

#include "gui/bar_graph_geometry.h"

namespace dravio::gui {

class CtlBarGraph : public QWidget {
    Q_OBJECT
public:
    // Colours are blue-green-red values, as the settings and the link indicator use.
    static constexpr std::uint32_t kDefaultBackColor = 0xFFFFFF;  // white
    static constexpr std::uint32_t kDefaultFillColor = 0xFF0000;  // blue

    explicit CtlBarGraph(QWidget* parent = nullptr);

    std::int16_t Percent() const { return static_cast<std::int16_t>(percent_); }
    void setPercent(std::int16_t percent);
    // Percent := value / Maxi x 100.
    void setValue(std::int16_t value);
    const QString& Caption() const { return caption_; }
    void setCaption(const QString& caption);
    std::uint32_t BackColor() const { return backColor_; }
    void setBackColor(std::uint32_t bgr);
    std::uint32_t FillColor() const { return fillColor_; }
    void setFillColor(std::uint32_t bgr);
    std::int32_t Maxi() const { return maxi_; }
    void setMaxi(std::int32_t maxi) { maxi_ = maxi; }
    std::int32_t Mini() const { return mini_; }
    void setMini(std::int32_t mini) { mini_ = mini; }

    QSize sizeHint() const override { return {200, 20}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    float percent_ = 0.0f;
    QString caption_;
    std::uint32_t backColor_ = kDefaultBackColor;
    std::uint32_t fillColor_ = kDefaultFillColor;
    std::int32_t maxi_ = kBarGraphDefaultMaxi;
    std::int32_t mini_ = 0;
};

// A Qt colour from a blue-green-red value.
QColor colorFromBgr(std::uint32_t bgr);

}  // namespace dravio::gui
