// sim: a DLP-IO8 module with two analog inputs wired to a controller's output.
// "\" switches it to binary answers; "Z" and "X" read inputs 1 and 2: two
// bytes (10-bit count of 5 V) in binary mode, the volts as text otherwise.
#pragma once

#include <array>
#include <deque>

#include "sim/serial_source.h"

namespace dravio::sim {

class DlpModule final : public SerialSource {
public:
    static constexpr auto kConversion = std::chrono::microseconds(500);

    void setVolts(int input, float volts);  // input 0 or 1
    // Answers stop coming, as when the module is unplugged mid-way.
    void setSilent(bool silent) { silent_ = silent; }
    bool binary() const { return binary_; }

    void received(Clock::TimePoint t, std::string_view bytes) override;
    std::string takeDue(Clock::TimePoint now) override;
    Clock::TimePoint nextDue() const override;

private:
    std::string answer(int input) const;

    std::array<float, 2> volts_{};
    bool binary_ = false;
    bool silent_ = false;
    std::deque<std::pair<Clock::TimePoint, std::string>> pending_;
};

}  // namespace dravio::sim
