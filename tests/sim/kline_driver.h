// Test support: the tester side of a simulated K-line on the virtual clock.
// Bytes go out 6 ms apart and come back as echo; KWP2000 frames are read by
// their own length, one-byte answers by count. Byte mismatches print both
// sides as hex dumps with the first difference marked.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/clock.h"
#include "ports/sim_cable.h"
#include "proto/hex.h"
#include "proto/kwp_frame.h"
#include "sim/kline_device.h"
#include "sim/kwp_session.h"

namespace dravio::sim::testing {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;
using base::Clock;

inline std::string hex(const Bytes& b) { return proto::spacedHex(proto::toHex(b)); }

// For EXPECT_BYTES: equal, or both sides dumped with the first difference marked.
inline ::testing::AssertionResult sameBytes(const char* gotExpr, const char*, const Bytes& got, const Bytes& want) {
    if (got == want) return ::testing::AssertionSuccess();
    std::size_t i = 0;
    while (i < got.size() && i < want.size() && got[i] == want[i]) ++i;
    return ::testing::AssertionFailure() << gotExpr << " differs at byte " << i << "\n  expected: " << hex(want)
                                         << "\n  received: " << hex(got) << "\n            " << std::string(i * 3, ' ')
                                         << "^";
}
inline ::testing::AssertionResult sameBytes(const char* gotExpr, const char* wantExpr, const Bytes& got,
                                            std::string_view want) {
    std::string compact(want);  // "83 F1 10": blanks ignored
    std::erase(compact, ' ');
    return sameBytes(gotExpr, wantExpr, got, proto::fromHex(compact));
}
#define EXPECT_BYTES(got, want) EXPECT_PRED_FORMAT2(::dravio::sim::testing::sameBytes, got, want)

// A tester request to the ECU at `target`.
inline Bytes request(const Bytes& data, std::uint8_t target = 0x10, std::uint8_t source = 0xF1) {
    return proto::buildKwpFrame(proto::KwpAddressing::Physical, target, source, data);
}

inline bool checksumOk(const Bytes& frame) {
    return frame.size() >= 2 && proto::kwpChecksum(frame.data(), frame.size() - 1) == frame.back();
}

// Data bytes of an answer with addresses: after format, target, source.
inline Bytes dataOf(const Bytes& frame) {
    if (frame.size() < 5) return {};
    return Bytes(frame.begin() + 3, frame.end() - 1);
}

// Session options of a KWP2000 ECU that communicates from the start.
inline KwpSessionOptions awake() {
    KwpSessionOptions o;
    o.startAwake = true;
    return o;
}

class KLineDriver {
public:
    explicit KLineDriver(KLineDevice& device, std::uint32_t baud = 10400) : adapter_(device) {
        cable.setPeer(&adapter_);
        cable.open("Dravio simulated K-line");
        cable.setBaudRate(baud);
    }

    static Clock::Duration byteTime(std::uint32_t baud = 10400) { return ports::SimCable::byteTime(baud); }
    // Lets the device speak first (a power-on code).
    KLineOutput& deviceOutput() { return adapter_.output(cable); }

    // Writes the bytes with `gap` before each; requestEnd is when the last one is off the line.
    void write(const Bytes& data, Clock::Duration gap = 6ms) {
        for (const std::uint8_t b : data) {
            clock.sleepFor(gap);
            put(b);
        }
        requestEnd = lineFree_;
    }

    // Everything heard during `window` from now.
    Bytes listen(Clock::Duration window) {
        clock.sleepUntil(clock.now() + window);
        Bytes out;
        cable.read(100000, out);
        return out;
    }

    // One-byte exchange: the request, its echo, then up to `count` bytes within `timeout`.
    Bytes exchange(const Bytes& data, std::size_t count = 1, Clock::Duration timeout = 500ms) {
        cable.purge();
        write(data);
        return collect(data.size(), count, timeout);
    }
    // Listens only, for up to `count` bytes.
    Bytes hear(std::size_t count, Clock::Duration timeout) {
        cable.purge();
        return collect(0, count, timeout);
    }

