// ports: a cable that reports every byte it carries, both ways, with its time,
// its direction and the baud rate; for the raw-traffic console.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/clock.h"
#include "ports/kline_cable.h"

namespace dravio::ports {

struct TrafficEvent {
    enum class Kind { Sent, Received, BreakOn, BreakOff, Baud };
    base::Clock::TimePoint t;
    Kind kind;
    std::vector<std::uint8_t> bytes;
    std::uint32_t baud = 0;
};

// "12.3456 T> 81 10 F1 81 03 (10400 bd)": seconds since `origin`, direction, bytes.
std::string formatTraffic(const TrafficEvent& event, base::Clock::TimePoint origin);

class TrafficCable final : public KLineCable {
public:
    using Listener = std::function<void(const TrafficEvent&)>;

    TrafficCable(KLineCable& inner, base::Clock& clock, Listener listener);

    int deviceCount(std::uint32_t& count) override { return inner_.deviceCount(count); }
    int deviceDescription(std::uint32_t index, std::string& description) override {
        return inner_.deviceDescription(index, description);
    }
    int open(const std::string& description) override { return inner_.open(description); }
    int reset() override { return inner_.reset(); }
    int purge() override { return inner_.purge(); }
    int setBaudRate(std::uint32_t baud) override;
    int setDataCharacteristics8N1() override { return inner_.setDataCharacteristics8N1(); }
    int write(std::uint8_t byte) override;
    int queueStatus(std::uint32_t& count) override { return inner_.queueStatus(count); }
    int read(std::uint32_t count, std::vector<std::uint8_t>& out) override;
    int breakOn() override;
    int breakOff() override;
    int close() override { return inner_.close(); }
    bool isOpen() const override { return inner_.isOpen(); }
    std::uint32_t waitForQueue(std::uint32_t count, base::Clock::TimePoint deadline) override {
        return inner_.waitForQueue(count, deadline);
    }
    std::string lastError() const override { return inner_.lastError(); }
    bool gone() const override { return inner_.gone(); }

private:
    void report(TrafficEvent::Kind kind, std::vector<std::uint8_t> bytes = {});

    KLineCable& inner_;
    base::Clock& clock_;
    Listener listener_;
    std::uint32_t baud_ = 0;
};

}  // namespace dravio::ports
