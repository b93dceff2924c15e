// ecu: the live values of one cycle as a one-line JSON object, for the command
// line and scripts.
#pragma once

#include <string>

#include "ecu/mesures.h"

namespace dravio::ecu {

// {"Regime":1990,"Papillon":4.1,...}: numbers in their shortest exact form,
// PapillonPas only when asked (the one-byte models have it). A value that is not
// a finite number is written null.
std::string mesuresToJson(const Mesures& m, bool withPapillonPas);

}  // namespace dravio::ecu
