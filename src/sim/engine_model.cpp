#include "sim/engine_model.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace dravio::sim {

namespace {

constexpr double kPi = 3.14159265358979323846;

// A well-mixed 64-bit hash; the model's randomness is a function of its inputs
// rather than of a generator's history, so any instant can be computed alone.
std::uint64_t mix(std::uint64_t x) {
    x += 0x9E3779B97F4A7C15ULL;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
    return x ^ (x >> 31);
}

// Uniform in [0, 1) from the seed, a channel and an index.
double unit(std::uint32_t seed, std::uint32_t channel, std::int64_t index) {
    const std::uint64_t h =
        mix(mix((static_cast<std::uint64_t>(seed) << 32) ^ channel) ^ static_cast<std::uint64_t>(index));
    return static_cast<double>(h >> 11) / 9007199254740992.0;  // 2^53
}

// Smooth noise in [-1, 1]: random knots every `step` seconds, cosine-blended.
double smoothNoise(std::uint32_t seed, std::uint32_t channel, double seconds, double step) {
    const double x = seconds / step;
    const double f = std::floor(x);
    const auto i = static_cast<std::int64_t>(f);
    const double a = unit(seed, channel, i) * 2 - 1;
    const double b = unit(seed, channel, i + 1) * 2 - 1;
    const double w = (1 - std::cos((x - f) * kPi)) / 2;
    return a + (b - a) * w;
}

enum Channel : std::uint32_t {
    kAmbient = 1,
    kPressure,
    kBlipChance,
    kBlipStart,
    kBlipLength,
    kBlipHeight,
    kRpmNoise,
    kAirNoise,
    kBatteryNoise,
    kThrottleNoise,
};

constexpr double kBlipSlot = 10.0;  // seconds; at most one throttle blip per slot
constexpr double kIdleThrottle = 1.2;
constexpr double kIdleManifold = 360.0;
constexpr double kWarmupSeconds = 300.0;
constexpr double kHotEngine = 88.0;

// Throttle angle of the blips alone, 0 when none is under way.
double blipAt(std::uint32_t seed, double seconds) {
    double angle = 0;
    // A blip may start late in the previous slot and still be running.
    const auto slot = static_cast<std::int64_t>(std::floor(seconds / kBlipSlot));
    for (std::int64_t s = slot - 1; s <= slot; ++s) {
        if (unit(seed, kBlipChance, s) >= 0.5) continue;
        const double start = s * kBlipSlot + 1.0 + unit(seed, kBlipStart, s) * 7.0;
        const double length = 0.8 + unit(seed, kBlipLength, s) * 1.7;
        const double height = 8.0 + unit(seed, kBlipHeight, s) * 32.0;
        const double u = (seconds - start) / length;
        if (u <= 0 || u >= 1) continue;
        angle = std::max(angle, height * std::sin(u * kPi) * std::sin(u * kPi));
    }
    return angle;
}

}  // namespace

EngineModel::EngineModel(std::uint32_t seed, base::Clock::TimePoint origin) : seed_(seed), origin_(origin) {}

void EngineModel::clearPins() {
    pinRpm_ = pinThrottle_ = pinEngineTemp_ = pinAirTemp_ = pinManifold_ = pinAtmospheric_ = pinBattery_ =
        pinInjection_ = pinAdvance_ = pinLambda_ = pinRoadSpeed_ = std::nullopt;
}

void EngineModel::clearFaults() {
    std::vector<EngineFault> kept;
    for (const EngineFault& f : faults_) {
        if (f.present) kept.push_back(f);
    }
    faults_ = std::move(kept);
}

void EngineModel::startTest(std::string name, base::Clock::TimePoint until) {
    testName_ = std::move(name);
    testUntil_ = until;
}

void EngineModel::stopTest() { testName_.clear(); }

std::string EngineModel::testAt(base::Clock::TimePoint t) const {
    if (testName_.empty() || t >= testUntil_) return {};
    return testName_;
}

