// Test support: a K-line peer that answers fixed request frames after P2, enough
// to drive the exchange engine without a full simulated ECU.
#pragma once

#include <chrono>
#include <map>
#include <string>

#include "proto/hex.h"
#include "ports/sim_cable.h"

namespace dravio::testing {

class ScriptedEcu : public ports::SimPeer {
public:
    using Clock = base::Clock;

    // Line text of a request -> the whole answer frame as hex text.
    std::map<std::string, std::string> answers;
    // Time between the end of the request and the first answer byte.
    Clock::Duration p2 = std::chrono::milliseconds(25);
    // Requests ignored this many times before they are answered.
    std::map<std::string, int> ignoreFirst;
    // Gap between two bytes the tester sends that starts a new request.
    Clock::Duration newRequestGap = std::chrono::milliseconds(20);

    void onTesterByte(ports::SimCable& line, Clock::TimePoint end, std::uint8_t byte, std::uint32_t baud) override {
        if (heardAny_ && end - lastByte_ > newRequestGap) pending_.clear();
        heardAny_ = true;
        lastByte_ = end;
        pending_ += proto::ByteToHex(byte);
        const auto it = answers.find(pending_);
        if (it == answers.end()) return;
        pending_.clear();
        if (auto skip = ignoreFirst.find(it->first); skip != ignoreFirst.end() && skip->second > 0) {
            --skip->second;
            return;
        }
        for (const std::uint8_t b : proto::fromHex(it->second)) line.sendFromPeer(end + p2, b, baud);
    }

private:
    std::string pending_;
    Clock::TimePoint lastByte_{};
    bool heardAny_ = false;
};

}  // namespace dravio::testing
