#include "sim/mts_stream.h"

#include <algorithm>
#include <cmath>

namespace dravio::sim {
namespace {

constexpr int kStoichiometric = 147;   // AFR x 10 for petrol
constexpr std::int64_t kMaxBurst = 8;  // packets kept when a reader falls behind

// Function codes of a lambda sub-packet.
constexpr int kLambdaValid = 0;
constexpr int kFreeAirCalibration = 2;
constexpr int kWarmingUp = 4;
constexpr int kErrorCode = 6;

void appendSubPacket(std::string& out, int function, int af, int lambda) {
    lambda = std::clamp(lambda, 0, 8191);
    out.push_back(static_cast<char>(0x42 | (function << 2) | ((af >> 7) & 0x01)));
    out.push_back(static_cast<char>(af & 0x7F));
    out.push_back(static_cast<char>((lambda >> 7) & 0x3F));
    out.push_back(static_cast<char>(lambda & 0x7F));
}

}  // namespace

MtsStream::MtsStream(Clock::TimePoint origin, int controllers)
    : origin_(origin), controllers_(std::clamp(controllers, 1, 2)) {}

MtsStream::Controller& MtsStream::controller(int index) {
    return state_[static_cast<std::size_t>(std::clamp(index, 0, 1))];
}

void MtsStream::setLambda(int index, float lambda) { controller(index) = {State::Lambda, lambda}; }
void MtsStream::setWarmingUp(int index, float percent) { controller(index) = {State::WarmingUp, percent}; }
void MtsStream::setFreeAirCalibration(int index) { controller(index) = {State::FreeAirCalibration, 0}; }
void MtsStream::setError(int index, int code) { controller(index) = {State::Error, static_cast<float>(code)}; }

void MtsStream::playWarmUpThenSweep(Clock::Duration warmUp) { warmUp_ = warmUp; }

void MtsStream::applyScenario(Clock::Duration sinceStart) {
    if (!warmUp_) return;
    const double seconds = std::chrono::duration<double>(sinceStart).count();
    const double warmUp = std::chrono::duration<double>(*warmUp_).count();
    for (int i = 0; i < controllers_; ++i) {
        if (seconds < warmUp) {
            setWarmingUp(i, static_cast<float>(100.0 * seconds / warmUp));
        } else {
            // The second controller lags the first by a quarter turn: two distinct traces.
            const double phase = (seconds - warmUp) / 8.0 * 2 * 3.14159265358979 + i * 1.5707963;
            setLambda(i, static_cast<float>(1.0 + 0.15 * std::sin(phase)));
        }
    }
}

std::string MtsStream::packet() const {
    const int words = 2 * controllers_;
    std::string out;
    out.push_back(static_cast<char>(0xB2 | ((words >> 7) & 0x01)));
    out.push_back(static_cast<char>(0x80 | (words & 0x7F)));
    for (int i = 0; i < controllers_; ++i) {
        const Controller& c = state_[static_cast<std::size_t>(i)];
        switch (c.state) {
            case State::Lambda:
                appendSubPacket(out, kLambdaValid, kStoichiometric,
                                static_cast<int>(std::lround(c.value * 1000 - 500)));
                break;
            case State::WarmingUp:
                appendSubPacket(out, kWarmingUp, kStoichiometric, static_cast<int>(std::lround(c.value * 10)));
                break;
            case State::FreeAirCalibration:
                appendSubPacket(out, kFreeAirCalibration, kStoichiometric, 500);
                break;
            case State::Error:
                appendSubPacket(out, kErrorCode, kStoichiometric, static_cast<int>(c.value));
                break;
        }
    }
    return out;
}

Clock::TimePoint MtsStream::nextDue() const {
    return origin_ + std::chrono::duration_cast<Clock::Duration>(kPeriod * next_);
}

std::string MtsStream::takeDue(Clock::TimePoint now) {
    if (now < nextDue()) return {};
    const auto elapsed = std::chrono::duration_cast<Clock::Duration>(now - origin_);
    const std::int64_t last = elapsed / std::chrono::duration_cast<Clock::Duration>(kPeriod);
    // The controller does not wait for a slow reader; only the newest packets matter.
    next_ = std::max(next_, last - kMaxBurst + 1);
    std::string out;
    for (; next_ <= last; ++next_) {
        applyScenario(std::chrono::duration_cast<Clock::Duration>(kPeriod * next_));
        out += packet();
    }
    return out;
}

}  // namespace dravio::sim
