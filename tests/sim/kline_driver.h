// Test support: the tester side of a simulated K-line on the virtual clock, and an ELM327
// bench with a scripted ECU behind it. Byte mismatches show both sides, first difference marked.
#pragma once

#include <gtest/gtest.h>

#include <map>

#include "base/clock.h"
#include "ports/sim_cable.h"
#include "proto/hex.h"
#include "proto/kwp_frame.h"
#include "sim/elm327_emulator.h"
#include "twin/elm327_serial_port.h"
#include "sim/kline_device.h"
#include "twin/sim_cable_adapter.h"
#include "sim/kwp_session.h"

namespace dravio::sim::testing {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;
using base::Clock;

inline std::string hex(const Bytes& b) { return proto::spacedHex(proto::toHex(b)); }
inline Bytes bytes(std::string_view spaced) {  // "83 F1 10": blanks ignored
    std::string compact(spaced);
    std::erase(compact, ' ');
    return proto::fromHex(compact);
}
inline ::testing::AssertionResult sameBytes(const char* gotExpr, const char*, const Bytes& got, const Bytes& want) {
    if (got == want) return ::testing::AssertionSuccess();
    std::size_t i = 0;
    while (i < got.size() && i < want.size() && got[i] == want[i]) ++i;
    return ::testing::AssertionFailure() << gotExpr << " differs at byte " << i << "\n  expected: " << hex(want)
                                         << "\n  received: " << hex(got) << "\n            " << std::string(i * 3, ' ')
                                         << "^";
}
inline const Bytes& bytes(const Bytes& b) { return b; }
#define EXPECT_BYTES(got, want) \
    EXPECT_PRED_FORMAT2(::dravio::sim::testing::sameBytes, got, ::dravio::sim::testing::bytes(want))

// A tester request to the ECU at `target`, and the data bytes of an answer.
inline Bytes request(const Bytes& data, std::uint8_t target = 0x10, std::uint8_t source = 0xF1) {
    return proto::buildKwpFrame(proto::KwpAddressing::Physical, target, source, data);
}
inline Bytes dataOf(const Bytes& frame) {
    return frame.size() < 5 ? Bytes{} : Bytes(frame.begin() + 3, frame.end() - 1);
}
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
    KLineOutput& deviceOutput() { return adapter_.output(cable); }  // lets the device speak first

    // Writes the bytes with `gap` before each; requestEnd is when the last one is off the line.
    void write(const Bytes& data, Clock::Duration gap = 6ms) {
        for (const std::uint8_t b : data) {
            clock.sleepFor(gap);
            put(b);
        }
        requestEnd = lineFree_;
    }
    Bytes listen(Clock::Duration window) {  // everything heard during `window`
        clock.sleepFor(window);
        return collect(0, 100000, 0ms);
    }
    // One-byte exchange: the request, its echo, then up to `count` bytes within `timeout`.
    Bytes exchange(const Bytes& data, std::size_t count = 1, Clock::Duration timeout = 500ms) {
        cable.purge();
        write(data);
        return collect(data.size(), count, timeout);
    }
    Bytes hear(std::size_t count, Clock::Duration timeout) { return exchange({}, count, timeout); }
    // Sends a KWP2000 frame, checks its echo and reads the answer frame by its
    // length; empty when nothing starts within `timeout`. A bad checksum fails unless `badSumOk`.
    Bytes ask(const Bytes& frame, Clock::Duration timeout = 500ms, bool badSumOk = false) {
        cable.purge();
        write(frame);
        EXPECT_BYTES(collect(0, frame.size(), requestEnd + 5ms - clock.now()), frame) << "the echo";
        const Bytes answer = readFrame(requestEnd + timeout);
        const bool sumOk = answer.size() >= 2 && proto::kwpChecksum(answer.data(), answer.size() - 1) == answer.back();
        EXPECT_TRUE(answer.empty() || badSumOk || sumOk) << hex(answer);
        return answer;
    }
    Bytes askData(const Bytes& data) { return dataOf(ask(request(data))); }
    // Reads one answer frame from the queue by its length, waiting until `deadline`; less when cut short.
    Bytes readFrame(Clock::TimePoint deadline) {
        Bytes answer;
        for (int length = 0; length == 0 || answer.size() < static_cast<std::size_t>(length);) {
            if (cable.waitForQueue(1, deadline) == 0) return answer;
            cable.read(1, answer);
            if (answer.size() == 1) firstAnswerEnd = clock.now();
            if ((length = proto::kwpFrameLength(answer.data(), answer.size())) < 0) return answer;
        }
        lastAnswerEnd = clock.now();
        return answer;
    }
    // From the end of the request to the start of the answer's first byte.
    Clock::Duration answerDelay() const { return firstAnswerEnd - byteTime(cable.baudRate()) - requestEnd; }

    void fastWake(Clock::Duration low = 25ms, Clock::Duration high = 25ms) {
        cable.breakOn();
        clock.sleepFor(low);
        cable.breakOff();
        clock.sleepFor(high);
    }
    // Fast wake-up by 0xF0 at 200 baud; `settle` before going back to 10400.
    void fastWakeByByte(Clock::Duration settle) {
        cable.setBaudRate(200);
        clock.sleepFor(100ms);
        put(0xF0);
        clock.sleepFor(settle);
        cable.setBaudRate(10400);
    }
    // The address at 5 baud by break control: start bit, data bits (LSB first), stop bit's release.
    void fiveBaud(std::uint8_t address) {
        for (int i = -1; i < 8; ++i) {
            (i >= 0 && ((address >> i) & 1) != 0) ? cable.breakOff() : cable.breakOn();
            clock.sleepFor(200ms);
        }
        cable.breakOff();
    }

