// link: putting the cable into a known state before a wake-up.
#pragma once

#include <cstdint>

#include "ports/kline_cable.h"

namespace dravio::link {

// Reset, purge both ways, `baud`, 8N1; false at the first failing call (and
// false without a cable).
bool InitComFTDI(ports::KLineCable* cable, std::uint32_t baud);

}  // namespace dravio::link
