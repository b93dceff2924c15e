// ports: the operations FtdiCable needs from an opened FTDI chip. libftdi1 is
// the real one; tests put a scripted chip behind the cable to check the reader
// thread and its queue without hardware.
#pragma once

#include <cstdint>
#include <string>

namespace dravio::ports {

class FtdiChip {
public:
    // Results besides 0 (done) and the backend's own negative error codes.
    static constexpr int kGone = -100000;     // unplugged: no further call will succeed
    static constexpr int kBadBaud = -100001;  // the chip cannot make that rate

    virtual ~FtdiChip() = default;

    // Up to `size` received bytes into `buffer`; returns their count (0 when
    // nothing came within about one latency period) or a negative error.
    // Called only from the cable's reader thread, never together with flush/reset.
    virtual int read(std::uint8_t* buffer, int size) = 0;

    // The rest may run while read() is in progress on the reader thread.
    virtual int write(std::uint8_t byte) = 0;
    virtual int setBaudRate(std::uint32_t baud) = 0;
    // 8N1, with the line held low (break) or released.
    virtual int setLine(bool breakOn) = 0;

    // Not while read() runs: these reset the backend's receive state.
    virtual int flush() = 0;
    virtual int reset() = 0;

    // Words for a negative result of read() or write(); control calls are
    // reported by their number.
    virtual std::string describe(int error) const = 0;
};

}  // namespace dravio::ports
