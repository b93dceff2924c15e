// session: the texts the main window shows for values already averaged and in the
// display units (a recorded row), the same as a measurement cycle shows them.
#pragma once

#include <array>
#include <string>
#include <utility>

#include "convert/recording.h"

namespace dravio::session {

// Value label name and its text, in the main window's order: Rmp, Potar, Injection,
// Avance, Pression, Air, Eau, Tension. A value the row lacks shows "--".
using ShownValues = std::array<std::pair<const char*, std::string>, 8>;
ShownValues shownValues(const convert::LiveValues& values);

// The engine speed as shown: rounded down to tens, 0 below 300 RPM.
float shownRegime(double regime);

}  // namespace dravio::session
