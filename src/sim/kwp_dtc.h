// sim: how a KWP2000 ECU reports its fault memory: which faults it lists and
// the status byte of each (cause in the low four bits, memorisation state in
// bits 5-6, warning lamp in bit 7).
#pragma once

#include <cstdint>
#include <vector>

#include "sim/engine_model.h"

namespace dravio::sim {

std::uint8_t dtcStatusByte(const EngineFault& fault);

// The faults worth reporting (present, intermittent or stored), at most `limit`.
std::vector<EngineFault> reportedFaults(const std::vector<EngineFault>& faults, std::size_t limit);

// Code high, code low and status of each reported fault.
std::vector<std::uint8_t> dtcRecords(const std::vector<EngineFault>& faults);

// The counter of warm-up cycles left before a fault is forgotten: 64 when it
// was just seen, down to 0.
std::uint8_t dtcAgeCounter(const EngineFault& fault);

}  // namespace dravio::sim
