// Test support: a tester written from the K-line rules alone (bytes 6 ms
// apart, echo, frames read by their own length), driving a simulated device
// through a simulated cable on the virtual clock.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "base/clock.h"
#include "base/hex.h"
#include "ports/sim_cable.h"
#include "sim/kline_device.h"
#include "sim/kwp_session.h"

namespace dravio::sim::testing {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;
using base::Clock;

// A request frame as the tester builds it: 0x80 + N, target, source, data, sum.
inline Bytes request(const Bytes& data, std::uint8_t target = 0x10, std::uint8_t source = 0xF1) {
    Bytes f;
    f.reserve(data.size() + 4);
    f.push_back(static_cast<std::uint8_t>(0x80 + data.size()));
    f.push_back(target);
    f.push_back(source);
    for (const std::uint8_t b : data) f.push_back(b);
    unsigned sum = 0;
    for (const std::uint8_t b : f) sum += b;
    f.push_back(static_cast<std::uint8_t>(sum & 0xFF));
    return f;
}

// Whole length of a frame from its header bytes, 0 when more are needed.
inline std::size_t frameLength(const Bytes& head) {
    if (head.empty()) return 0;
    const std::size_t header = 1 + ((head[0] & 0xC0) != 0 ? 2 : 0);
    std::size_t n = head[0] & 0x3F;
    std::size_t extra = 0;
    if (n == 0) {
        if (head.size() <= header) return 0;
        n = head[header];
        extra = 1;
    }
    return header + extra + n + 1;
}

inline bool checksumOk(const Bytes& frame) {
    if (frame.size() < 2) return false;
    unsigned sum = 0;
    for (std::size_t i = 0; i + 1 < frame.size(); ++i) sum += frame[i];
    return static_cast<std::uint8_t>(sum & 0xFF) == frame.back();
}

inline std::string hex(const Bytes& b) { return base::spacedHex(base::toHex(b)); }

class KLineDriver {
public:
    explicit KLineDriver(KLineDevice& device) : adapter_(device) {
        cable.setPeer(&adapter_);
        cable.open("Dravio simulated K-line");
        cable.setBaudRate(10400);
    }

    static Clock::Duration byteTime(std::uint32_t baud = 10400) { return ports::SimCable::byteTime(baud); }

    // Writes the bytes with 6 ms before each, as the tester does; returns when
    // the last byte has been written (it is on the line one byte time later).
    void write(const Bytes& bytes, Clock::Duration gap = 6ms) {
        for (const std::uint8_t b : bytes) {
            clock.sleepFor(gap);
            put(b);
        }
        requestEnd = lineFree_;
    }

    // One byte, which the cable puts on the line once the previous one is out.
    void put(std::uint8_t b) {
        lineFree_ = std::max(clock.now(), lineFree_) + byteTime(cable.baudRate());
        cable.write(b);
    }

    // Everything heard during `window` from now.
    Bytes listen(Clock::Duration window) {
        clock.sleepUntil(clock.now() + window);
        Bytes out;
        cable.read(100000, out);
        return out;
    }

    // Sends a whole frame and returns the answer frame read by its length, echo
    // dropped by position; empty when nothing starts within `timeout`.
    Bytes ask(const Bytes& frame, Clock::Duration timeout = 500ms) {
        cable.purge();
        write(frame);
        const auto deadline = requestEnd + timeout;
        if (cable.waitForQueue(static_cast<std::uint32_t>(frame.size()), requestEnd + 5ms) < frame.size()) {
            ADD_FAILURE() << "echo missing";
            return {};
        }
        Bytes echo;
        cable.read(static_cast<std::uint32_t>(frame.size()), echo);
        EXPECT_EQ(hex(echo), hex(frame)) << "echo";
        return readFrame(deadline);
    }

    // Reads one answer frame from the queue, waiting until `deadline`.
    Bytes readFrame(Clock::TimePoint deadline) {
        Bytes answer;
        if (cable.waitForQueue(1, deadline) == 0) return answer;
        firstAnswerEnd = clock.now();
        std::size_t want = 1;
        while (true) {
            if (cable.waitForQueue(static_cast<std::uint32_t>(want - answer.size()), deadline) <
                want - answer.size()) {
                cable.read(1000, answer);
                return answer;  // cut short
            }
            cable.read(static_cast<std::uint32_t>(want - answer.size()), answer);
            const std::size_t length = frameLength(answer);
            if (length == 0) {
                want = answer.size() + 1;
            } else if (answer.size() >= length) {
                lastAnswerEnd = clock.now();
                return answer;
            } else {
                want = length;
            }
        }
    }

    // Fast wake-up: line low, then released, by break control.
    void fastWake(Clock::Duration low = 25ms, Clock::Duration high = 25ms) {
        cable.breakOn();
        clock.sleepFor(low);
        cable.breakOff();
        clock.sleepFor(high);
    }

    // Fast wake-up by a 0xF0 written at 200 baud; `settle` before going back to 10400.
    void fastWakeByByte(Clock::Duration settle = 50ms) {
        cable.setBaudRate(200);
        clock.sleepFor(100ms);
        put(0xF0);
        clock.sleepFor(settle);
        cable.setBaudRate(10400);
    }

    // The address at 5 baud by break control: start bit, then each run of equal
    // data bits (least significant first), then the stop bit's release.
    void fiveBaud(std::uint8_t address, Clock::Duration bit = 200ms) {
        cable.breakOn();
        clock.sleepFor(bit);
        int i = 0;
        while (i < 8) {
            const bool one = ((address >> i) & 1) != 0;
            int run = 0;
            while (i < 8 && (((address >> i) & 1) != 0) == one) {
                ++run;
                ++i;
            }
            if (one) {
                cable.breakOff();
            } else {
                cable.breakOn();
            }
            clock.sleepFor(run * bit);
        }
        cable.breakOff();
    }

    base::VirtualClock clock{Clock::TimePoint{} + 10s};
    ports::SimCable cable{clock};
    Clock::TimePoint requestEnd{};
    Clock::TimePoint firstAnswerEnd{};
    Clock::TimePoint lastAnswerEnd{};

private:
    Clock::TimePoint lineFree_{};
    SimCableAdapter adapter_;
};

// Session options of a KWP2000 ECU that communicates from the start.
inline KwpSessionOptions awake() {
    KwpSessionOptions o;
    o.startAwake = true;
    return o;
}

// Data bytes of a positive answer with addresses: after format, target, source.
inline Bytes dataOf(const Bytes& frame) {
    if (frame.size() < 5) return {};
    return Bytes(frame.begin() + 3, frame.end() - 1);
}

}  // namespace dravio::sim::testing
