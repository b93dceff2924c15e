// sim: the K-line side of the ELM327 emulator. The adapter is the tester here:
// it pulls the line for the wake-up patterns, sends framed requests at 10400
// baud and hears what the simulated ECU answers, each byte with its time.
#pragma once

#include <cstdint>
#include <vector>

#include "sim/kline_device.h"

namespace dravio::sim {

class Elm327Bus final : private KLineOutput {
public:
    static constexpr std::uint32_t kBaud = 10400;

    struct Heard {
        Clock::TimePoint at;  // fully received
        std::uint8_t byte;
    };

    explicit Elm327Bus(KLineDevice* device = nullptr) : device_(device) {}
    Elm327Bus(const Elm327Bus&) = delete;
    Elm327Bus& operator=(const Elm327Bus&) = delete;

    // nullptr leaves the line empty: nothing ever answers.
    void setDevice(KLineDevice* device);
    bool hasDevice() const { return device_ != nullptr; }

    // The last moment anything moved on the line (either side); min() when never.
    Clock::TimePoint lastActivity() const { return lastActivity_; }

    // ISO 14230 fast initialisation from `t`: 25 ms low, 25 ms high. Returns
    // the end of the pattern.
    Clock::TimePoint fastWakeUp(Clock::TimePoint t);
    // The address byte at 5 baud from `t` (start bit, 8 data bits LSB first,
    // stop bit) drawn with the line's level. Returns the end of the stop bit.
    Clock::TimePoint fiveBaudAddress(Clock::TimePoint t, std::uint8_t address);
    // Sends `bytes` from `t`, keeping `gap` between the end of one byte and the
    // start of the next. Returns the end of the last byte.
    Clock::TimePoint transmit(Clock::TimePoint t, const std::vector<std::uint8_t>& bytes, Clock::Duration gap);

    // ECU bytes fully received after `from`, in order of arrival.
    std::vector<Heard> heardAfter(Clock::TimePoint from) const;
    // Drops what arrived before `t`, so that the record stays small.
    void forgetBefore(Clock::TimePoint t);

    static Clock::Duration byteTime(std::uint32_t baud);

private:
    void send(Clock::TimePoint start, std::uint8_t byte, std::uint32_t baud) override;
    void level(Clock::TimePoint t, bool low);
    void touch(Clock::TimePoint t);

    KLineDevice* device_ = nullptr;
    bool announced_ = false;
    Clock::TimePoint lastActivity_ = Clock::TimePoint::min();
    Clock::TimePoint ecuLineFree_ = Clock::TimePoint::min();
    std::vector<Heard> heard_;  // ordered by arrival
};

}  // namespace dravio::sim
