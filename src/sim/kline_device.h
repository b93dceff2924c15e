// sim: simulated ECUs and adapters, written from what the ECUs send and expect,
// independently of the tester code (no link, ecu or diag here).
//
// A simulated device sits on a K-line. It hears the tester's bytes, breaks and
// baud changes with their times, and answers through a KLineOutput, which the
// simulated cable (through twin::SimCableAdapter), the ELM327 emulator or the
// bench responder provides.
#pragma once

#include <chrono>
#include <cstdint>

#include "base/clock.h"

namespace dravio::sim {

using base::Clock;

// Where a device's bytes go.
class KLineOutput {
public:
    virtual ~KLineOutput() = default;
    // A byte whose first bit leaves the device at `start` (or as soon as the line
    // is free after it), sent at `baud`.
    virtual void send(Clock::TimePoint start, std::uint8_t byte, std::uint32_t baud) = 0;
};

class KLineDevice {
public:
    virtual ~KLineDevice() = default;
    // A tester byte has been fully received at `end`, at the tester's `baud`.
    virtual void onTesterByte(KLineOutput& out, Clock::TimePoint end, std::uint8_t byte, std::uint32_t baud) = 0;
    // The tester pulled the line low (`low`) or released it at `t`.
    virtual void onBreak(KLineOutput& /*out*/, Clock::TimePoint /*t*/, bool /*low*/) {}
    // The tester changed its baud rate at `t` (devices that listen at a fixed
    // rate use it to know whether they can hear the tester at all).
    virtual void onBaudChange(KLineOutput& /*out*/, Clock::TimePoint /*t*/, std::uint32_t /*baud*/) {}
};

// Time a byte takes on the wire at `baud`: start bit, 8 data bits, stop bit.
inline Clock::Duration byteTime(std::uint32_t baud) {
    return baud == 0 ? Clock::Duration::zero() : std::chrono::nanoseconds(10'000'000'000LL / baud);
}

}  // namespace dravio::sim
