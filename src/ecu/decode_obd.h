// ecu: live values of model 5, the generic OBD-II unit asked service 01 inside
// KWP2000 frames, one parameter per request.
#pragma once

#include <span>
#include <string_view>
#include <vector>

#include "ecu/mesures.h"
#include "proto/request_table.h"

namespace dravio::ecu {

// The requests of one cycle in their order; channels that are off are left out.
std::vector<MeasureRequest> obdRequests(const MeasureChannels& channels, std::string_view enteteReponse,
                                        const proto::RequestTable& table = {});

// Sets the values whose answers are present. An answer without its header gives
// 0 for its value; without the engine-speed header all eight values become 0
// before the other answers are read.
void decodeObd(std::span<const MeasureAnswer> answers, std::string_view enteteReponse, Mesures& m);

}  // namespace dravio::ecu
