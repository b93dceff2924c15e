// twin: simulated devices put behind the program's simulated ports: an ECU
// behind the simulated K-line cable, an ELM327 adapter or a lambda source behind
// the simulated serial port. The simulators themselves (sim) know nothing of
// the ports; this library joins the two.
#pragma once

#include <cstdint>

#include "base/clock.h"
#include "ports/sim_cable.h"
#include "sim/kline_device.h"

namespace dravio::twin {

// Puts a device behind a simulated cable.
class SimCableAdapter final : public ports::SimPeer, private sim::KLineOutput {
public:
    explicit SimCableAdapter(sim::KLineDevice& device) : device_(device) {}

    void onTesterByte(ports::SimCable& line, base::Clock::TimePoint end, std::uint8_t byte, std::uint32_t baud) override {
        line_ = &line;
        device_.onTesterByte(*this, end, byte, baud);
    }
    void onBreak(ports::SimCable& line, base::Clock::TimePoint t, bool low) override {
        line_ = &line;
        device_.onBreak(*this, t, low);
    }
    void onBaudChange(ports::SimCable& line, base::Clock::TimePoint t, std::uint32_t baud) override {
        line_ = &line;
        device_.onBaudChange(*this, t, baud);
    }
    // Lets a device speak first (a power-on code after key-on).
    sim::KLineOutput& output(ports::SimCable& line) {
        line_ = &line;
        return *this;
    }

private:
    void send(base::Clock::TimePoint start, std::uint8_t byte, std::uint32_t baud) override {
        if (line_ != nullptr) line_->sendFromPeer(start, byte, baud);
    }

    sim::KLineDevice& device_;
    ports::SimCable* line_ = nullptr;
};

}  // namespace dravio::twin
