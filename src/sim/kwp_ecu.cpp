#include "sim/kwp_ecu.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "sim/kwp_dtc.h"

namespace dravio::sim {

namespace {

using namespace std::chrono_literals;

constexpr std::uint8_t kSubFunctionNotSupported = 0x12;
constexpr std::uint8_t kBusy = 0x21;
constexpr std::uint8_t kConditionsNotCorrect = 0x22;
constexpr std::uint8_t kRoutineNotComplete = 0x23;

constexpr std::uint8_t kThrottleRoutine = 0x21;
constexpr std::uint8_t kTrimmerId = 0x15;
constexpr std::uint8_t kStepperId = 0x04;
constexpr std::uint8_t kServiceResetId = 0x20;
constexpr Clock::Duration kRoutineTime = 7s;

// Engine state byte: key on with the engine stopped, or running.
constexpr std::uint8_t kKeyOnEngineOff = 0x02;
constexpr std::uint8_t kEngineOn = 0x04;

std::uint16_t word(double value) { return static_cast<std::uint16_t>(std::clamp(std::lround(value), 0L, 65535L)); }

void pushWord(std::vector<std::uint8_t>& out, double value) {
    const std::uint16_t w = word(value);
    out.push_back(static_cast<std::uint8_t>(w >> 8));
    out.push_back(static_cast<std::uint8_t>(w & 0xFF));
}

void pushText(std::vector<std::uint8_t>& out, const std::string& text, std::size_t length) {
    for (std::size_t i = 0; i < length; ++i) out.push_back(i < text.size() ? static_cast<std::uint8_t>(text[i]) : 0x20);
}

}  // namespace

KwpEcu::KwpEcu(KwpScenario scenario, KwpSessionOptions options)
    : KwpSession(options), scenario_(std::move(scenario)), engine_(scenario_.seed) {
    engine_.setFaults(scenario_.faults);
    engine_.setTrimmer(scenario_.storedTrimmer);
}

Clock::Duration KwpEcu::testDuration(std::uint8_t localId) {
    switch (localId) {
    case 0x06: return 2s;   // rev counter
    case 0x05: return 30s;  // fuel pump
    case 0x02:
    case 0x03:              // ignition coils
    case 0x08:
    case 0x09: return 5s;   // injectors
    case 0x0D:
    case 0x0E: return 10s;  // fans
    case kStepperId: return 32s;
    case kServiceResetId: return kRoutineTime;
    default: return Clock::Duration::zero();
    }
}

bool KwpEcu::engineRunning(Clock::TimePoint t) const {
    return engine_.running() && engine_.at(t).rpm > 0;
}

void KwpEcu::onLinkDropped(Clock::TimePoint /*t*/) {
    // Short-term adjustments and output tests end with the link.
    engine_.setTrimmer(scenario_.storedTrimmer);
    engine_.stopTest();
    routineDone_.reset();
}

std::optional<std::vector<std::uint8_t>> KwpEcu::answerRequest(const proto::KwpFrame& request, Clock::TimePoint end) {
    const std::vector<std::uint8_t>& d = request.data;
    switch (d[0]) {
    case 0x1A:
        if (d.size() != 2) return negative(0x1A, kSubFunctionNotSupported);
        return identification(d[1]);
    case 0x21: return readLocal(d, end);
    case 0x18: return readFaults(d);
    case 0x17: return faultStatus(d);
    case 0x14:
        if (d.size() != 3) return negative(0x14, kSubFunctionNotSupported);
        engine_.clearFaults();
        return std::vector<std::uint8_t>{0x54, d[1], d[2]};
    case 0x30: return ioControl(d, end);
    case 0x31: return startRoutine(d, end);
    case 0x33: return routineResult(d, end);
    default: return std::nullopt;
    }
}

std::vector<std::uint8_t> KwpEcu::identification(std::uint8_t option) const {
    const KwpIdentification& id = scenario_.identification;
    std::vector<std::uint8_t> a{0x5A, option};
    if (option == 0x80) {
        pushText(a, id.ducatiNumber, 11);
        pushText(a, id.marelliNumber, 11);
        a.push_back(id.hardVersion);
        pushText(a, id.softNumber, 11);
        a.push_back(static_cast<std::uint8_t>(id.softVersion >> 8));
        a.push_back(static_cast<std::uint8_t>(id.softVersion & 0xFF));
        pushText(a, id.approval, 6);
        a.insert(a.end(), id.reserved.begin(), id.reserved.end());
        pushText(a, id.repairShop, 10);
        for (int shift = 24; shift >= 0; shift -= 8) a.push_back(static_cast<std::uint8_t>(id.programmingDate >> shift));
        return a;
    }
    if (option == 0x92) {
        // Hardware type first, then the part and software numbers, blank-filled
        // to the same 61 bytes as the full record.
        pushText(a, id.ecuType, 11);
        pushText(a, id.ducatiNumber, 11);
        pushText(a, id.softNumber, 11);
        pushText(a, id.approval, 6);
        pushText(a, "", 22);
        return a;
    }
    return negative(0x1A, kSubFunctionNotSupported);
}

std::vector<std::uint8_t> KwpEcu::readLocal(const std::vector<std::uint8_t>& d, Clock::TimePoint t) const {
    if (d.size() != 2) return negative(0x21, kSubFunctionNotSupported);
    const std::uint8_t lid = d[1];
    const EngineSnapshot e = engine_.at(t);
    std::vector<std::uint8_t> a{0x61, lid};
    switch (lid) {
    case 0xA0: return liveBlock(t);
    case 0xA6: return statusBlock(t);
    case 0x30: pushWord(a, e.rpm); return a;
    case 0x31: pushWord(a, e.manifoldHpa); return a;
    case 0x32: pushWord(a, e.airTempC + 40); return a;
    case 0x33: pushWord(a, e.engineTempC + 40); return a;
    case 0x34: pushWord(a, e.throttleDeg * 10); return a;
    case 0x35: pushWord(a, e.airMassGs * 10); return a;
    case 0x3A: pushWord(a, e.loadPercent * 10); return a;
    case 0x3C: pushWord(a, e.roadSpeedKmh); return a;
    case 0x3D: a.push_back(static_cast<std::uint8_t>(e.trimmer & 0xFF)); return a;
    case 0x4B: a.push_back(mixtureState(t)); return a;
    case 0x57: a.push_back(engineRunning(t) ? kEngineOn : kKeyOnEngineOff); return a;
    case 0x74: a.push_back(scenario_.immobiliser); return a;
    case 0x45:
        if (!is5A()) break;
        pushWord(a, e.lambdaMv);
        return a;
    case 0x6C:
        if (!is5A()) break;
        a.push_back(stepperPosition(t));
        return a;
    default: break;
    }
    return negative(0x21, kSubFunctionNotSupported);
}

std::vector<std::uint8_t> KwpEcu::liveBlock(Clock::TimePoint t) const {
    const EngineSnapshot e = engine_.at(t);
    std::vector<std::uint8_t> a{0x61, 0xA0};
    pushWord(a, e.rpm);
    pushWord(a, e.manifoldHpa);
    pushWord(a, e.airTempC + 40);
    pushWord(a, e.engineTempC + 40);
    pushWord(a, e.throttleDeg * 10);
    pushWord(a, e.advanceDeg * 10);
    pushWord(a, e.batteryVolts * 10);
    pushWord(a, e.lambdaMv);
    pushWord(a, e.injectionMs * 500);
    pushWord(a, e.atmosphericHpa);
    return a;
}

std::vector<std::uint8_t> KwpEcu::statusBlock(Clock::TimePoint t) const {
    const EngineSnapshot now = engine_.at(t);
    const EngineSnapshot before = engine_.at(t - 200ms);
    const bool running = engineRunning(t);
    std::uint16_t mode = 0;
    if (running) {
        const double delta = now.rpm - before.rpm;
        if (now.throttleDeg < 2.0 && std::abs(delta) < 100) {
            mode = 0x0040;  // idling
        } else if (delta >= 100) {
            mode = 0x0080;  // accelerating
        } else if (delta <= -100) {
            mode = 0x0100;  // decelerating
        } else {
            mode = 0x0020;  // steady
        }
    }
    std::uint8_t throttleClass = 0x04;  // part throttle
    if (now.throttleDeg < 2.0) throttleClass = 0x01;
    if (now.throttleDeg > 80.0) throttleClass = 0x02;
    const KwpChassis& c = scenario_.chassis;
    const bool ready = !c.runSwitchOnStop && !c.sideStandOut && (c.neutral || !c.clutchReleased);
    return {0x61,
            0xA6,
            0x03,
            0x03,
            0x00,
            0x00,
            running ? kEngineOn : kKeyOnEngineOff,
            static_cast<std::uint8_t>(mode >> 8),
            static_cast<std::uint8_t>(mode & 0xFF),
            0x00,
            static_cast<std::uint8_t>(c.sideStandOut ? 1 : 0),
            static_cast<std::uint8_t>(c.clutchReleased ? 1 : 0),
            throttleClass,
            0x00,
            static_cast<std::uint8_t>(c.neutral ? 1 : 0),
            static_cast<std::uint8_t>(c.runSwitchOnStop ? 1 : 0),
            static_cast<std::uint8_t>(ready ? 1 : 0),
            0x01};
}

std::uint8_t KwpEcu::mixtureState(Clock::TimePoint t) const {
    const EngineSnapshot e = engine_.at(t);
    if (!engineRunning(t) || e.engineTempC < 60.0) return 0x01;  // crank/idle, open loop
    return e.lambdaMv > 450.0 ? 0x08 : 0x02;                       // rich : lean
}

std::uint8_t KwpEcu::stepperPosition(Clock::TimePoint t) const {
    int position = engine_.stepperPosition();
    if (engine_.testAt(t) == "stepper") {
        // The test drives the motor closed, fully open and back over its run.
        const double u = std::chrono::duration<double>(t - stepperTestStart_) /
                         std::chrono::duration<double>(testDuration(kStepperId));
        const double sweep = u < 0.5 ? 1.0 - 2.0 * u : 2.0 * u - 1.0;  // 1 -> 0 -> 1
        position = static_cast<int>(std::lround(255.0 * (1.0 - sweep)));
    }
    return static_cast<std::uint8_t>(std::clamp(position, 0, 255));
}

std::vector<std::uint8_t> KwpEcu::readFaults(const std::vector<std::uint8_t>& d) const {
    if (d.size() != 4) return negative(0x18, kSubFunctionNotSupported);
    // 84 records fill the longest frame.
    const std::vector<EngineFault> list = reportedFaults(engine_.faults(), 84);
    std::vector<std::uint8_t> a{0x58, static_cast<std::uint8_t>(list.size())};
    const std::vector<std::uint8_t> records = dtcRecords(list);
    a.insert(a.end(), records.begin(), records.end());
    return a;
}

std::vector<std::uint8_t> KwpEcu::faultStatus(const std::vector<std::uint8_t>& d) const {
    if (d.size() != 3) return negative(0x17, kSubFunctionNotSupported);
    const auto code = static_cast<std::uint16_t>(d[1] << 8 | d[2]);
    if (code == 0xFF00) {
        // The whole group: short records.
        const std::vector<EngineFault> list = reportedFaults(engine_.faults(), 84);
        std::vector<std::uint8_t> a{0x57, static_cast<std::uint8_t>(list.size())};
        const std::vector<std::uint8_t> records = dtcRecords(list);
        a.insert(a.end(), records.begin(), records.end());
        return a;
    }
    for (const EngineFault& f : reportedFaults(engine_.faults(), 255)) {
        if (f.code != code) continue;
        // One record with its environment bytes and the ageing counter.
        return {0x57, 0x01, d[1], d[2], dtcStatusByte(f), 0, 0, 0, 0, 0, 0, dtcAgeCounter(f)};
    }
    return {0x57, 0x00};
}

std::vector<std::uint8_t> KwpEcu::trimmer(const std::vector<std::uint8_t>& d, Clock::TimePoint t) {
    if (d.size() != 4 || (d[2] != 0x07 && d[2] != 0x05)) return negative(0x30, kSubFunctionNotSupported);
    // The mixture can only be judged with the engine running.
    if (!engineRunning(t)) return negative(0x30, kConditionsNotCorrect);
    const int value = d[3] > 128 ? d[3] - 256 : d[3];
    if (d[2] == 0x05) {
        // The memory holds -127..126.
        if (value > 126) return negative(0x30, kConditionsNotCorrect);
        scenario_.storedTrimmer = value;
    }
    engine_.setTrimmer(value);
    return {0x70, kTrimmerId, d[2], d[3]};
}

std::vector<std::uint8_t> KwpEcu::ioControl(const std::vector<std::uint8_t>& d, Clock::TimePoint t) {
    if (d.size() < 3) return negative(0x30, kSubFunctionNotSupported);
    const std::uint8_t id = d[1];
    const std::uint8_t parameter = d[2];
    if (id == kTrimmerId) return trimmer(d, t);
    const bool known = testDuration(id) > Clock::Duration::zero() && (is5A() || (id != kStepperId && id != kServiceResetId));
    if (!known || d.size() != 3 || (parameter != 0x07 && parameter != 0x00)) {
        return negative(0x30, kSubFunctionNotSupported);
    }
    const std::string name = id == kStepperId ? "stepper" : "output " + std::to_string(id);
    if (parameter == 0x00) {
        if (engine_.testAt(t) == name) engine_.stopTest();
        return {0x70, id, 0x00};
    }
    if (id == kStepperId) {
        // The stepper test sweeps the idle air valve: only with the engine running.
        if (!engineRunning(t)) return negative(0x30, kConditionsNotCorrect);
        stepperTestStart_ = t;
        engine_.startTest(name, t + testDuration(id));
        return {0x70, id, 0x07};
    }
    if (id != kServiceResetId && engineRunning(t)) return negative(0x30, kConditionsNotCorrect);
    if (!engine_.testAt(t).empty() && engine_.testAt(t) != name) return negative(0x30, kBusy);
    engine_.startTest(name, t + testDuration(id));
    return {0x70, id, 0x00};
}

std::vector<std::uint8_t> KwpEcu::startRoutine(const std::vector<std::uint8_t>& d, Clock::TimePoint t) {
    if (d.size() != 2 || d[1] != kThrottleRoutine) return negative(0x31, kSubFunctionNotSupported);
    // Learning the closed-throttle reference needs the throttle at rest.
    if (engineRunning(t)) return negative(0x31, kConditionsNotCorrect);
    routineDone_ = t + kRoutineTime;
    engine_.startTest("throttle reset", *routineDone_);
    return {0x71, kThrottleRoutine};
}

std::vector<std::uint8_t> KwpEcu::routineResult(const std::vector<std::uint8_t>& d, Clock::TimePoint t) const {
    if (d.size() != 2 || d[1] != kThrottleRoutine) return negative(0x33, kSubFunctionNotSupported);
    if (!routineDone_) return negative(0x33, kConditionsNotCorrect);
    if (t < *routineDone_) return negative(0x33, kRoutineNotComplete);
    return {0x73, kThrottleRoutine, 0xFF};
}

}  // namespace dravio::sim
