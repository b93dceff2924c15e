#include "sim/elm327_bus.h"

#include <algorithm>

namespace dravio::sim {

using namespace std::chrono_literals;

Clock::Duration Elm327Bus::byteTime(std::uint32_t baud) {
    if (baud == 0) return Clock::Duration::zero();
    return std::chrono::nanoseconds(10'000'000'000LL / baud);
}

void Elm327Bus::setDevice(KLineDevice* device) {
    device_ = device;
    announced_ = false;
}

void Elm327Bus::touch(Clock::TimePoint t) { lastActivity_ = std::max(lastActivity_, t); }

void Elm327Bus::level(Clock::TimePoint t, bool low) {
    touch(t);
    if (device_) device_->onBreak(*this, t, low);
}

Clock::TimePoint Elm327Bus::fastWakeUp(Clock::TimePoint t) {
    level(t, true);
    level(t + 25ms, false);
    touch(t + 50ms);
    return t + 50ms;
}

Clock::TimePoint Elm327Bus::fiveBaudAddress(Clock::TimePoint t, std::uint8_t address) {
    constexpr auto bit = 200ms;
    // Start bit, then one edge per change of level among the data bits.
    bool low = true;
    level(t, true);
    for (int i = 0; i < 8; ++i) {
        const bool bitLow = ((address >> i) & 1) == 0;
        if (bitLow != low) {
            low = bitLow;
            level(t + bit * (i + 1), low);
        }
    }
    if (low) level(t + bit * 9, false);
    touch(t + bit * 10);
    return t + bit * 10;
}

Clock::TimePoint Elm327Bus::transmit(Clock::TimePoint t, const std::vector<std::uint8_t>& bytes, Clock::Duration gap) {
    if (device_ && !announced_) {
        device_->onBaudChange(*this, t, kBaud);
        announced_ = true;
    }
    auto start = t;
    auto end = t;
    for (const std::uint8_t b : bytes) {
        end = start + byteTime(kBaud);
        touch(end);
        if (device_) device_->onTesterByte(*this, end, b, kBaud);
        start = end + gap;
    }
    return end;
}

void Elm327Bus::send(Clock::TimePoint start, std::uint8_t byte, std::uint32_t baud) {
    const auto begin = std::max(start, ecuLineFree_);
    const auto arrives = begin + byteTime(baud);
    ecuLineFree_ = arrives;
    touch(arrives);
    // The adapter's UART runs at 10400: a byte at another rate is noise.
    if (baud != kBaud) return;
    const Heard item{arrives, byte};
    const auto at = std::upper_bound(heard_.begin(), heard_.end(), item,
                                     [](const Heard& a, const Heard& b) { return a.at < b.at; });
    heard_.insert(at, item);
}

std::vector<Elm327Bus::Heard> Elm327Bus::heardAfter(Clock::TimePoint from) const {
    std::vector<Heard> out;
    for (const auto& h : heard_) {
        if (h.at > from) out.push_back(h);
    }
    return out;
}

void Elm327Bus::forgetBefore(Clock::TimePoint t) {
    heard_.erase(std::remove_if(heard_.begin(), heard_.end(), [t](const Heard& h) { return h.at < t; }), heard_.end());
}

}  // namespace dravio::sim
