// sim: a simulated one-byte-protocol ECU ("MM16", "MM15", "15RC", "P8").
//
// Life of the ECU on the line:
//  - Off until the rider turns the key (requestKeyOn). The 15RC is powered from
//    the start, as the tester never asks for its key.
//  - At key-on it boots, sends its power-on code at 1200 baud (0x55 or 0x0B,
//    four code bytes, their sum) and listens at 1200 baud for the wake-up
//    0x0F, 0xAA, 0xCC, each byte 50..300 ms after the previous one.
//  - Once woken it listens at 7812 baud and answers each known command byte
//    with one byte, `answerDelay` (2 ms) after the command's last bit. Unknown
//    bytes, and bytes at another baud rate, get no answer.
//  - 0xAA with the engine stopped enters the diagnostic mode (echoed; refused
//    in silence while the engine runs). There the test commands run for their
//    duration and end with 0xFF (0xEE when the scenario makes them fail), the
//    memory clearing answers its end byte directly, 0x8D enters the 15M
//    trimmer-adjust mode and 0xFF leaves (echoed). In trimmer-adjust mode a
//    byte is a new raw trimmer value, echoed as taken; 0xFF saves it (kept only
//    when the engine runs) and returns to the diagnostic mode.
//
// Live values come from the shared EngineModel, sampled when the command byte
// ends; faults on the line come from an optional Faults plan.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "sim/engine_model.h"
#include "sim/fault_injection.h"
#include "sim/kline_device.h"
#include "sim/onebyte_scenario.h"
#include "sim/onebyte_values.h"

namespace dravio::sim {

inline constexpr std::uint32_t kOneByteCodeBaud = 1200;
inline constexpr std::uint32_t kOneByteCommandBaud = 7812;

enum class OneByteState { Off, Listening, Awake, Diagnostic, TrimmerAdjust };

class OneByteEcu final : public KLineDevice {
public:
    OneByteEcu(OneByteVariant variant, EngineModel& engine, OneByteScenario scenario = {});

    OneByteVariant variant() const { return variant_; }
    // The scenario may be changed at any time (faults appearing, a test failing).
    OneByteScenario& scenario() { return scenario_; }
    const OneByteScenario& scenario() const { return scenario_; }
    void setTiming(const OneByteTiming& timing) { timing_ = timing; }
    const OneByteTiming& timing() const { return timing_; }
    // Faults applied to every answer and byte; null for none. Not owned.
    void setFaultPlan(Faults* faults) { faults_ = faults; }

    // The program asks the rider to turn the key on at `askedAt`: the key goes
    // off (a rider follows "the key must be off") and on again `riderDelay`
    // later, at once for the 15RC; the power-on code follows after `bootDelay`.
    void requestKeyOn(KLineOutput& out, Clock::TimePoint askedAt);
    // The rider turns the key off: the ECU forgets its link and mode. Bytes it
    // has already put on the line still arrive.
    void keyOff();
    // Key on and the wake-up done: listening at 7812 baud from now on.
    void startAwake();

    // Sends the fault plan's noise bursts due by `now` (the ECU also does so
    // whenever it hears a byte).
    void pollNoise(KLineOutput& out, Clock::TimePoint now);

    OneByteState state(Clock::TimePoint t) const;
    // The rate the ECU listens and speaks at (0 while off).
    std::uint32_t baud(Clock::TimePoint t) const;

    // KLineDevice
    void onTesterByte(KLineOutput& out, Clock::TimePoint end, std::uint8_t byte, std::uint32_t baud) override;

private:
    enum class Mode { Off, Listening, Awake, Diagnostic, TrimmerAdjust };

    // Moves Off to Listening once the key is on at `t`.
    void settle(Clock::TimePoint t);
    void hearWakeUpByte(Clock::TimePoint end, std::uint8_t byte);
    void command(KLineOutput& out, Clock::TimePoint end, std::uint8_t byte);
    void diagnostic(KLineOutput& out, Clock::TimePoint end, std::uint8_t byte);
    void trimmerAdjust(KLineOutput& out, Clock::TimePoint end, std::uint8_t byte);
    void runTest(KLineOutput& out, Clock::TimePoint end, DiagTest test);
    // Leaves the diagnostic and trimmer-adjust modes, dropping an unsaved trimmer.
    void endDiagnostic();
    // The live answer to a normal-mode command, none for an unknown one.
    std::optional<std::uint8_t> liveAnswer(Clock::TimePoint end, std::uint8_t byte);
    std::uint8_t statusByte(const EngineSnapshot& engine) const;
    std::uint8_t identificationByte(std::uint8_t address) const;
    std::uint8_t lastIdentificationAddress() const;

    // One answer, through the fault plan: dropped, delayed, altered or sent.
    // A "response pending" fate has no one-byte form and is ignored.
    void answer(KLineOutput& out, Clock::TimePoint start, const std::vector<std::uint8_t>& bytes,
                std::uint32_t baud, Clock::Duration byteGap = Clock::Duration::zero());

    OneByteVariant variant_;
    OneByteScale scale_;
    EngineModel& engine_;
    OneByteScenario scenario_;
    OneByteTiming timing_;
    Faults* faults_ = nullptr;

    Mode mode_ = Mode::Off;
    bool keyOn_ = false;
    Clock::TimePoint keyOnAt_{};

    // Wake-up bytes matched so far and when the last one ended.
    int wakeUpMatched_ = 0;
    Clock::TimePoint lastWakeUpByte_{};

    // Low bytes latched by a high-byte read, with the time they were taken.
    std::optional<std::uint8_t> periodLow_, injectionLow_;
    Clock::TimePoint periodLatchedAt_{}, injectionLatchedAt_{};

    // Diagnostic mode: last activity, and a test running until `busyUntil_`.
    Clock::TimePoint diagActiveAt_{};
    Clock::TimePoint busyUntil_{};
    // Trimmer value stored in the ECU before the adjust mode changed it.
    int savedTrimmer_ = 0;
};

}  // namespace dravio::sim
