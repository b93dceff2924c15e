// sim: a generic OBD-II engine ECU behind KWP2000 frames: service 01 live
// values, service 03 fault codes, fault status and clearing, with the same
// wake-ups, session and timing as the 59M/5AM unit.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "sim/engine_model.h"
#include "sim/kwp_session.h"

namespace dravio::sim {

struct ObdScenario {
    std::vector<EngineFault> faults;  // codes in the two-byte SAE form (0x0201 is P0201)
    std::uint32_t seed = 1;           // engine model seed
};

class ObdEcu final : public KwpSession {
public:
    explicit ObdEcu(ObdScenario scenario = {}, KwpSessionOptions options = {});

    EngineModel& engine() { return engine_; }
    const EngineModel& engine() const { return engine_; }

    // The service 01 parameters this ECU answers, in ascending order.
    static const std::vector<std::uint8_t>& supportedPids();

protected:
    std::optional<std::vector<std::uint8_t>> answerRequest(const proto::KwpFrame& request, Clock::TimePoint end) override;

private:
    std::vector<std::uint8_t> currentData(const std::vector<std::uint8_t>& d, Clock::TimePoint t) const;
    std::vector<std::uint8_t> troubleCodes() const;
    std::vector<std::uint8_t> faultStatus(const std::vector<std::uint8_t>& d) const;

    EngineModel engine_;
};

}  // namespace dravio::sim
