#include "sim/dlp_module.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace dravio::sim {

void DlpModule::setVolts(int input, float volts) { volts_[static_cast<std::size_t>(std::clamp(input, 0, 1))] = volts; }

std::string DlpModule::answer(int input) const {
    const float volts = std::clamp(volts_[static_cast<std::size_t>(input)], 0.0f, 5.0f);
    if (binary_) {
        const int raw = std::clamp(static_cast<int>(std::lround(volts * 1024 / 5)), 0, 1023);
        return {static_cast<char>(raw >> 8), static_cast<char>(raw & 0xFF)};
    }
    char text[16];
    std::snprintf(text, sizeof text, "%.2fV", static_cast<double>(volts));
    return text;
}

void DlpModule::received(Clock::TimePoint t, std::string_view bytes) {
    for (const char c : bytes) {
        if (c == '\\') {
            binary_ = true;
        } else if ((c == 'Z' || c == 'X') && !silent_) {
            pending_.emplace_back(t + kConversion, answer(c == 'Z' ? 0 : 1));
        }
    }
}

std::string DlpModule::takeDue(Clock::TimePoint now) {
    std::string out;
    while (!pending_.empty() && pending_.front().first <= now) {
        out += pending_.front().second;
        pending_.pop_front();
    }
    return out;
}

Clock::TimePoint DlpModule::nextDue() const {
    return pending_.empty() ? Clock::TimePoint::max() : pending_.front().first;
}

}  // namespace dravio::sim
