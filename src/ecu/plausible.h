// ecu: the values an engine can have. A frame that passed its checksum can still
// carry nonsense (a stuck sensor word, FFFF from a confused ECU): such a reading
// is neither shown nor recorded.
#pragma once

#include <string>

#include "ecu/mesures.h"
#include "proto/models.h"

namespace dravio::ecu {

// The name of the first decoded value outside what `model` can report, or "" when
// every value is plausible.
std::string implausibleValue(proto::Model model, const Mesures& m);

}  // namespace dravio::ecu
