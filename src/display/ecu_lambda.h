// display: the lambda word an IAW 5AM ECU reports itself (local identifier
// 0x45), read once per measurement cycle.
#pragma once

#include <cstdint>
#include <string_view>

#include "ecu/exchange.h"

namespace dravio::display {

// `iaw5a`: the identification (status panel 5) names an IAW5A; otherwise 0
// without asking. Waits 0.06 s, asks "2145" with an 800 ms time-out and
// returns the two bytes after EnteteReponse and "6145", 0 when absent.
std::uint16_t GetLambda(bool iaw5a, const ecu::Exchange& EnvoieRequete, const ecu::Wait& Attente,
                        std::string_view EnteteReponse = "F110");

}  // namespace dravio::display
