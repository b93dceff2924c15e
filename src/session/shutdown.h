// session: the link's part of closing: end a KWP2000 session politely, then let
// go of the devices. Run on the thread that owns the link.
#pragma once

#include "link/link.h"
#include "session/devices.h"

namespace dravio::session {

// Unless the interface is the ELM327: for a 59M/5AM waits 0.06 s, sends the
// stop-diagnostic-session request, waits 0.06 s, sends the stop-communication
// request (each with a 1000 ms time-out) when `sendStops`; then closes every
// device. The window always sends them; a one-off command-line exchange does not.
void closeLink(link::Link& link, Devices& devices, bool sendStops);

}  // namespace dravio::session
