// sim: a 59M or 5AM engine control unit on the K-line, speaking KWP2000 at
// 10400 baud from the address 0x10: identification, live values by local
// identifier, fault memory, actuator tests, trimmer, stepper motor and the
// throttle-position reset routine, all reporting on an EngineModel.
//
//   KwpEcu ecu(KwpScenario::m5a());              // asleep until woken
//   KwpSessionOptions o; o.startAwake = true;
//   KwpEcu awake(KwpScenario::m59(), o);         // answers at once
//   twin::SimCableAdapter adapter(ecu); cable.setPeer(&adapter);
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "sim/engine_model.h"
#include "sim/kwp_scenario.h"
#include "sim/kwp_session.h"

namespace dravio::sim {

class KwpEcu final : public KwpSession {
public:
    explicit KwpEcu(KwpScenario scenario = KwpScenario::m59(), KwpSessionOptions options = {});

    EngineModel& engine() { return engine_; }
    const EngineModel& engine() const { return engine_; }
    const KwpScenario& scenario() const { return scenario_; }
    // Chassis switches and immobiliser may change while the ECU runs.
    KwpChassis& chassis() { return scenario_.chassis; }
    void setImmobiliser(std::uint8_t status) { scenario_.immobiliser = status; }
    int storedTrimmer() const { return scenario_.storedTrimmer; }

    // How long each output test lasts, by local identifier (0 when none).
    static Clock::Duration testDuration(std::uint8_t localId);

protected:
    std::optional<std::vector<std::uint8_t>> answerRequest(const proto::KwpFrame& request, Clock::TimePoint end) override;
    void onLinkDropped(Clock::TimePoint t) override;

private:
    bool is5A() const { return scenario_.variant == KwpVariant::M5A; }
    bool engineRunning(Clock::TimePoint t) const;
    std::vector<std::uint8_t> identification(std::uint8_t option) const;
    std::vector<std::uint8_t> readLocal(const std::vector<std::uint8_t>& d, Clock::TimePoint t) const;
    std::vector<std::uint8_t> liveBlock(Clock::TimePoint t) const;
    std::vector<std::uint8_t> statusBlock(Clock::TimePoint t) const;
    std::uint8_t mixtureState(Clock::TimePoint t) const;
    std::uint8_t stepperPosition(Clock::TimePoint t) const;
    std::vector<std::uint8_t> readFaults(const std::vector<std::uint8_t>& d) const;
    std::vector<std::uint8_t> faultStatus(const std::vector<std::uint8_t>& d) const;
    std::vector<std::uint8_t> ioControl(const std::vector<std::uint8_t>& d, Clock::TimePoint t);
    std::vector<std::uint8_t> trimmer(const std::vector<std::uint8_t>& d, Clock::TimePoint t);
    std::vector<std::uint8_t> startRoutine(const std::vector<std::uint8_t>& d, Clock::TimePoint t);
    std::vector<std::uint8_t> routineResult(const std::vector<std::uint8_t>& d, Clock::TimePoint t) const;

    KwpScenario scenario_;
    EngineModel engine_;
    std::optional<Clock::TimePoint> routineDone_;  // throttle reset under way or done
    Clock::TimePoint stepperTestStart_{};
};

}  // namespace dravio::sim