    base::VirtualClock clock{Clock::TimePoint{} + 10s};
    ports::SimCable cable{clock};
    Clock::TimePoint requestEnd{}, firstAnswerEnd{}, lastAnswerEnd{};

private:
    void put(std::uint8_t b) {  // on the line once the previous byte is out
        lineFree_ = std::max(clock.now(), lineFree_) + byteTime(cable.baudRate());
        cable.write(b);
    }
    // Up to `count` bytes after `skip` (the echo) within `timeout`.
    Bytes collect(std::size_t skip, std::size_t count, Clock::Duration timeout) {
        cable.waitForQueue(static_cast<std::uint32_t>(skip + count), clock.now() + timeout);
        Bytes all;
        cable.read(static_cast<std::uint32_t>(skip + count), all);
        return all.size() <= skip ? Bytes{} : Bytes(all.begin() + static_cast<std::ptrdiff_t>(skip), all.end());
    }
    Clock::TimePoint lineFree_{};
    twin::SimCableAdapter adapter_;
};

// A 59M-like ECU's answer, and a request with the ELM327's default functional header, as hex.
inline std::string kwpAnswer(const std::string& data) {
    return proto::toHex(proto::buildKwpFrame(proto::KwpAddressing::Physical, 0xF1, 0x10, proto::fromHex(data)));
}
inline std::string functionalRequest(const std::string& data) {
    return proto::toHex(proto::buildKwpFrame(proto::KwpAddressing::Functional, 0x33, 0xF1, proto::fromHex(data)));
}

// Answers whole scripted frames P2 after them, once woken by a 25 ms low pulse.
class ScriptedKwpEcu : public KLineDevice {
public:
    std::map<std::string, std::string> answers{{functionalRequest("81"), kwpAnswer("C1EF8F")},
                                               {functionalRequest("21A0"), kwpAnswer("61A0")},
                                               {functionalRequest("1A92"), kwpAnswer("5A9249415735414D485730313053")},
                                               {functionalRequest("3E"), kwpAnswer("7E")}};
    Clock::Duration p2 = 25ms;
    std::vector<std::pair<std::string, Clock::TimePoint>> heard;  // frames, with their last byte's end
    int wakeUps = 0;

    void onBreak(KLineOutput&, Clock::TimePoint t, bool low) override {
        if (!low && t - lowAt_ >= 24ms && t - lowAt_ <= 26ms) ++wakeUps;
        lowAt_ = low ? t : lowAt_;
        pending_.clear();
    }
    void onTesterByte(KLineOutput& out, Clock::TimePoint end, std::uint8_t byte, std::uint32_t baud) override {
        if (baud != 10400) return;
        if (!pending_.empty() && end - last_ > 25ms) pending_.clear();
        last_ = end;
        pending_.push_back(byte);
        const int want = proto::kwpFrameLength(pending_.data(), pending_.size());
        if (want <= 0 || pending_.size() < static_cast<std::size_t>(want)) return;
        heard.emplace_back(proto::toHex(pending_), end);
        pending_.clear();
        const auto it = answers.find(heard.back().first);
        if (wakeUps == 0 || it == answers.end()) return;
        auto start = end + p2;
        for (const std::uint8_t b : proto::fromHex(it->second))
            out.send(start, b, 10400), start += KLineDriver::byteTime();
    }

private:
    Clock::TimePoint lowAt_{}, last_{};
    Bytes pending_;
};

class ElmBench {
public:
    explicit ElmBench(Elm327Profile profile = Elm327Profile::genuine()) : elm(std::move(profile)), port(clock, elm) {
        elm.setEcu(&ecu);
        port.setDevicePath("/dev/sim-elm");
        port.open();
    }
    // As the program: drop what waits, write, read until the prompt or the time-out.
    std::string exchange(const std::string& text, Clock::Duration timeout = 2s) { return talk(text, timeout, true); }
    // Sends (if anything) and collects everything the adapter says within `d`.
    std::string send(const std::string& text, Clock::Duration d = 1s) { return talk(text, d, false); }
    std::string talk(const std::string& text, Clock::Duration d, bool toPrompt) {
        if (toPrompt) port.input();
        port.output(text);
        const auto deadline = clock.now() + d;
        std::string out;
        while ((!toPrompt || out.find('>') == std::string::npos) && clock.now() < deadline) {
            port.waitForInput(toPrompt ? 1 : 1 << 20, deadline);
            out += port.input();
        }
        return visible(toPrompt ? out : out + port.input());
    }
    static std::string visible(const std::string& s) {
        std::string out;
        for (const char c : s)
            out += c == '\r' ? std::string("\\r") : c == '\n' ? std::string("\\n") : std::string(1, c);
        return out;
    }

    base::VirtualClock clock;
    ScriptedKwpEcu ecu;
    Elm327Emulator elm;
    twin::Elm327SerialPort port;
};

}  // namespace dravio::sim::testing
