// sim: an LC-1 style wideband controller on its serial line: an MTS data
// packet every 81.92 ms with one lambda sub-packet per chained controller,
// showing lambda, warm-up, free-air calibration or an error code.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "sim/serial_source.h"

namespace dravio::sim {

class MtsStream final : public SerialSource {
public:
    static constexpr auto kPeriod = std::chrono::microseconds(81920);

    enum class State { Lambda, WarmingUp, FreeAirCalibration, Error };

    // `controllers`: lambda sub-packets per packet (1 for a lone LC-1, 2 for two chained).
    explicit MtsStream(Clock::TimePoint origin, int controllers = 2);

    // What controller `index` reports from the next packet on.
    void setLambda(int index, float lambda);  // lambda 1.0 = stoichiometric (AFR 14.7)
    void setWarmingUp(int index, float percent);
    void setFreeAirCalibration(int index);
    void setError(int index, int code);

    // Bench scenario: both controllers warm up over `warmUp`, then report a
    // lambda sweeping slowly between 0.85 and 1.15. Set states win until then.
    void playWarmUpThenSweep(Clock::Duration warmUp);

    // One packet as the controllers would send it now.
    std::string packet() const;

    void received(Clock::TimePoint, std::string_view) override {}  // an LC-1 only talks
    std::string takeDue(Clock::TimePoint now) override;
    Clock::TimePoint nextDue() const override;

private:
    struct Controller {
        State state = State::WarmingUp;
        float value = 0;  // lambda, percent or error code by state
    };
    Controller& controller(int index);
    void applyScenario(Clock::Duration sinceStart);

    Clock::TimePoint origin_;
    std::int64_t next_ = 1;  // index of the next packet due
    int controllers_;
    std::array<Controller, 2> state_{};
    std::optional<Clock::Duration> warmUp_;
};

}  // namespace dravio::sim
