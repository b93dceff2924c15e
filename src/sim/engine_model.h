// sim: the engine every simulated ECU reports on. Its live values are a pure
// function of (virtual) time and a seed, so a test can ask the model what the
// ECU should be sending at any moment; the diagnostics can change its state.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/clock.h"

namespace dravio::sim {

// What the engine looks like at one instant, in engineering units.
struct EngineSnapshot {
    bool running = true;          // false: key on, engine off
    double rpm = 0;               // engine speed, RPM
    double throttleDeg = 0;       // throttle plate angle, degrees (0..90)
    double throttlePercent = 0;   // the same as percent of full travel
    double engineTempC = 0;       // coolant/engine temperature
    double airTempC = 0;          // intake air temperature
    double manifoldHpa = 0;       // intake manifold pressure
    double atmosphericHpa = 0;    // ambient pressure
    double batteryVolts = 0;
    double injectionMs = 0;       // injector opening time
    double advanceDeg = 0;        // ignition advance before TDC
    double lambdaMv = 0;          // narrow-band oxygen sensor voltage, mV
    double roadSpeedKmh = 0;
    double loadPercent = 0;       // calculated engine load
    double airMassGs = 0;         // air mass flow, g/s
    int trimmer = 0;              // idle CO trimmer, signed
    int stepperPosition = 0;      // idle stepper-motor position, steps (150 nominal)
};

// A fault the ECU knows about. `code` is the ECU's own number for the fault
// (a KWP2000 DTC or a one-byte family's fault index).
struct EngineFault {
    std::uint16_t code = 0;
    bool present = false;       // the condition is there now
    bool stored = true;         // kept in memory until cleared
    bool intermittent = false;  // came and went
    // What is wrong with the circuit: 1 stuck at battery voltage, 2 short to
    // ground, 4 no signal, 8 implausible signal (0 unknown).
    std::uint8_t cause = 0;
    bool lamp = false;          // lights the dashboard warning lamp
    int cyclesSinceSeen = 0;    // warm-up cycles since the fault was last seen
};

class EngineModel {
public:
    // The stepper position at which the engine idles at its nominal speed.
    static constexpr int kNominalStepper = 150;

    explicit EngineModel(std::uint32_t seed = 1, base::Clock::TimePoint origin = base::Clock::TimePoint{});

    // The engine at `t`. Same seed, same pins, same state and same `t` give the
    // same snapshot, whatever was asked before.
    EngineSnapshot at(base::Clock::TimePoint t) const;

    std::uint32_t seed() const { return seed_; }
    base::Clock::TimePoint origin() const { return origin_; }

    // Engine running or stopped with the key on (speed, load, injection 0).
    void setRunning(bool running) { running_ = running; }
    bool running() const { return running_; }

    // Pins fix a value for tests; an empty optional releases it.
    void pinRpm(std::optional<double> rpm) { pinRpm_ = rpm; }
    void pinThrottleDeg(std::optional<double> deg) { pinThrottle_ = deg; }
    void pinEngineTemp(std::optional<double> c) { pinEngineTemp_ = c; }
    void pinAirTemp(std::optional<double> c) { pinAirTemp_ = c; }
    void pinManifold(std::optional<double> hpa) { pinManifold_ = hpa; }
    void pinAtmospheric(std::optional<double> hpa) { pinAtmospheric_ = hpa; }
    void pinBattery(std::optional<double> volts) { pinBattery_ = volts; }
    void pinInjection(std::optional<double> ms) { pinInjection_ = ms; }
    void pinAdvance(std::optional<double> deg) { pinAdvance_ = deg; }
    void pinLambda(std::optional<double> mv) { pinLambda_ = mv; }
    void pinRoadSpeed(std::optional<double> kmh) { pinRoadSpeed_ = kmh; }
    // Releases every pin.
    void clearPins();

    // Idle trimmer (CO adjustment) and stepper motor, as the diagnostics set them.
    void setTrimmer(int value) { trimmer_ = value; }
    int trimmer() const { return trimmer_; }
    void setStepperPosition(int steps) { stepper_ = steps; }
    int stepperPosition() const { return stepper_; }

    // Faults: the list the ECU reports; clearing removes the stored ones that
    // are not present now (a present fault is stored again at once).
    void setFaults(std::vector<EngineFault> faults) { faults_ = std::move(faults); }
    const std::vector<EngineFault>& faults() const { return faults_; }
    void clearFaults();

    // An actuator test or routine in progress, named by the ECU that runs it,
    // until `until`. Empty name: none.
    void startTest(std::string name, base::Clock::TimePoint until);
    void stopTest();
    // The test running at `t`, or the empty text.
    std::string testAt(base::Clock::TimePoint t) const;

private:
    std::uint32_t seed_;
    base::Clock::TimePoint origin_;
    bool running_ = true;
    std::optional<double> pinRpm_, pinThrottle_, pinEngineTemp_, pinAirTemp_, pinManifold_, pinAtmospheric_,
        pinBattery_, pinInjection_, pinAdvance_, pinLambda_, pinRoadSpeed_;
    int trimmer_ = 0;
    int stepper_ = kNominalStepper;
    std::vector<EngineFault> faults_;
    std::string testName_;
    base::Clock::TimePoint testUntil_{};
};

}  // namespace dravio::sim
