#include "sim/onebyte_ecu.h"

#include <algorithm>
#include <array>
#include <string>
#include <utility>

#include "sim/onebyte_diag.h"

namespace dravio::sim {

namespace {

constexpr std::array<std::uint8_t, 3> kWakeUp{0x0F, 0xAA, 0xCC};

// Commands of the normal mode.
constexpr std::uint8_t kPeriodHigh = 0x01;
constexpr std::uint8_t kPeriodLow = 0x02;
constexpr std::uint8_t kInjectionHigh = 0x03;
constexpr std::uint8_t kInjectionLow = 0x04;
constexpr std::uint8_t kAdvance = 0x05;
constexpr std::uint8_t kPressure = 0x06;
constexpr std::uint8_t kAirTemp = 0x07;
constexpr std::uint8_t kEngineTemp = 0x08;  // also the tester's link check
constexpr std::uint8_t kThrottle = 0x09;
constexpr std::uint8_t kBattery = 0x0A;
constexpr std::uint8_t kTrimmer = 0x0F;
constexpr std::uint8_t kPresentFaults = 0x10;  // .. 0x12
constexpr std::uint8_t kStatus = 0x13;
constexpr std::uint8_t kStoredFaults = 0x14;  // .. 0x16
constexpr std::uint8_t kIdentification = 0x17;
constexpr std::uint8_t kPresentTypes = 0x2B;  // .. 0x2D
constexpr std::uint8_t kStoredTypes = 0x2F;   // .. 0x31

// Status bits the ECU drives itself.
constexpr std::uint8_t kStatusEngineRunning = 0x02;
constexpr std::uint8_t kStatusThrottleAtStop = 0x08;
// The throttle counts as resting on a stop below the first or above the second.
constexpr double kThrottleClosedDeg = 2.0;
constexpr double kThrottleOpenDeg = 85.0;

constexpr std::uint8_t kUnprogrammed = 0xFF;

bool inRow(std::uint8_t byte, std::uint8_t first) { return byte >= first && byte < first + kFaultRows; }

}  // namespace

OneByteEcu::OneByteEcu(OneByteVariant variant, EngineModel& engine, OneByteScenario scenario)
    : variant_(variant), scale_(scaleOf(variant)), engine_(engine), scenario_(std::move(scenario)) {
    if (variant_ == OneByteVariant::RC15) {
        // Nobody asks a 15RC rider for the key: it is on already.
        keyOn_ = true;
        keyOnAt_ = Clock::TimePoint::min();
    }
    savedTrimmer_ = engine_.trimmer();
}

void OneByteEcu::requestKeyOn(KLineOutput& out, Clock::TimePoint askedAt) {
    keyOff();
    keyOn_ = true;
    keyOnAt_ = variant_ == OneByteVariant::RC15 ? askedAt : askedAt + timing_.riderDelay;
    const auto code = powerOnCodeBytes(scenario_.codeForm, scenario_.powerOnCode);
    answer(out, keyOnAt_ + timing_.bootDelay, {code.begin(), code.end()}, kOneByteCodeBaud, timing_.codeByteGap);
}

void OneByteEcu::keyOff() {
    endDiagnostic();
    mode_ = Mode::Off;
    keyOn_ = false;
    wakeUpMatched_ = 0;
    periodLow_.reset();
    injectionLow_.reset();
    busyUntil_ = {};
}

void OneByteEcu::startAwake() {
    keyOn_ = true;
    keyOnAt_ = Clock::TimePoint::min();
    mode_ = Mode::Awake;
}

OneByteState OneByteEcu::state(Clock::TimePoint t) const {
    switch (mode_) {
        case Mode::Off:
            return keyOn_ && t >= keyOnAt_ ? OneByteState::Listening : OneByteState::Off;
        case Mode::Listening:
            return OneByteState::Listening;
        case Mode::Awake:
            return OneByteState::Awake;
        case Mode::Diagnostic:
            return OneByteState::Diagnostic;
        case Mode::TrimmerAdjust:
            return OneByteState::TrimmerAdjust;
    }
    return OneByteState::Off;
}

std::uint32_t OneByteEcu::baud(Clock::TimePoint t) const {
    switch (state(t)) {
        case OneByteState::Off:
            return 0;
        case OneByteState::Listening:
            return kOneByteCodeBaud;
        default:
            return kOneByteCommandBaud;
    }
}

void OneByteEcu::pollNoise(KLineOutput& out, Clock::TimePoint now) {
    if (faults_ == nullptr) return;
    for (const NoiseBurst& burst : faults_->takeNoiseUntil(now)) {
        const std::uint32_t rate = baud(burst.at) != 0 ? baud(burst.at) : kOneByteCodeBaud;
        auto t = burst.at;
        for (const std::uint8_t b : burst.bytes) {
            out.send(t, b, rate);
            t += byteTime(rate);
        }
    }
}

void OneByteEcu::settle(Clock::TimePoint t) {
    if (mode_ == Mode::Off && keyOn_ && t >= keyOnAt_) mode_ = Mode::Listening;
}

void OneByteEcu::onTesterByte(KLineOutput& out, Clock::TimePoint end, std::uint8_t byte, std::uint32_t rate) {
    pollNoise(out, end);
    settle(end);
    if (mode_ == Mode::Off) return;
    if (mode_ == Mode::Listening) {
        // A byte at another rate reaches the UART as garbage and breaks the sequence.
        if (rate != kOneByteCodeBaud) {
            wakeUpMatched_ = 0;
            return;
        }
        hearWakeUpByte(end, byte);
        return;
    }
    if (rate != kOneByteCommandBaud) return;
    const bool inDiagnostic = mode_ == Mode::Diagnostic || mode_ == Mode::TrimmerAdjust;
    if (inDiagnostic && end >= busyUntil_ && end - diagActiveAt_ > timing_.diagIdleTimeout) endDiagnostic();
    switch (mode_) {
        case Mode::Awake:
            command(out, end, byte);
            break;
        case Mode::Diagnostic:
            diagnostic(out, end, byte);
            break;
        case Mode::TrimmerAdjust:
            trimmerAdjust(out, end, byte);
            break;
        default:
            break;
    }
}

void OneByteEcu::hearWakeUpByte(Clock::TimePoint end, std::uint8_t byte) {
    const auto gap = end - lastWakeUpByte_;
    const bool next = wakeUpMatched_ > 0 && byte == kWakeUp[static_cast<std::size_t>(wakeUpMatched_)] &&
                      gap >= timing_.wakeUpMinGap && gap <= timing_.wakeUpMaxGap;
    if (next) {
        ++wakeUpMatched_;
    } else {
        wakeUpMatched_ = byte == kWakeUp[0] ? 1 : 0;
    }
    lastWakeUpByte_ = end;
    if (wakeUpMatched_ < static_cast<int>(kWakeUp.size())) return;
    wakeUpMatched_ = 0;
    if (faults_ != nullptr && !faults_->acceptWakeUp()) return;
    mode_ = Mode::Awake;
}

void OneByteEcu::command(KLineOutput& out, Clock::TimePoint end, std::uint8_t byte) {
    if (byte == kEnterDiagnostic) {
        // Actuator tests with the engine running are unsafe: refused in silence.
        if (engine_.at(end).running) return;
        mode_ = Mode::Diagnostic;
        diagActiveAt_ = end;
        answer(out, end + timing_.answerDelay, {kEnterDiagnostic}, kOneByteCommandBaud);
        return;
    }
    if (const auto value = liveAnswer(end, byte)) answer(out, end + timing_.answerDelay, {*value}, kOneByteCommandBaud);
}

std::optional<std::uint8_t> OneByteEcu::liveAnswer(Clock::TimePoint end, std::uint8_t byte) {
    const EngineSnapshot e = engine_.at(end);
    switch (byte) {
        case kPeriodHigh: {
            const BytePair p = encodePeriod(e.rpm, e.running, scale_);
            periodLow_ = p[1];
            periodLatchedAt_ = end;
            return p[0];
        }
        case kPeriodLow:
            if (periodLow_ && end - periodLatchedAt_ <= timing_.latchLifetime) return *periodLow_;
            return encodePeriod(e.rpm, e.running, scale_)[1];
        case kInjectionHigh: {
            const BytePair p = encodeInjection(e.injectionMs, scale_);
            injectionLow_ = p[1];
            injectionLatchedAt_ = end;
            return p[0];
        }
        case kInjectionLow:
            if (injectionLow_ && end - injectionLatchedAt_ <= timing_.latchLifetime) return *injectionLow_;
            return encodeInjection(e.injectionMs, scale_)[1];
        case kAdvance:
            return encodeAdvance(e.advanceDeg, scale_);
        case kPressure:
            return encodePressure(e.manifoldHpa);
        case kAirTemp:
            return encodeTemperature(e.airTempC);
        case kEngineTemp:
            return encodeTemperature(e.engineTempC);
        case kThrottle:
            return encodeThrottle(e.throttleDeg, scale_);
        case kBattery:
            return encodeBattery(e.batteryVolts);
        case kTrimmer:
            return encodeTrimmer(e.trimmer);
        case kStatus:
            return statusByte(e);
        default:
            break;
    }
    if (inRow(byte, kPresentFaults)) return scenario_.presentFaults[byte - kPresentFaults];
    if (inRow(byte, kStoredFaults)) return scenario_.storedFaults[byte - kStoredFaults];
    if (inRow(byte, kPresentTypes)) return scenario_.presentTypes[byte - kPresentTypes];
    if (inRow(byte, kStoredTypes)) return scenario_.storedTypes[byte - kStoredTypes];
    if (byte >= kIdentification && byte <= lastIdentificationAddress()) return identificationByte(byte);
    return std::nullopt;
}

std::uint8_t OneByteEcu::statusByte(const EngineSnapshot& e) const {
    auto status = static_cast<std::uint8_t>(scenario_.extraStatusBits & ~(kStatusEngineRunning | kStatusThrottleAtStop));
    if (e.running) status |= kStatusEngineRunning;
    if (e.throttleDeg <= kThrottleClosedDeg || e.throttleDeg >= kThrottleOpenDeg) status |= kStatusThrottleAtStop;
    return status;
}

std::uint8_t OneByteEcu::lastIdentificationAddress() const {
    return variant_ == OneByteVariant::MM16 ? 0x21 : 0x28;
}

std::uint8_t OneByteEcu::identificationByte(std::uint8_t address) const {
    const std::string text = scenario_.identification.value_or(defaultIdentification(variant_));
    const std::size_t index = address - kIdentification;
    if (index >= text.size()) return kUnprogrammed;
    return static_cast<std::uint8_t>(text[index]);
}

void OneByteEcu::diagnostic(KLineOutput& out, Clock::TimePoint end, std::uint8_t byte) {
    // A running test has the ECU's attention until it ends.
    if (end < busyUntil_) return;
    diagActiveAt_ = end;
    const auto echo = [&](std::uint8_t b) { answer(out, end + timing_.answerDelay, {b}, kOneByteCommandBaud); };
    if (byte == kLeaveDiagnostic) {
        endDiagnostic();
        echo(kLeaveDiagnostic);
    } else if (byte == kEnterDiagnostic) {
        echo(kEnterDiagnostic);
    } else if (byte == kEnterTrimmerAdjust && hasTrimmerAdjust(variant_)) {
        if (engine_.at(end).running) return;
        savedTrimmer_ = engine_.trimmer();
        mode_ = Mode::TrimmerAdjust;
        echo(kEnterTrimmerAdjust);
    } else if (const auto test = diagTestOf(variant_, byte)) {
        runTest(out, end, *test);
    }
}

void OneByteEcu::runTest(KLineOutput& out, Clock::TimePoint end, DiagTest test) {
    const bool fails = scenario_.failingTest == test;
    const std::uint8_t endByte = fails ? kTestFailed : kTestPassed;
    busyUntil_ = end + timing_.testDuration[static_cast<std::size_t>(test)];
    diagActiveAt_ = busyUntil_;
    if (test == DiagTest::ClearMemory) {
        if (!fails) {
            // A fault still present is stored again at once.
            scenario_.storedFaults = scenario_.presentFaults;
            scenario_.storedTypes = scenario_.presentTypes;
        }
    } else {
        if (scenario_.echoTestCommand) {
            const auto command = diagCommand(variant_, test).value_or(0);
            answer(out, end + timing_.answerDelay, {command}, kOneByteCommandBaud);
        }
        engine_.startTest(std::string(diagTestName(test)), busyUntil_);
    }
    if (scenario_.silentTest != test) answer(out, busyUntil_, {endByte}, kOneByteCommandBaud);
}

void OneByteEcu::trimmerAdjust(KLineOutput& out, Clock::TimePoint end, std::uint8_t byte) {
    diagActiveAt_ = end;
    if (byte == kLeaveDiagnostic) {
        // The ECU only learns a trimmer it has seen the engine run with.
        if (engine_.at(end).running) {
            savedTrimmer_ = engine_.trimmer();
        } else {
            engine_.setTrimmer(savedTrimmer_);
        }
        mode_ = Mode::Diagnostic;
        answer(out, end + timing_.answerDelay, {kLeaveDiagnostic}, kOneByteCommandBaud);
        return;
    }
    const int value = std::clamp(static_cast<int>(byte) - 128, scenario_.trimmerMin, scenario_.trimmerMax);
    engine_.setTrimmer(value);
    answer(out, end + timing_.answerDelay, {encodeTrimmer(value)}, kOneByteCommandBaud);
}

void OneByteEcu::endDiagnostic() {
    if (mode_ == Mode::TrimmerAdjust) engine_.setTrimmer(savedTrimmer_);
    if (mode_ == Mode::Diagnostic || mode_ == Mode::TrimmerAdjust) mode_ = Mode::Awake;
}

void OneByteEcu::answer(KLineOutput& out, Clock::TimePoint start, const std::vector<std::uint8_t>& bytes,
                        std::uint32_t rate, Clock::Duration byteGap) {
    if (bytes.empty()) return;
    std::vector<std::uint8_t> sent = bytes;
    if (faults_ != nullptr) {
        const AnswerFate fate = faults_->nextAnswer();
        if (fate.drop) return;
        start += fate.extraDelay;
        // The last byte is the checksum of a power-on code, the value itself otherwise.
        if (fate.badChecksum) sent.back() = static_cast<std::uint8_t>(~sent.back());
    }
    auto t = start;
    for (const std::uint8_t b : sent) {
        std::uint8_t onLine = b;
        bool lost = false;
        if (faults_ != nullptr) {
            const ByteFate fate = faults_->nextByte(b);
            lost = fate.drop;
            if (fate.corrupt) onLine = fate.replacement;
        }
        if (!lost) out.send(t, onLine, rate);
        t += byteTime(rate) + byteGap;
    }
}

}  // namespace dravio::sim
