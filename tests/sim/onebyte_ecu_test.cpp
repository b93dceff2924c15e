// The one-byte-protocol ECUs byte by byte through the simulated cable.
#include "sim/onebyte_ecu.h"

#include <gtest/gtest.h>

#include <functional>

#include "kline_driver.h"

namespace dravio::sim::testing {
namespace {

const auto kByte1200 = KLineDriver::byteTime(1200);
const auto kByte7812 = KLineDriver::byteTime(7812);
using enum OneByteVariant;

struct OneByte {
    explicit OneByte(OneByteVariant variant, OneByteScenario scenario = {}, bool awake = true)
        : ecu(variant, engine, std::move(scenario)) {
        ecu.setFaultPlan(&faults);
        engine.setRunning(false);
        if (!awake) return;
        ecu.startAwake();
        line.cable.setBaudRate(7812);
    }
    void keyOn() { ecu.requestKeyOn(line.deviceOutput(), line.clock.now()); }
    void wakeUp(Clock::Duration gap = 110ms, const Bytes& sequence = {0x0F, 0xAA, 0xCC}, std::uint32_t baud = 1200) {
        line.cable.setBaudRate(baud);
        line.clock.sleepFor(700ms);
        for (std::size_t i = 0; i < sequence.size(); ++i) {
            if (i > 0) line.clock.sleepFor(gap);
            line.cable.write(sequence[i]);
        }
        line.clock.sleepFor(300ms);
        line.cable.setBaudRate(7812);
    }
    Bytes code() { return line.hear(6, 20s); }
    Bytes run(const Bytes& commands, Clock::Duration timeout = 5s) {
        Bytes all;
        for (const std::uint8_t c : commands) {
            const Bytes a = line.exchange({c}, 1, timeout);
            all.insert(all.end(), a.begin(), a.end());
        }
        return all;
    }
    bool answersLinkCheck() { return run({0x08}, 500ms).size() == 1; }

