// diag: the live values frmTrimmer15's own loop shows, from the raw bytes of a
// 15M-family ECU: engine speed from the period, throttle angle, battery voltage.
#pragma once

#include <cstdint>

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

}  // namespace dravio::diag
