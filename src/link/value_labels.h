// link: the main window's labels that show a value read from the ECU. When the
// link goes down they all show "--" at once, so that no stale value passes for a
// live one.
#pragma once

#include <array>

namespace dravio::link {

inline constexpr std::array<const char*, 13> kValueLabels = {
    "Rmp", "Potar", "Injection", "Avance", "Pression", "Air", "Eau",
    "Tension", "lbLambda", "Trimmer", "lbMoteurPP", "lbLsbTPS", "lbTPSVolt"};

}  // namespace dravio::link