    EngineModel engine{7};
    Faults faults;
    OneByteEcu ecu;
    KLineDriver line{ecu, 1200};
};

TEST(OneByteStartUp, PowerOnCodeOnTimeAfterKeyOnThenOnlyAProperWakeUpCounts) {
    const std::tuple<OneByteVariant, PowerOnCodeForm, std::array<std::uint8_t, 4>, std::string_view> cases[] = {
        {MM16, PowerOnCodeForm::Sync55, {0xB0, 0x80, 0x80, 0x80}, "55 B0 80 80 80 85"},
        {P8, PowerOnCodeForm::Sync55, {0xFF, 0xFF, 0xFF, 0xFF}, "55 FF FF FF FF 51"},
        {MM15, PowerOnCodeForm::Start0B, {0x01, 0x02, 0x03, 0xF0}, "0B 01 02 03 F0 01"},
        {RC15, PowerOnCodeForm::Sync55, {0x12, 0xFE, 0x00, 0x99}, "55 12 FE 00 99 FE"}};
    for (const auto& [variant, form, code, heard] : cases) {
        OneByteScenario s;
        s.codeForm = form;
        s.powerOnCode = code;
        OneByte t(variant, s, false);
        EXPECT_BYTES(t.code(), "") << "the key is off";
        t.keyOn();
        const auto asked = t.line.clock.now();
        EXPECT_BYTES(t.code(), heard);
        // The rider's delay (none on a 15RC, powered all along), the boot, six bytes.
        const OneByteTiming& timing = t.ecu.timing();
        const auto rider = variant == RC15 ? 0ms : timing.riderDelay;
        EXPECT_EQ(t.line.clock.now() - asked, rider + timing.bootDelay + 6 * kByte1200 + 5 * timing.codeByteGap);
    }
    OneByte spoilt(MM16, {}, false);
    spoilt.faults.corruptChecksumOfNext(1);
    spoilt.keyOn();
    EXPECT_BYTES(spoilt.code(), "55 B0 80 80 80 7A") << "checksum spoilt by the fault plan";
    OneByte t(MM16, {}, false);
    t.wakeUp();
    EXPECT_FALSE(t.answersLinkCheck());
    // A wake-up while the rider is still turning the key is lost.
    t.keyOn();
    const auto keyTurned = t.line.clock.now() + t.ecu.timing().riderDelay;
    t.wakeUp();
    ASSERT_LT(t.line.clock.now(), keyTurned);
    EXPECT_FALSE(t.answersLinkCheck());
    t.line.clock.sleepUntil(keyTurned);
    t.wakeUp();
    EXPECT_TRUE(t.answersLinkCheck());
    // Key off: a new key-on, a new code and a new wake-up are needed.
    t.ecu.keyOff();
    EXPECT_FALSE(t.answersLinkCheck());
    t.line.cable.setBaudRate(1200);
    t.keyOn();
    EXPECT_EQ(t.code().size(), 6u);
    t.wakeUp();
    EXPECT_TRUE(t.answersLinkCheck());
    // The 15RC takes the wake-up without being asked for the key.
    OneByte rc(RC15, {}, false);
    rc.wakeUp();
    EXPECT_TRUE(rc.answersLinkCheck());
    const std::tuple<const char*, Clock::Duration, Bytes, std::uint32_t> malformed[] = {
        {"bytes too close", 10ms, {0x0F, 0xAA, 0xCC}, 1200},
        {"bytes too far apart", 600ms, {0x0F, 0xAA, 0xCC}, 1200},
        {"wrong order", 110ms, {0xAA, 0x0F, 0xCC}, 1200},
        {"a foreign byte inside", 110ms, {0x0F, 0xAA, 0x01, 0xCC}, 1200},
        {"incomplete", 110ms, {0x0F, 0xAA}, 1200},
        {"sent at 7812 baud", 110ms, {0x0F, 0xAA, 0xCC}, 7812}};
    for (const auto& [what, gap, sequence, baud] : malformed) {
        OneByte t(MM15, {}, false);
        t.keyOn();
        ASSERT_EQ(t.code().size(), 6u);
        t.wakeUp(gap, sequence, baud);
        EXPECT_FALSE(t.answersLinkCheck()) << what;
        t.wakeUp();
        EXPECT_TRUE(t.answersLinkCheck()) << what;
    }
}

// Answers to 01 02 09 03 04 05 06 07 08 0A 0F, the tester's order.
TEST(OneByteLiveValues, GoldenAnswersForPinnedEnginesTheAnswerDelayAndLatchedLowBytes) {
    struct Engine {
        double rpm, throttle, injection, advance, manifold, air, coolant, battery;
        int trimmer;
    };
    constexpr Engine kPastKnee{3000, 33, 4.0, 20, 700, 20, 80, 13.5, -1};  // past the throttle sensor's knee
    const std::tuple<OneByteVariant, Engine, std::string_view> cases[] = {
        {MM16, {1250, 1.2, 2.1, 10, 360, 25, 88, 13.8, 0}, "2E E0 0E 04 1A 14 3E 50 8F DC 80"},
        {MM16, {9200, 80, 12.0, 45, 1013, -10, -20, 11.9, 20}, "06 5E F1 17 70 5A E9 2D 23 BD 94"},
        {MM15, {6500, 25, 7.5, 32.5, 950, 40, 105, 14.4, -5}, "09 04 8F 0E A6 41 D9 5F A0 E5 7B"},
        {MM15, kPastKnee, "13 88 AE 07 D0 28 97 4B 87 D7 7F"},
        {RC15, {600, 0.5, 0.6, 0.5, 200, -30, -30, 10.5, 127}, "61 A8 0A 01 2C 01 15 19 19 A7 FF"},
        {P8, {4000, 31, 5.0, 25, 800, 30, 90, 14.0, 2}, "1D 4C AF 04 E2 64 B2 55 91 DF 82"},  // below its knee
        {P8, kPastKnee, "27 10 BA 03 E8 50 97 4B 87 D7 7F"},
    };
    for (const auto& [variant, e, answers] : cases) {
        OneByte t(variant);
        EngineModel& m = t.engine;
        m.setRunning(true);
        m.pinRpm(e.rpm), m.pinThrottleDeg(e.throttle), m.pinInjection(e.injection), m.pinAdvance(e.advance);
        m.pinManifold(e.manifold), m.pinAirTemp(e.air), m.pinEngineTemp(e.coolant), m.pinBattery(e.battery);
        m.setTrimmer(e.trimmer);
        EXPECT_BYTES(t.run({0x01, 0x02, 0x09, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x0A, 0x0F}, 500ms), answers)
            << oneByteVariantName(variant) << " at " << e.rpm << " RPM";
    }
    OneByte t(MM16);
    ASSERT_EQ(t.run({0x07}).size(), 1u);
    // The ECU's pause after the command's last bit, then the answer on the wire.
    EXPECT_EQ(t.line.clock.now() - t.line.requestEnd, t.ecu.timing().answerDelay + kByte7812);
    EXPECT_BYTES(t.run({0x01, 0x02}), "FF FF") << "a stopped engine saturates the period counter";
    t.engine.setRunning(true);
    t.engine.pinRpm(1000);  // period 15000 = 0x3A98
    EXPECT_BYTES(t.run({0x01}), "3A");
    t.engine.pinRpm(1030);  // period 14563 = 0x38E3: the low byte was latched with the high one
    EXPECT_BYTES(t.run({0x02}), "98");
}

TEST(OneByteLiveValues, StatusFaultRowsTheirClearingAndIdentification) {
    const std::tuple<bool, double, std::uint8_t, std::uint8_t> status[] = {
        {false, 20, 0x00, 0x00}, {true, 20, 0x00, 0x02},  {false, 0.5, 0x00, 0x08},
        {true, 89, 0x00, 0x0A},  {false, 20, 0x81, 0x81}, {false, 20, 0x02, 0x00}};  // running, throttle, extra bits
    for (const auto& [running, throttle, extraBits, expected] : status) {
        OneByteScenario s;
        s.extraStatusBits = extraBits;
        OneByte t(MM16, s);
        t.engine.setRunning(running);
        t.engine.pinThrottleDeg(throttle);
        EXPECT_BYTES(t.run({0x13}), (Bytes{expected})) << running << " " << throttle << " " << int(extraBits);
    }
    OneByteScenario s;
    s.presentFaults = {0x01, 0x02, 0x04};
    s.presentTypes = {0x11, 0x12, 0x14};
    s.storedFaults = {0x21, 0x22, 0x24};
    s.storedTypes = {0x31, 0x32, 0x34};
    const Bytes rows{0x10, 0x11, 0x12, 0x2B, 0x2C, 0x2D, 0x14, 0x15, 0x16, 0x2F, 0x30, 0x31};
    for (const auto variant : {MM16, MM15, RC15, P8}) {
        EXPECT_BYTES(OneByte(variant, s).run(rows), "01 02 04 11 12 14 21 22 24 31 32 34")
            << oneByteVariantName(variant);
    }
    // The memory clearing stores again what is still present, unless it fails.
    for (const bool fails : {false, true}) {
        if (fails) s.failingTest = DiagTest::ClearMemory;
        OneByte t(MM16, s);
        EXPECT_BYTES(t.run({0xAA, 0x84, 0xFF}), fails ? "AA EE FF" : "AA FF FF");
        EXPECT_BYTES(t.run(Bytes(rows.begin() + 6, rows.end())), fails ? "21 22 24 31 32 34" : "01 02 04 11 12 14");
    }
    // One character per address from 0x17; FF where unprogrammed, nothing past the last.
    const std::tuple<OneByteVariant, std::string, int, std::string_view> ids[] = {
        {MM16, "ABCDEFGHIJK", 0x21, "4142434445464748494A4B"},
        {RC15, "XY", 0x28, "5859FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF"}};
    for (const auto& [variant, text, last, expected] : ids) {
        OneByteScenario id;
        id.identification = text;
        Bytes addresses;
        for (int a = 0x17; a <= last + 1; ++a) addresses.push_back(static_cast<std::uint8_t>(a));
        EXPECT_BYTES(OneByte(variant, id).run(addresses, 500ms), expected);
    }
}

TEST(OneByteDiagnosticMode, IsEnteredOnlyWithTheEngineStoppedEndsByItselfWhenIdleAndItsTestsEndWithFFOnTime) {
    for (const auto variant : {MM16, MM15, RC15, P8}) {
        for (const bool running : {false, true}) {
            OneByte t(variant);
            t.engine.setRunning(running);
            // Unknown commands, test commands and the trimmer-adjust byte outside the mode get nothing.
            EXPECT_BYTES(t.run({0x00, 0x0B, 0x0E, 0x2A, 0x2E, 0x32, 0x80, 0x84, 0x8D, 0xCC, 0xFF}, 500ms), "");
            EXPECT_BYTES(t.run({0xAA, 0xFF}), running ? "" : "AA FF") << oneByteVariantName(variant) << running;
            EXPECT_TRUE(t.answersLinkCheck());
        }
    }
    OneByte p8(P8);
    EXPECT_BYTES(p8.run({0xAA, 0x80, 0x81, 0x83, 0x84, 0x85, 0x86, 0x87, 0x8D, 0xFF}), "AA FF") << "no tests on a P8";
    OneByte t(MM15);
    EXPECT_BYTES(t.run({0xAA}), "AA");
    EXPECT_FALSE(t.answersLinkCheck()) << "live commands wait for the mode to end";
    t.line.clock.sleepFor(t.ecu.timing().diagIdleTimeout);
    EXPECT_TRUE(t.answersLinkCheck());
    EXPECT_EQ(t.ecu.state(t.line.clock.now()), OneByteState::Awake);
}

TEST(OneByteTrimmerAdjustAndFaults, TrimmerSavedOnlyWithTheEngineRunningAndFaultPlanShapesAnswers) {
    for (const auto variant : {MM15, RC15}) {
        for (const bool runningAtSave : {true, false}) {
            OneByte t(variant);
            t.engine.setTrimmer(3);
            EXPECT_BYTES(t.run({0x0F, 0xAA}), "83 AA");
            t.line.clock.sleepFor(1s);
            EXPECT_BYTES(t.run({0x8D}), "8D");
            t.engine.setRunning(true);  // the rider starts the engine and steps the value
            EXPECT_BYTES(t.run({0x84, 0x85}), "84 85");
            EXPECT_EQ(t.engine.trimmer(), 5);
            t.engine.setRunning(runningAtSave);
            EXPECT_BYTES(t.run({0xFF, 0xFF}), "FF FF");
            t.line.clock.sleepFor(200ms);
            EXPECT_BYTES(t.run({0x0F}), runningAtSave ? "85" : "83") << oneByteVariantName(variant);
        }
    }
    OneByteScenario narrow;
    narrow.trimmerMin = -20;
    narrow.trimmerMax = 30;
    EXPECT_BYTES(OneByte(MM15, narrow).run({0xAA, 0x8D, 0x80, 0x9E, 0x9F, 0xFE, 0x6C, 0x6B, 0x00}),
                 "AA 8D 80 9E 9E 9E 6C 6C 6C")
        << "clamped to the trimmer's range";
    for (const auto& [variant, running] : {std::pair{MM15, true}, std::pair{MM16, false}, std::pair{P8, false}}) {
        OneByte r(variant);
        r.run({0xAA});
        r.engine.setRunning(running);
        EXPECT_BYTES(r.run({0x8D}), "") << oneByteVariantName(variant) << " running " << running;
    }
    const std::tuple<const char*, std::function<void(Faults&)>, std::string_view> cases[] = {
        {"dropped answer", [](Faults& f) { f.dropNextAnswers(1); }, "|5F"},
        {"late answer past the time-out", [](Faults& f) { f.delayNextAnswers(1, 600ms); }, "|5F"},
    };
    for (const auto& [what, plan, answers] : cases) {
        OneByte t(MM16);
        t.engine.pinEngineTemp(40);  // byte 0x5F, complement 0xA0
        plan(t.faults);
        const Bytes first = t.run({0x08}, 500ms);  // two link checks 1 s apart
        t.line.clock.sleepFor(1s);
        EXPECT_EQ(hex(first) + "|" + hex(t.run({0x08}, 500ms)), answers) << what;
    }
    OneByte deaf(MM15, {}, false);
    deaf.faults.ignoreFirstWakeUps(2);
    deaf.keyOn();
    deaf.code();
    for (int i = 0; i < 3; ++i) {
        deaf.wakeUp();
        EXPECT_EQ(deaf.answersLinkCheck(), i == 2) << "wake-up " << i;
    }
    EXPECT_EQ(deaf.faults.wakeUpsIgnored(), 2);
}

}  // namespace
}  // namespace dravio::sim::testing
