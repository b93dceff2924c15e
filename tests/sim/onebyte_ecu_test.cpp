// The simulated one-byte-protocol ECUs driven byte by byte through the
// simulated cable: key-on and power-on code, the 1200-baud wake-up, golden
// answers at 7812 baud, the diagnostic and trimmer-adjust modes, line faults.
#include "sim/onebyte_ecu.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "kline_driver.h"

namespace dravio::sim {
namespace {

using namespace testing;

const auto kByte1200 = KLineDriver::byteTime(1200);
const auto kByte7812 = KLineDriver::byteTime(7812);
using enum OneByteVariant;

struct OneByte {
    explicit OneByte(OneByteVariant variant, OneByteScenario scenario = {}, bool awake = true)
        : ecu(variant, engine, std::move(scenario)) {
        engine.setRunning(false);
        if (!awake) return;
        ecu.startAwake();
        line.cable.setBaudRate(7812);
    }
    void keyOn() { ecu.requestKeyOn(line.deviceOutput(), line.clock.now()); }
    // Phase 1 of the start-up at 1200 baud, then the switch to 7812 baud.
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
    // Each command on its own, the answers one after the other.
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
    OneByteEcu ecu;
    KLineDriver line{ecu, 1200};
};

TEST(OneByteStartUp, PowerOnCodeComesAtTheSetTimeAfterKeyOnAt1200Baud) {
    const struct {
        OneByteVariant variant;
        PowerOnCodeForm form;
        std::array<std::uint8_t, 4> code;
        std::string_view heard;
    } cases[] = {{MM16, PowerOnCodeForm::Sync55, {0xB0, 0x80, 0x80, 0x80}, "55 B0 80 80 80 85"},
                 {P8, PowerOnCodeForm::Sync55, {0xFF, 0xFF, 0xFF, 0xFF}, "55 FF FF FF FF 51"},
                 {MM15, PowerOnCodeForm::Start0B, {0x01, 0x02, 0x03, 0xF0}, "0B 01 02 03 F0 01"},
                 {RC15, PowerOnCodeForm::Sync55, {0x12, 0xFE, 0x00, 0x99}, "55 12 FE 00 99 FE"}};
    for (const auto& c : cases) {
        OneByteScenario s;
        s.codeForm = c.form;
        s.powerOnCode = c.code;
        OneByte t(c.variant, s, false);
        EXPECT_BYTES(t.code(), "") << "the key is off";
        t.keyOn();
        const auto asked = t.line.clock.now();
        EXPECT_BYTES(t.code(), c.heard);
        // The rider's delay (none on a 15RC, powered all along), the boot, six bytes.
        const OneByteTiming& timing = t.ecu.timing();
        const auto rider = c.variant == RC15 ? 0ms : timing.riderDelay;
        EXPECT_EQ(t.line.clock.now() - asked, rider + timing.bootDelay + 6 * kByte1200 + 5 * timing.codeByteGap);
    }
    OneByte fast(MM15, {}, false);
    fast.line.cable.setBaudRate(7812);
    fast.keyOn();
    EXPECT_BYTES(fast.code(), "") << "not heard at 7812 baud";
    OneByte spoilt(MM16, {}, false);
    Faults faults;
    faults.corruptChecksumOfNext(1);
    spoilt.ecu.setFaultPlan(&faults);
    spoilt.keyOn();
    EXPECT_BYTES(spoilt.code(), "55 B0 80 80 80 7A") << "checksum spoilt by the fault plan";
}

TEST(OneByteStartUp, WakeUpCountsOnlyOnceTheKeyIsOnAndAgainAfterAKeyCycle) {
    OneByte t(MM16, {}, false);
    t.wakeUp();
    EXPECT_FALSE(t.answersLinkCheck());
    // The rider takes his time to turn the key: a wake-up sent meanwhile is lost.
    t.keyOn();
    const auto keyTurned = t.line.clock.now() + t.ecu.timing().riderDelay;
    t.wakeUp();
    ASSERT_LT(t.line.clock.now(), keyTurned);
    EXPECT_FALSE(t.answersLinkCheck());
    t.line.clock.sleepUntil(keyTurned);
    EXPECT_EQ(t.ecu.state(t.line.clock.now()), OneByteState::Listening);
    t.wakeUp();
    EXPECT_EQ(t.ecu.state(t.line.clock.now()), OneByteState::Awake);
    EXPECT_TRUE(t.answersLinkCheck());
    // Key off: a new key-on, a new code and a new wake-up are needed.
    t.ecu.keyOff();
    EXPECT_FALSE(t.answersLinkCheck());
    t.line.cable.setBaudRate(1200);
    t.keyOn();
    EXPECT_EQ(t.code().size(), 6u);
    t.line.cable.setBaudRate(7812);
    EXPECT_FALSE(t.answersLinkCheck());
    t.wakeUp();
    EXPECT_TRUE(t.answersLinkCheck());
    // The 15RC takes the wake-up without being asked for the key.
    OneByte rc(RC15, {}, false);
    rc.wakeUp();
    EXPECT_TRUE(rc.answersLinkCheck());
}

TEST(OneByteStartUp, AMalformedWakeUpLeavesTheEcuDeafUntilAProperOne) {
    const struct {
        const char* what;
        Clock::Duration gap;
        Bytes sequence;
        std::uint32_t baud;
    } cases[] = {{"bytes too close", 10ms, {0x0F, 0xAA, 0xCC}, 1200},
                 {"bytes too far apart", 600ms, {0x0F, 0xAA, 0xCC}, 1200},
                 {"wrong order", 110ms, {0xAA, 0x0F, 0xCC}, 1200},
                 {"a foreign byte inside", 110ms, {0x0F, 0xAA, 0x01, 0xCC}, 1200},
                 {"incomplete", 110ms, {0x0F, 0xAA}, 1200},
                 {"sent at 7812 baud", 110ms, {0x0F, 0xAA, 0xCC}, 7812}};
    for (const auto& c : cases) {
        OneByte t(MM15, {}, false);
        t.keyOn();
        ASSERT_EQ(t.code().size(), 6u);
        t.wakeUp(c.gap, c.sequence, c.baud);
        EXPECT_FALSE(t.answersLinkCheck()) << c.what;
        t.wakeUp();
        EXPECT_TRUE(t.answersLinkCheck()) << c.what;
    }
}

// Answers to 01 02 09 03 04 05 06 07 08 0A 0F, the tester's order.
TEST(OneByteLiveValues, GoldenAnswersForPinnedEngines) {
    struct Engine {
        double rpm, throttle, injection, advance, manifold, air, coolant, battery;
        int trimmer;
    };
    constexpr Engine kIdle{1250, 1.2, 2.1, 10, 360, 25, 88, 13.8, 0};
    constexpr Engine kCruise{6500, 25, 7.5, 32.5, 950, 40, 105, 14.4, -5};
    constexpr Engine kPastKnee{3000, 33, 4.0, 20, 700, 20, 80, 13.5, -1};  // past the throttle sensor's knee
    const struct {
        OneByteVariant variant;
        Engine e;
        std::string_view answers;
    } cases[] = {
        {MM16, kIdle, "2E E0 0E 04 1A 14 3E 50 8F DC 80"},
        {MM16, {9200, 80, 12.0, 45, 1013, -10, -20, 11.9, 20}, "06 5E F1 17 70 5A E9 2D 23 BD 94"},
        {MM15, kCruise, "09 04 8F 0E A6 41 D9 5F A0 E5 7B"},
        {MM15, kPastKnee, "13 88 AE 07 D0 28 97 4B 87 D7 7F"},
        {RC15, {600, 0.5, 0.6, 0.5, 200, -30, -30, 10.5, 127}, "61 A8 0A 01 2C 01 15 19 19 A7 FF"},
        {P8, kIdle, "5D C0 0E 02 0D 28 3E 50 8F DC 80"},
        {P8, kCruise, "12 07 8F 07 53 82 D9 5F A0 E5 7B"},
        {P8, {4000, 31, 5.0, 25, 800, 30, 90, 14.0, 2}, "1D 4C AF 04 E2 64 B2 55 91 DF 82"},  // below its knee
        {P8, kPastKnee, "27 10 BA 03 E8 50 97 4B 87 D7 7F"},
    };
    for (const auto& [variant, e, answers] : cases) {
        OneByte t(variant);
        t.engine.setRunning(true);
        t.engine.pinRpm(e.rpm);
        t.engine.pinThrottleDeg(e.throttle);
        t.engine.pinInjection(e.injection);
        t.engine.pinAdvance(e.advance);
        t.engine.pinManifold(e.manifold);
        t.engine.pinAirTemp(e.air);
        t.engine.pinEngineTemp(e.coolant);
        t.engine.pinBattery(e.battery);
        t.engine.setTrimmer(e.trimmer);
        EXPECT_BYTES(t.run({0x01, 0x02, 0x09, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x0A, 0x0F}, 500ms), answers)
            << oneByteVariantName(variant) << " at " << e.rpm << " RPM";
    }
}

TEST(OneByteLiveValues, AnswerDelayAndLatchedLowBytes) {
    for (const auto delay : {2ms, 7ms}) {
        OneByte t(MM15);
        auto timing = t.ecu.timing();
        timing.answerDelay = delay;
        t.ecu.setTiming(timing);
        ASSERT_EQ(t.run({0x07}).size(), 1u);
        // The ECU's pause after the command's last bit, then the answer on the wire.
        EXPECT_EQ(t.line.clock.now() - t.line.requestEnd, delay + kByte7812);
    }
    OneByte t(MM16);
    EXPECT_BYTES(t.run({0x01, 0x02}), "FF FF") << "a stopped engine saturates the period counter";
    t.engine.setRunning(true);
    t.engine.pinRpm(1000);  // period 15000 = 0x3A98
    EXPECT_BYTES(t.run({0x01}), "3A");
    t.engine.pinRpm(1030);  // period 14563 = 0x38E3: the low byte was latched with the high one
    EXPECT_BYTES(t.run({0x02}), "98");
}

TEST(OneByteLiveValues, StatusFaultRowsAndIdentification) {
    const struct {
        bool running;
        double throttle;
        std::uint8_t extraBits, expected;
    } status[] = {{false, 20, 0x00, 0x00}, {true, 20, 0x00, 0x02},  {false, 0.5, 0x00, 0x08},
                  {true, 89, 0x00, 0x0A},  {false, 20, 0x81, 0x81}, {false, 20, 0x02, 0x00}};
    for (const auto& c : status) {
        OneByteScenario s;
        s.extraStatusBits = c.extraBits;
        OneByte t(MM16, s);
        t.engine.setRunning(c.running);
        t.engine.pinThrottleDeg(c.throttle);
        EXPECT_BYTES(t.run({0x13}), (Bytes{c.expected})) << c.running << " " << c.throttle << " " << int(c.extraBits);
    }
    OneByteScenario s;
    s.presentFaults = {0x01, 0x02, 0x04};
    s.presentTypes = {0x11, 0x12, 0x14};
    s.storedFaults = {0x21, 0x22, 0x24};
    s.storedTypes = {0x31, 0x32, 0x34};
    for (const auto variant : {MM16, MM15, RC15, P8}) {
        EXPECT_BYTES(OneByte(variant, s).run({0x10, 0x11, 0x12, 0x2B, 0x2C, 0x2D, 0x14, 0x15, 0x16, 0x2F, 0x30, 0x31}),
                     "01 02 04 11 12 14 21 22 24 31 32 34")
            << oneByteVariantName(variant);
    }
    // One character per address from 0x17; FF where unprogrammed, nothing past the last.
    const struct {
        OneByteVariant variant;
        std::string text;
        std::uint8_t last;
        std::string_view expected;
    } ids[] = {{MM16, "ABCDEFGHIJK", 0x21, "4142434445464748494A4B"},
               {RC15, "XY", 0x28, "5859FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF"}};
    for (const auto& c : ids) {
        OneByteScenario id;
        id.identification = c.text;
        OneByte t(c.variant, id);
        Bytes addresses;
        for (int a = 0x17; a <= c.last + 1; ++a) addresses.push_back(static_cast<std::uint8_t>(a));
        EXPECT_BYTES(t.run(addresses, 500ms), c.expected);
    }
}

TEST(OneByteLiveValues, UnknownCommandsAndOtherRatesGetNoAnswer) {
    for (const auto variant : {MM16, MM15, RC15, P8}) {
        OneByte t(variant);
        // 0x2E would be the type byte of the status row; test commands and the
        // trimmer-adjust byte mean nothing outside the diagnostic mode.
        EXPECT_BYTES(t.run({0x00, 0x0B, 0x0C, 0x0D, 0x0E, 0x2A, 0x2E, 0x32, 0x80, 0x84, 0x8D, 0xCC, 0xFF}, 500ms), "")
            << oneByteVariantName(variant);
        EXPECT_TRUE(t.answersLinkCheck());
        t.line.cable.setBaudRate(9600);
        EXPECT_FALSE(t.answersLinkCheck());
    }
}

TEST(OneByteDiagnosticMode, IsEnteredOnlyWithTheEngineStoppedAndEndsByItselfWhenIdle) {
    for (const auto variant : {MM16, MM15, RC15, P8}) {
        OneByte stopped(variant);
        EXPECT_BYTES(stopped.run({0xAA, 0xFF}), "AA FF") << oneByteVariantName(variant);
        EXPECT_TRUE(stopped.answersLinkCheck());
        OneByte running(variant);
        running.engine.setRunning(true);
        EXPECT_BYTES(running.run({0xAA}), "") << oneByteVariantName(variant);
        EXPECT_TRUE(running.answersLinkCheck());
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

TEST(OneByteDiagnosticMode, TestsEndWithFFAfterTheirDurationOrEEWhenTheyFail) {
    // Command bytes in button order: memory clearing, rev counter, pump,
    // horizontal coil, vertical coil, injector 1, injector 2.
    const Bytes mm16{0x84, 0x86, 0x80, 0x82, 0x83, 0x81, 0x87};
    const Bytes m15{0x83, 0x85, 0x80, 0x81, 0x82, 0x86, 0x87};
    for (const auto variant : {MM16, MM15, RC15}) {
        for (std::size_t button = 0; button < 7; ++button) {
            for (const bool fails : {false, true}) {
                OneByteScenario s;
                if (fails) s.failingTest = static_cast<DiagTest>(button);
                OneByte t(variant, s);
                const std::uint8_t command = (variant == MM16 ? mm16 : m15)[button];
                const Bytes end{static_cast<std::uint8_t>(fails ? 0xEE : 0xFF)};
                const std::string what = std::string(oneByteVariantName(variant)) + " button " +
                                         std::to_string(button) + (fails ? " failing" : "");
                EXPECT_BYTES(t.run({0xAA}), "AA") << what;
                t.line.clock.sleepFor(200ms);
                const Bytes ack = t.run({command});
                const auto commandEnd = t.line.requestEnd;
                // The clearing answers with its end byte; other tests echo, then the tester listens up to 32 s.
                EXPECT_BYTES(ack, button == 0 ? end : Bytes{command}) << what;
                if (button != 0) {
                    EXPECT_BYTES(t.line.hear(1, 32s), end) << what;
                }
                const auto duration = t.ecu.timing().testDuration[button];
                EXPECT_GE(t.line.clock.now() - commandEnd, duration) << what;
                EXPECT_LE(t.line.clock.now() - commandEnd, duration + 2 * kByte7812) << what;
                t.line.clock.sleepFor(200ms);
                EXPECT_BYTES(t.run({0xFF}), "FF") << what;
                EXPECT_TRUE(t.answersLinkCheck()) << what;
            }
        }
    }
}

TEST(OneByteDiagnosticMode, ClearingStoresOnlyWhatIsStillPresent) {
    for (const bool fails : {false, true}) {
        OneByteScenario s;
        s.presentFaults = {0x01, 0x00, 0x00};
        s.presentTypes = {0x01, 0x00, 0x00};
        s.storedFaults = {0x1B, 0x02, 0x10};
        s.storedTypes = {0x0A, 0x02, 0x00};
        if (fails) s.failingTest = DiagTest::ClearMemory;
        OneByte t(MM16, s);
        EXPECT_BYTES(t.run({0xAA, 0x84, 0xFF, 0x14, 0x15, 0x16, 0x2F, 0x30, 0x31}),
                     fails ? "AA EE FF 1B 02 10 0A 02 00" : "AA FF FF 01 00 00 01 00 00");
    }
}

TEST(OneByteTrimmerAdjust, EchoesEachValueAndSavesItOnlyWithTheEngineRunning) {
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
    OneByteScenario s;
    s.trimmerMin = -20;
    s.trimmerMax = 30;
    EXPECT_BYTES(OneByte(MM15, s).run({0xAA, 0x8D, 0x80, 0x9E, 0x9F, 0xFE, 0x6C, 0x6B, 0x00}),
                 "AA 8D 80 9E 9E 9E 6C 6C 6C")
        << "clamped to the trimmer's range";
    for (const auto& [variant, running] : {std::pair{MM15, true}, std::pair{MM16, false}, std::pair{P8, false}}) {
        OneByte r(variant);
        EXPECT_BYTES(r.run({0xAA}), "AA");
        r.engine.setRunning(running);
        EXPECT_BYTES(r.run({0x8D}), "") << oneByteVariantName(variant) << " running " << running;
    }
}

TEST(OneByteFaultPlan, ShapesTheAnswersAndIgnoresWakeUps) {
    const struct {
        const char* what;
        std::function<void(Faults&)> plan;
        std::string_view answers;  // to two link checks 1 s apart
    } cases[] = {
        {"dropped answer", [](Faults& f) { f.dropNextAnswers(1); }, "5F"},
        {"corrupted byte", [](Faults& f) { f.corruptByteAt(1); }, "5F A0"},
        {"lost byte", [](Faults& f) { f.dropByteAt(0); }, "5F"},
        {"late answer past the time-out", [](Faults& f) { f.delayNextAnswers(1, 600ms); }, "5F"},
    };
    for (const auto& c : cases) {
        OneByte t(MM16);
        t.engine.pinEngineTemp(40);  // byte 0x5F, complement 0xA0
        Faults faults;
        c.plan(faults);
        t.ecu.setFaultPlan(&faults);
        Bytes heard = t.run({0x08}, 500ms);
        t.line.clock.sleepFor(1s);
        const Bytes second = t.run({0x08}, 500ms);
        heard.insert(heard.end(), second.begin(), second.end());
        EXPECT_BYTES(heard, c.answers) << c.what;
    }
    OneByte late(MM15);
    Faults delay;
    delay.delayNextAnswers(1, 50ms);
    late.ecu.setFaultPlan(&delay);
    ASSERT_EQ(late.run({0x0A}).size(), 1u);
    EXPECT_EQ(late.line.clock.now() - late.line.requestEnd, late.ecu.timing().answerDelay + 50ms + kByte7812);
    OneByte deaf(MM15, {}, false);
    Faults ignore;
    ignore.ignoreFirstWakeUps(2);
    deaf.ecu.setFaultPlan(&ignore);
    deaf.keyOn();
    deaf.code();
    for (int i = 0; i < 3; ++i) {
        deaf.wakeUp();
        EXPECT_EQ(deaf.answersLinkCheck(), i == 2) << "wake-up " << i;
    }
    EXPECT_EQ(ignore.wakeUpsIgnored(), 2);
}

TEST(OneByteFaultPlan, NoiseIsSentAtTheRateTheEcuIsAt) {
    const struct {
        bool awake;
        std::uint32_t testerBaud;
        std::string_view heard;
    } cases[] = {{false, 1200, "12 34"}, {false, 7812, ""}, {true, 7812, "12 34"}, {true, 1200, ""}};
    for (const auto& c : cases) {
        OneByte t(MM16, {}, false);
        Faults faults;
        t.ecu.setFaultPlan(&faults);
        t.keyOn();
        t.code();
        if (c.awake) t.ecu.startAwake();
        t.line.cable.setBaudRate(c.testerBaud);
        faults.addNoise({t.line.clock.now() + 5ms, {0x12, 0x34}});
        t.ecu.pollNoise(t.line.deviceOutput(), t.line.clock.now());  // not due yet
        t.line.clock.sleepFor(5ms);
        t.ecu.pollNoise(t.line.deviceOutput(), t.line.clock.now());
        EXPECT_BYTES(t.line.hear(2, 100ms), c.heard) << (c.awake ? "awake" : "listening") << " at " << c.testerBaud;
    }
}

}  // namespace
}  // namespace dravio::sim