    // Sends a KWP2000 frame and reads the answer frame by its length; empty when
    // nothing starts within `timeout`. A bad checksum fails unless `badSumOk`.
    Bytes ask(const Bytes& frame, Clock::Duration timeout = 500ms, bool badSumOk = false) {
        cable.purge();
        write(frame);
        if (cable.waitForQueue(static_cast<std::uint32_t>(frame.size()), requestEnd + 5ms) < frame.size()) {
            ADD_FAILURE() << "echo missing";
            return {};
        }
        Bytes echo;
        cable.read(static_cast<std::uint32_t>(frame.size()), echo);
        EXPECT_BYTES(echo, frame);
        const Bytes answer = readFrame(requestEnd + timeout);
        if (!answer.empty() && !badSumOk) {
            EXPECT_TRUE(checksumOk(answer)) << hex(answer);
        }
        return answer;
    }
    // The data bytes of the answer to a request carrying `data`.
    Bytes askData(const Bytes& data) { return dataOf(ask(request(data))); }

    // Reads one answer frame from the queue, waiting until `deadline`.
    Bytes readFrame(Clock::TimePoint deadline) {
        Bytes answer;
        if (cable.waitForQueue(1, deadline) == 0) return answer;
        firstAnswerEnd = clock.now();
        std::size_t want = 1;
        while (true) {
            const auto missing = static_cast<std::uint32_t>(want - answer.size());
            if (cable.waitForQueue(missing, deadline) < missing) {
                cable.read(1000, answer);
                return answer;  // cut short
            }
            cable.read(missing, answer);
            const int length = proto::kwpFrameLength(answer.data(), answer.size());
            if (length < 0) return answer;
            if (length == 0) {
                want = answer.size() + 1;
            } else if (answer.size() >= static_cast<std::size_t>(length)) {
                lastAnswerEnd = clock.now();
                return answer;
            } else {
                want = static_cast<std::size_t>(length);
            }
        }
    }
    // From the end of the request to the start of the answer's first byte.
    Clock::Duration answerDelay() const { return firstAnswerEnd - byteTime(cable.baudRate()) - requestEnd; }

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

    // The address at 5 baud by break control: start bit, each data bit (least
    // significant first), then the stop bit's release.
    void fiveBaud(std::uint8_t address, Clock::Duration bit = 200ms) {
        cable.breakOn();
        clock.sleepFor(bit);
        for (int i = 0; i < 8; ++i) {
            if (((address >> i) & 1) != 0) {
                cable.breakOff();
            } else {
                cable.breakOn();
            }
            clock.sleepFor(bit);
        }
        cable.breakOff();
    }

    base::VirtualClock clock{Clock::TimePoint{} + 10s};
    ports::SimCable cable{clock};
    Clock::TimePoint requestEnd{};
    Clock::TimePoint firstAnswerEnd{};
    Clock::TimePoint lastAnswerEnd{};

private:
    // One byte, on the line once the previous one is out.
    void put(std::uint8_t b) {
        lineFree_ = std::max(clock.now(), lineFree_) + byteTime(cable.baudRate());
        cable.write(b);
    }
    Bytes collect(std::size_t echo, std::size_t count, Clock::Duration timeout) {
        cable.waitForQueue(static_cast<std::uint32_t>(echo + count), clock.now() + timeout);
        Bytes all;
        cable.read(100000, all);
        if (all.size() <= echo) return {};
        Bytes answer(all.begin() + static_cast<std::ptrdiff_t>(echo), all.end());
        if (answer.size() > count) answer.resize(count);
        return answer;
    }

    Clock::TimePoint lineFree_{};
    SimCableAdapter adapter_;
};

}  // namespace dravio::sim::testing
