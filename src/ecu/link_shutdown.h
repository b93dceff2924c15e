// ecu: the link's part of closing the program: end a KWP2000 session politely,
// then let go of the cable. Run on the thread that owns the link.
#pragma once

#include <cstdint>

#include "ecu/request_table.h"
#include "link/link.h"

namespace dravio::ecu {

// Unless the interface is the ELM327: for a model-4 ECU waits 0.06 s, sends the
// stop-diagnostic-session request, waits 0.06 s, sends the stop-communication
// request (each with a 1000 ms time-out), then closes the link's cable if open.
void closeLink(link::Link& link, const RequestTable& table, std::int16_t typeEcu, std::int16_t typeInterface);

}  // namespace dravio::ecu
