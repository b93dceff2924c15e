// Test support for the ELM327 emulator: a small KWP2000 ECU that answers
// scripted frames after a fast wake-up, and a bench that talks to the adapter
// through its serial port on a virtual clock, the way the program does.
#pragma once

#include <chrono>
#include <map>
#include <string>
#include <vector>

#include "base/clock.h"
#include "base/hex.h"
#include "sim/elm327_emulator.h"
#include "sim/elm327_serial_port.h"

namespace dravio::testing {

using namespace std::chrono_literals;
using base::Clock;

class ScriptedKwpEcu : public sim::KLineDevice {
public:
    // Whole request frame as hex -> the answer frames, concatenated, as hex.
    std::map<std::string, std::string> answers;
    Clock::Duration p2 = 25ms;
    // Every complete frame heard, as hex, with the end time of its last byte.
    std::vector<std::pair<std::string, Clock::TimePoint>> heard;
    int wakeUps = 0;

    void onBreak(sim::KLineOutput&, Clock::TimePoint t, bool low) override {
        if (low) {
            lowAt_ = t;
            return;
        }
        const auto held = t - lowAt_;
        if (held >= 24ms && held <= 26ms) {
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
        const std::size_t want = static_cast<std::size_t>(pending_[0] & 0x3F) + 4;
        if (pending_.size() < want) return;
        const std::string frame = base::toHex(pending_);
        pending_.clear();
        heard.emplace_back(frame, end);
        if (!awake_) return;
        const auto it = answers.find(frame);
        if (it == answers.end()) return;
        auto start = end + p2;
        for (const std::uint8_t b : base::fromHex(it->second)) {
            out.send(start, b, 10400);
            start += std::chrono::nanoseconds(10'000'000'000LL / 10400);
        }
    }

    std::vector<std::string> heardFrames() const {
        std::vector<std::string> out;
        for (const auto& h : heard) out.push_back(h.first);
        return out;
    }

private:
    Clock::TimePoint lowAt_{};
    Clock::TimePoint last_{};
    bool awake_ = false;
    std::vector<std::uint8_t> pending_;
};

// Frames of a 59M-like ECU behind the adapter's default functional header.
inline std::string kwpAnswer(const std::string& data) {
    const std::string head = base::ByteToHex(0x80 + static_cast<int>(data.size() / 2)) + "F110" + data;
    return head + base::CalculChecksum(head);
}
inline std::string functionalRequest(const std::string& data) {
    const std::string head = base::ByteToHex(0xC0 + static_cast<int>(data.size() / 2)) + "33F1" + data;
    return head + base::CalculChecksum(head);
}

inline void scriptDefaultEcu(ScriptedKwpEcu& ecu) {
    ecu.answers[functionalRequest("81")] = kwpAnswer("C1EF8F");
    ecu.answers[functionalRequest("21A0")] = kwpAnswer("61A0" + std::string(40, '0'));
    ecu.answers[functionalRequest("1A92")] = kwpAnswer("5A9249415735414D485730313053");
    ecu.answers[functionalRequest("3E")] = kwpAnswer("7E");
}

class ElmBench {
public:
    explicit ElmBench(sim::Elm327Profile profile = sim::Elm327Profile::genuine())
        : elm(std::move(profile)), port(clock, elm) {
        elm.setEcu(&ecu);
        port.setDevicePath("/dev/sim-elm");
        port.open();
    }

    // What the program's ELM327 exchange does: drop what waits, write, read
    // until the prompt or the time-out.
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
    // Everything the adapter says within `d`.
    std::string listen(Clock::Duration d) {
        const auto deadline = clock.now() + d;
        std::string out;
        while (clock.now() < deadline) {
            port.waitForInput(1 << 20, deadline);
            out += port.input();
        }
        out += port.input();
        return out;
    }
    // Sends and collects everything for `d`.
    std::string send(const std::string& text, Clock::Duration d = 1s) {
        port.output(text);
        return listen(d);
    }

    base::VirtualClock clock;
    ScriptedKwpEcu ecu;
    sim::Elm327Emulator elm;
    sim::Elm327SerialPort port;
};

// Control characters made visible for failure messages.
inline std::string visible(const std::string& s) {
    std::string out;
    for (const char c : s) {
        if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace dravio::testing
