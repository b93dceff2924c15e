// Test support for the ELM327 emulator: a KWP2000 ECU that answers scripted
// frames after a fast wake-up, and a bench that talks to the adapter through
// its serial port on a virtual clock, the way the program does.
#pragma once

#include <chrono>
#include <map>
#include <string>
#include <vector>

#include "base/clock.h"
#include "proto/hex.h"
#include "proto/kwp_frame.h"
#include "sim/elm327_emulator.h"
#include "sim/elm327_serial_port.h"

namespace dravio::testing {

using namespace std::chrono_literals;
using base::Clock;

// A 59M-like ECU's answer, and a request with the adapter's default functional header, as hex.
inline std::string kwpAnswer(const std::string& data) {
    return proto::toHex(proto::buildKwpFrame(proto::KwpAddressing::Physical, 0xF1, 0x10, proto::fromHex(data)));
}
inline std::string functionalRequest(const std::string& data) {
    return proto::toHex(proto::buildKwpFrame(proto::KwpAddressing::Functional, 0x33, 0xF1, proto::fromHex(data)));
}

class ScriptedKwpEcu : public sim::KLineDevice {
public:
    // Whole request frame as hex -> the answer frames, concatenated, as hex.
    std::map<std::string, std::string> answers{{functionalRequest("81"), kwpAnswer("C1EF8F")},
                                               {functionalRequest("21A0"), kwpAnswer("61A0")},
                                               {functionalRequest("1A92"), kwpAnswer("5A9249415735414D485730313053")},
                                               {functionalRequest("3E"), kwpAnswer("7E")}};
    Clock::Duration p2 = 25ms;
    // Every complete frame heard, as hex, with the end time of its last byte.
    std::vector<std::pair<std::string, Clock::TimePoint>> heard;
    int wakeUps = 0;

    void onBreak(sim::KLineOutput&, Clock::TimePoint t, bool low) override {
        if (low) {
            lowAt_ = t;
        } else if (t - lowAt_ >= 24ms && t - lowAt_ <= 26ms) {
            ++wakeUps;
            awake_ = true;
            pending_.clear();
        }
    }

    void onTesterByte(sim::KLineOutput& out, Clock::TimePoint end, std::uint8_t byte, std::uint32_t baud) override {
        if (baud != 10400) return;
        if (!pending_.empty() && end - last_ > 25ms) pending_.clear();
        last_ = end;
        pending_.push_back(byte);
        const int want = proto::kwpFrameLength(pending_.data(), pending_.size());
        if (want <= 0 || pending_.size() < static_cast<std::size_t>(want)) return;
        const std::string frame = proto::toHex(pending_);
        pending_.clear();
        heard.emplace_back(frame, end);
        const auto it = answers.find(frame);
        if (!awake_ || it == answers.end()) return;
        auto start = end + p2;
        for (const std::uint8_t b : proto::fromHex(it->second)) {
            out.send(start, b, 10400);
            start += ports::SimCable::byteTime(10400);
        }
    }

    std::vector<std::string> heardFrames() const {
        std::vector<std::string> out;
        for (const auto& h : heard) out.push_back(h.first);
        return out;
    }

private:
    Clock::TimePoint lowAt_{}, last_{};
    bool awake_ = false;
    std::vector<std::uint8_t> pending_;
};

class ElmBench {
public:
    explicit ElmBench(sim::Elm327Profile profile = sim::Elm327Profile::genuine())
        : elm(std::move(profile)), port(clock, elm) {
        elm.setEcu(&ecu);
        port.setDevicePath("/dev/sim-elm");
        port.open();
    }

    // What the program's exchange does: drop what waits, write, read until the
    // prompt or the time-out.
    std::string exchange(const std::string& text, std::chrono::milliseconds timeout = 2000ms) {
        port.input();
        port.output(text);
        const auto deadline = clock.now() + timeout;
        std::string answer;
        while (answer.find('>') == std::string::npos && clock.now() < deadline) {
            port.waitForInput(1, deadline);
            answer += port.input();
        }
        return answer;
    }
    // Sends (if anything) and collects everything the adapter says within `d`.
    std::string send(const std::string& text, Clock::Duration d = 1s) {
        port.output(text);
        const auto deadline = clock.now() + d;
        std::string out;
        while (clock.now() < deadline) {
            port.waitForInput(1 << 20, deadline);
            out += port.input();
        }
        return out + port.input();
    }

    base::VirtualClock clock;
    ScriptedKwpEcu ecu;
    sim::Elm327Emulator elm;
    sim::Elm327SerialPort port;
};

// Control characters made visible for failure messages.
inline std::string visible(const std::string& s) {
    std::string out;
    for (const char c : s) out += c == '\r' ? std::string("\\r") : c == '\n' ? std::string("\\n") : std::string(1, c);
    return out;
}

}  // namespace dravio::testing
