// display: the arithmetic of the bar-graph control (ctlBarGraph): the filled
// share, the caption's place and the fill box. Painting, with its inverting pen
// that keeps the caption legible over the fill, is the window's part.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

#include "display/drawing.h"

namespace dravio::display {

inline constexpr std::int32_t kBarGraphDefaultMaxi = 1000;
inline constexpr std::int32_t kBarGraphDefaultMini = 0;
inline constexpr std::uint32_t kBarGraphDefaultBackColor = 16777215;  // white
// One default for reading and writing, so a blue fill survives a save and reload.
inline constexpr std::uint32_t kBarGraphDefaultFillColor = kBlue;
// The fill box starts outside the surface so that no edge of it shows.
inline constexpr int kBarGraphFillOrigin = -10;

// Where the caption and the fill go, in the surface's units (twips give the
// control's own rounding).
struct BarGraphLayout {
    double captionX = 0;
    double captionY = 0;
    // The filled box, corners (left, top) and (right, bottom).
    double fillLeft = kBarGraphFillOrigin;
    double fillTop = kBarGraphFillOrigin;
    double fillRight = 0;
    double fillBottom = 0;
    bool fillVisible = false;  // the box reaches into the surface
};

class BarGraph {
public:
    // Percent as the control exposes it: 16-bit, rounded half to even.
    std::int16_t Percent() const;
    void setPercent(std::int16_t percent) { percent_ = percent; }
    // Percent := value / Maxi x 100. Mini plays no part; a value above Maxi
    // fills past the end. A Maxi of 0 reads as 0 %.
    void setValue(std::int16_t value);
    float exactPercent() const { return percent_; }

    const std::string& Caption() const { return caption_; }
    void setCaption(std::string caption) { caption_ = std::move(caption); }
    std::uint32_t BackColor() const { return backColor_; }
    void setBackColor(std::uint32_t colour) { backColor_ = colour; }
    std::uint32_t FillColor() const { return fillColor_; }
    void setFillColor(std::uint32_t colour) { fillColor_ = colour; }
    std::int32_t Maxi() const { return maxi_; }
    void setMaxi(std::int32_t maxi) { maxi_ = maxi; }
    std::int32_t Mini() const { return mini_; }
    void setMini(std::int32_t mini) { mini_ = mini; }

    // The text whose width centres the caption: the percent's decimal text and
    // "%" (the caption itself is not measured).
    std::string percentText() const;

    // For a surface `width` x `height` and the measured width of percentText().
    BarGraphLayout layout(int width, int height, int percentTextWidth) const;

private:
    float percent_ = 0.0f;
    std::string caption_;
    std::uint32_t backColor_ = kBarGraphDefaultBackColor;
    std::uint32_t fillColor_ = kBarGraphDefaultFillColor;
    std::int32_t maxi_ = kBarGraphDefaultMaxi;
    std::int32_t mini_ = kBarGraphDefaultMini;
};

}  // namespace dravio::display