EngineSnapshot EngineModel::at(base::Clock::TimePoint t) const {
    const double s = std::max(0.0, std::chrono::duration<double>(t - origin_).count());
    EngineSnapshot e;
    e.running = running_;
    e.trimmer = trimmer_;
    e.stepperPosition = stepper_;

    const double ambient = 14.0 + unit(seed_, kAmbient, 0) * 12.0;
    e.atmosphericHpa = pinAtmospheric_.value_or(995.0 + unit(seed_, kPressure, 0) * 30.0);
    const double warm = 1.0 - std::exp(-s / kWarmupSeconds);  // 0 cold .. 1 hot
    e.engineTempC = pinEngineTemp_.value_or(ambient + (kHotEngine - ambient) * warm);
    e.airTempC = pinAirTemp_.value_or(ambient + 6.0 * warm + 0.5 * smoothNoise(seed_, kAirNoise, s, 3.0));

    if (!running_) {
        e.throttleDeg = pinThrottle_.value_or(kIdleThrottle);
        e.rpm = pinRpm_.value_or(0.0);
        e.manifoldHpa = pinManifold_.value_or(e.atmosphericHpa);
        e.batteryVolts = pinBattery_.value_or(12.4 + 0.03 * smoothNoise(seed_, kBatteryNoise, s, 2.0));
        e.injectionMs = pinInjection_.value_or(0.0);
        e.advanceDeg = pinAdvance_.value_or(0.0);
        e.lambdaMv = pinLambda_.value_or(0.0);
        e.roadSpeedKmh = pinRoadSpeed_.value_or(0.0);
    } else {
        const double blip = blipAt(seed_, s);
        e.throttleDeg =
            pinThrottle_.value_or(kIdleThrottle + blip + 0.05 * smoothNoise(seed_, kThrottleNoise, s, 0.5));
        const double open = std::clamp(e.throttleDeg - kIdleThrottle, 0.0, 90.0);
        // A cold engine idles faster; the stepper motor opens the idle air bypass.
        const double idle = 1200.0 + 150.0 * (1.0 - warm) + 4.0 * (stepper_ - kNominalStepper);
        // The engine lags the throttle by a tenth of a second.
        const double lagged = std::clamp(blipAt(seed_, std::max(0.0, s - 0.1)), 0.0, 90.0);
        e.rpm = pinRpm_.value_or(std::min(9500.0, idle + 160.0 * lagged + 25.0 * smoothNoise(seed_, kRpmNoise, s, 0.2)));
        e.manifoldHpa = pinManifold_.value_or(
            kIdleManifold + (e.atmosphericHpa - 40.0 - kIdleManifold) * std::min(1.0, open / 25.0));
        e.batteryVolts = pinBattery_.value_or(13.8 + 0.08 * smoothNoise(seed_, kBatteryNoise, s, 1.0));
        // Speed-density fuelling with cold enrichment; the trimmer corrects idle mixture.
        e.injectionMs = pinInjection_.value_or(std::max(
            0.5, 0.8 + 4.5 * e.manifoldHpa / e.atmosphericHpa + 1.2 * (1.0 - warm) + 0.01 * trimmer_));
        const double revs = std::clamp((e.rpm - 1200.0) / 6000.0, 0.0, 1.0);
        e.advanceDeg = pinAdvance_.value_or(8.0 + 26.0 * revs - 4.0 * std::min(1.0, open / 40.0));
        // Closed loop once warm: the sensor swings rich/lean about once a second.
        e.lambdaMv = pinLambda_.value_or(warm < 0.5 ? 300.0 : 450.0 + 350.0 * std::sin(2 * kPi * 1.1 * s));
        e.roadSpeedKmh = pinRoadSpeed_.value_or(0.0);
    }
    e.throttleDeg = std::clamp(e.throttleDeg, 0.0, 90.0);
    e.throttlePercent = e.throttleDeg * 100.0 / 90.0;
    e.loadPercent = (running_ && e.rpm > 0) ? std::clamp(100.0 * e.manifoldHpa / e.atmosphericHpa, 0.0, 100.0) : 0.0;
    // 0.75 l twin, 85 % volumetric efficiency, air density from pressure and temperature.
    const double density = e.manifoldHpa * 100.0 / (287.05 * (e.airTempC + 273.15));  // kg/m3
    e.airMassGs = (running_ && e.rpm > 0) ? e.rpm / 120.0 * 0.75e-3 * density * 1000.0 * 0.85 : 0.0;
    return e;
}

}  // namespace dravio::sim
