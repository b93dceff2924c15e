// diag: the live values frmTrimmer15's own loop shows, from the raw bytes of a
// 15M-family ECU: engine speed from the period, throttle angle, battery voltage.
#pragma once

#include <cstdint>
#include <string>

namespace dravio::diag {

// Engine speed from the period (high byte x 256 + low byte): 15 000 000 /
// period, 0 above 10 000, cut down to whole tens; a period of 0 keeps `previous`.
float trim15Regime(int period, float previous);
// Throttle angle in degrees; the steeper formula from 30 degrees on, never negative.
double trim15Papillon(std::uint8_t byte);
// Battery voltage.
double trim15Tension(std::uint8_t byte);
// The trimmer as shown: the raw byte minus 128.
inline int trim15Shown(int raw) { return raw - 128; }

// One pass of the window's loop.
struct Trim15Reading {
    float regime = 0;
    double papillon = 0;
    double tension = 0;
    int trimmer = 0;  // the raw byte
};

// The texts of lbRPM ("# ##0"), lbTPS and lbVolt ("0.0") and lbTrim.
struct Trim15Texts {
    std::string lbRPM, lbTPS, lbVolt, lbTrim;
};
Trim15Texts trim15Texts(const Trim15Reading& r);

}  // namespace dravio::diag
