// ecu: live values of model 4 ("M59/M5A", KWP2000 local identifiers): engine
// speed alone in fast mode, the whole live block otherwise.
#pragma once

#include <string_view>

#include "ecu/mesures.h"
#include "proto/request_table.h"

namespace dravio::ecu {

// The one request of a model-4 cycle: ReqRegime in fast mode, ReqBloc otherwise.
MeasureRequest kwpRequest(bool fastMode, std::string_view enteteReponse, const proto::RequestTable& table = {});

// Engine speed from a fast-mode answer; every other value but lambda becomes 0.
// A missing or foreign answer gives 0 RPM.
void decodeFastRegime(std::string_view answer, std::string_view enteteReponse, Mesures& m);

// All eight values from the live block (header "96" or "94"); a missing or
// foreign answer sets all eight to 0, a block cut short reads its missing bytes as 0.
void decodeBlock(std::string_view answer, std::string_view enteteReponse, Mesures& m);

// Sets engine speed, throttle, injection, advance, pressure, both temperatures
// and battery to 0.
void zeroEightValues(Mesures& m);

}  // namespace dravio::ecu
