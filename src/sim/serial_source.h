// sim: devices that sit at the far end of a serial port (wideband lambda
// sources), on a clock. The program's bytes reach the device when written;
// the device's bytes are due at given times. twin::SourceSerialPort puts one
// behind the simulated serial port; serveSource plays one on a file descriptor (a
// pseudo-terminal) for the bench responder.
#pragma once

#include <string>
#include <string_view>

#include "base/clock.h"
#include "sim/sniff_log.h"

namespace dravio::sim {

using base::Clock;

class SerialSource {
public:
    virtual ~SerialSource() = default;
    // Bytes from the program, heard at `t`.
    virtual void received(Clock::TimePoint t, std::string_view bytes) = 0;
    // The bytes due by `now`, in order, removed.
    virtual std::string takeDue(Clock::TimePoint now) = 0;
    // When the next byte is due; max() when nothing will come unasked.
    virtual Clock::TimePoint nextDue() const = 0;
};

// Serves `fd` with `source` until `stopFd` closes (when >= 0) or `fd` fails,
// logging both ways to `log` when given. Returns 0, or 1 with `error` set.
int serveSource(int fd, int stopFd, SerialSource& source, base::Clock& clock, SniffLog* log, std::string& error);

}  // namespace dravio::sim
