// Conformance of the simulated one-byte-protocol ECUs: a small tester below
// drives them through the simulated cable on the virtual clock, byte by byte
// with 6 ms before each byte, and changes the cable's rate as a real tester does.
// Expected values come from the tester's decoding rules, written out here.
#include "sim/onebyte_ecu.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "base/hex.h"
#include "ports/sim_cable.h"

namespace dravio::sim {
namespace {

using namespace std::chrono_literals;
using base::Clock;
using Bytes = std::vector<std::uint8_t>;

constexpr auto kGap = 6ms;
const auto kByte7812 = ports::SimCable::byteTime(7812);
const auto kByte1200 = ports::SimCable::byteTime(1200);

// The tester side of the line.
class Tester {
public:
    explicit Tester(OneByteVariant variant, OneByteScenario scenario = {})
        : ecu(variant, engine, std::move(scenario)), adapter(ecu) {
        cable.setPeer(&adapter);
        EXPECT_EQ(cable.open("Dravio simulated K-line"), ports::kCableOk);
        cable.setBaudRate(1200);
        engine.setRunning(false);
    }

    KLineOutput& ecuOutput() { return adapter.output(cable); }
    void keyOn() { ecu.requestKeyOn(ecuOutput(), clock.now()); }

    void flush() {
        std::uint32_t n = 0;
        cable.queueStatus(n);
        Bytes dropped;
        if (n > 0) cable.read(n, dropped);
    }

    // Sends `request` with 6 ms before every byte, waits for the echo and
    // `answerLength` more bytes or the time-out, and returns what follows the echo.
    Bytes exchange(const Bytes& request, std::size_t answerLength = 1, Clock::Duration timeout = 500ms) {
        flush();
        for (const std::uint8_t b : request) {
            clock.sleepFor(kGap);
            lastWrite = clock.now();
            cable.write(b);
        }
        return collect(request.size(), answerLength, timeout);
    }
    // Listens only: nothing is written.
    Bytes listen(std::size_t count, Clock::Duration timeout) {
        flush();
        return collect(0, count, timeout);
    }
    std::uint8_t ask(std::uint8_t command) {
        const Bytes answer = exchange({command});
        EXPECT_EQ(answer.size(), 1u) << "command " << base::ByteToHex(command);
        return answer.empty() ? 0 : answer[0];
    }

    // Phase 1 of the start-up at 1200 baud, then the switch to 7812 baud.
    void wakeUp(Clock::Duration gap = 110ms, Bytes sequence = {0x0F, 0xAA, 0xCC}) {
        clock.sleepFor(700ms);
        for (std::size_t i = 0; i < sequence.size(); ++i) {
            if (i > 0) clock.sleepFor(gap);
            cable.write(sequence[i]);
        }
        clock.sleepFor(300ms);
        cable.setBaudRate(7812);
    }

    base::VirtualClock clock;
    ports::SimCable cable{clock};
    EngineModel engine{7};
    OneByteEcu ecu;
    SimCableAdapter adapter;
    Clock::TimePoint lastWrite{};

private:
    Bytes collect(std::size_t echo, std::size_t count, Clock::Duration timeout) {
        cable.waitForQueue(static_cast<std::uint32_t>(echo + count), clock.now() + timeout);
        std::uint32_t n = 0;
        cable.queueStatus(n);
        Bytes all;
        cable.read(n, all);
        if (all.size() <= echo) return {};
        Bytes answer(all.begin() + static_cast<std::ptrdiff_t>(echo), all.end());
        if (answer.size() > count) answer.resize(count);
        return answer;
    }
};

std::string hex(const Bytes& b) { return base::toHex(b); }

// The tester's acceptance rule for a power-on code received as hex text.
bool codeAccepted(std::string text) {
    if (text.size() < 6) return false;
    if (const auto p = text.find("55"); p != std::string::npos) {
        text = text.substr(p, p + 12);
        return text.size() >= 12 && base::CalculChecksum(text.substr(0, 10)) == text.substr(10, 2);
    }
    if (const auto p = text.find("0B"); p != std::string::npos) {
        return text.size() >= p + 12 && base::CalculChecksum(text.substr(p, 10)) == text.substr(p + 10, 2);
    }
    return false;
}

// --- Power-on code ------------------------------------------------------

struct CodeCase {
    OneByteVariant variant;
    PowerOnCodeForm form;
    std::array<std::uint8_t, 4> code;
    std::uint8_t start;
};

void PrintTo(const CodeCase& c, std::ostream* os) {
    *os << oneByteVariantName(c.variant) << " start " << base::ByteToHex(c.start);
}

class OneBytePowerOnCode : public ::testing::TestWithParam<CodeCase> {};

TEST_P(OneBytePowerOnCode, ComesAfterKeyOnAt1200BaudAndPassesTheTestersChecksum) {
    const CodeCase& c = GetParam();
    OneByteScenario scenario;
    scenario.codeForm = c.form;
    scenario.powerOnCode = c.code;
    Tester t(c.variant, scenario);
    // Before the key is on, the line stays silent however long one listens.
    EXPECT_EQ(hex(t.listen(6, 20s)), "");

    t.keyOn();
    const auto asked = t.clock.now();
    const Bytes code = t.listen(6, 20s);
    ASSERT_EQ(code.size(), 6u) << hex(code);
    EXPECT_EQ(code[0], c.start);
    EXPECT_TRUE(std::equal(c.code.begin(), c.code.end(), code.begin() + 1)) << hex(code);
    EXPECT_TRUE(codeAccepted(hex(code))) << hex(code);
    EXPECT_GE(t.clock.now() - asked, t.ecu.timing().riderDelay + 6 * kByte1200);
}

INSTANTIATE_TEST_SUITE_P(
    FormsAndVariants, OneBytePowerOnCode,
    ::testing::Values(CodeCase{OneByteVariant::MM16, PowerOnCodeForm::Sync55, {0xB0, 0x80, 0x80, 0x80}, 0x55},
                      CodeCase{OneByteVariant::MM15, PowerOnCodeForm::Sync55, {0x12, 0xFE, 0x00, 0x99}, 0x55},
                      CodeCase{OneByteVariant::P8, PowerOnCodeForm::Sync55, {0xFF, 0xFF, 0xFF, 0xFF}, 0x55},
                      CodeCase{OneByteVariant::MM16, PowerOnCodeForm::Start0B, {0xB0, 0x80, 0x80, 0x80}, 0x0B},
                      CodeCase{OneByteVariant::MM15, PowerOnCodeForm::Start0B, {0x01, 0x02, 0x03, 0xF0}, 0x0B}));

TEST(OneBytePowerOnCodeLine, DefaultCodeIsTheDocumentedExample) {
    Tester t(OneByteVariant::MM16);
    t.keyOn();
    EXPECT_EQ(hex(t.listen(6, 20s)), "55B080808085");
}

TEST(OneBytePowerOnCodeLine, IsNotHeardByATesterAt7812Baud) {
    Tester t(OneByteVariant::MM15);
    t.cable.setBaudRate(7812);
    t.keyOn();
    EXPECT_EQ(hex(t.listen(6, 20s)), "");
}

TEST(OneBytePowerOnCodeLine, The15RCIsOnAtOnce) {
    Tester t(OneByteVariant::RC15);
    // Nobody asked for the key, yet the ECU takes the wake-up.
    t.wakeUp();
    EXPECT_EQ(t.exchange({0x08}).size(), 1u);

    // Asked, it sends its code without waiting for a rider.
    t.cable.setBaudRate(1200);
    t.keyOn();
    const auto asked = t.clock.now();
    const Bytes code = t.listen(6, 20s);
    EXPECT_TRUE(codeAccepted(hex(code))) << hex(code);
    EXPECT_LT(t.clock.now() - asked, t.ecu.timing().riderDelay);
}

TEST(OneBytePowerOnCodeLine, ABadChecksumFromTheFaultPlanIsRejectedByTheTestersRule) {
    Tester t(OneByteVariant::MM16);
    Faults faults;
    faults.corruptChecksumOfNext(1);
    t.ecu.setFaultPlan(&faults);
    t.keyOn();
    const Bytes code = t.listen(6, 20s);
    ASSERT_EQ(code.size(), 6u);
    EXPECT_FALSE(codeAccepted(hex(code))) << hex(code);
}

// --- Wake-up ------------------------------------------------------------

TEST(OneByteWakeUp, AfterTheCodeTheEcuAnswersTheLinkCheckAt7812Baud) {
    Tester t(OneByteVariant::MM16);
    t.keyOn();
    ASSERT_EQ(t.listen(6, 20s).size(), 6u);
    EXPECT_EQ(t.ecu.state(t.clock.now()), OneByteState::Listening);
    t.wakeUp();
    EXPECT_EQ(t.ecu.state(t.clock.now()), OneByteState::Awake);
    EXPECT_EQ(t.exchange({0x08}).size(), 1u);
}

struct BadWakeUp {
    const char* what;
    Clock::Duration gap;
    Bytes sequence;
    std::uint32_t baud;
};

void PrintTo(const BadWakeUp& c, std::ostream* os) { *os << c.what; }

class OneByteWakeUpRefused : public ::testing::TestWithParam<BadWakeUp> {};

TEST_P(OneByteWakeUpRefused, LeavesTheEcuDeaf) {
    const BadWakeUp& c = GetParam();
    Tester t(OneByteVariant::MM15);
    t.keyOn();
    ASSERT_EQ(t.listen(6, 20s).size(), 6u);
    t.cable.setBaudRate(c.baud);
    t.wakeUp(c.gap, c.sequence);
    EXPECT_EQ(hex(t.exchange({0x08})), "") << c.what;
    // The ECU still listens for a proper wake-up.
    t.cable.setBaudRate(1200);
    t.wakeUp();
    EXPECT_EQ(t.exchange({0x08}).size(), 1u) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OneByteWakeUpRefused,
    ::testing::Values(BadWakeUp{"bytes too close", 10ms, {0x0F, 0xAA, 0xCC}, 1200},
                      BadWakeUp{"bytes too far apart", 600ms, {0x0F, 0xAA, 0xCC}, 1200},
                      BadWakeUp{"wrong order", 110ms, {0xAA, 0x0F, 0xCC}, 1200},
                      BadWakeUp{"a foreign byte inside", 110ms, {0x0F, 0xAA, 0x01, 0xCC}, 1200},
                      BadWakeUp{"incomplete", 110ms, {0x0F, 0xAA}, 1200},
                      BadWakeUp{"sent at 7812 baud", 110ms, {0x0F, 0xAA, 0xCC}, 7812}));

TEST(OneByteWakeUp, IsIgnoredWhileTheKeyIsOff) {
    Tester t(OneByteVariant::MM16);
    t.wakeUp();
    EXPECT_EQ(hex(t.exchange({0x08})), "");
    // The rider takes his time to turn the key: a wake-up sent meanwhile is lost.
    t.cable.setBaudRate(1200);
    t.keyOn();
    const auto keyTurned = t.clock.now() + t.ecu.timing().riderDelay;
    t.wakeUp();
    ASSERT_LT(t.clock.now(), keyTurned);
    EXPECT_EQ(hex(t.exchange({0x08})), "");
    t.cable.setBaudRate(1200);
    t.clock.sleepUntil(keyTurned);
    t.wakeUp();
    EXPECT_EQ(t.exchange({0x08}).size(), 1u);
}

TEST(OneByteWakeUp, AKeyCycleRestartsTheWholeStartUp) {
    Tester t(OneByteVariant::MM16);
    t.ecu.startAwake();
    t.cable.setBaudRate(7812);
    ASSERT_EQ(t.exchange({0x08}).size(), 1u);
    t.ecu.keyOff();
    EXPECT_EQ(hex(t.exchange({0x08})), "");
    // Re-initialisation: a new key-on, a new code, a new wake-up.
    t.cable.setBaudRate(1200);
    t.keyOn();
    EXPECT_TRUE(codeAccepted(hex(t.listen(6, 20s))));
    t.cable.setBaudRate(7812);
    EXPECT_EQ(hex(t.exchange({0x08})), "");
    t.cable.setBaudRate(1200);
    t.wakeUp();
    EXPECT_EQ(t.exchange({0x08}).size(), 1u);
}

TEST(OneByteWakeUp, TheFaultPlanCanIgnoreTheFirstOnes) {
    Tester t(OneByteVariant::MM15);
    Faults faults;
    faults.ignoreFirstWakeUps(2);
    t.ecu.setFaultPlan(&faults);
    t.keyOn();
    t.listen(6, 20s);
    for (int attempt = 0; attempt < 2; ++attempt) {
        t.cable.setBaudRate(1200);
        t.wakeUp();
        EXPECT_EQ(hex(t.exchange({0x08})), "") << "attempt " << attempt;
    }
    t.cable.setBaudRate(1200);
    t.wakeUp();
    EXPECT_EQ(t.exchange({0x08}).size(), 1u);
    EXPECT_EQ(faults.wakeUpsIgnored(), 2);
}

// --- Live values ----------------------------------------------------------

// The tester's conversions: models 0 to 2, and the P8 where it differs.
struct Decoder {
    bool p8;
    double rpm(std::uint8_t hi, std::uint8_t lo) const { return (p8 ? 30e6 : 15e6) / (hi * 256 + lo); }
    double injection(std::uint8_t hi, std::uint8_t lo) const { return (hi * 256 + lo) * (p8 ? 4.0 : 2.0) / 1000; }
    double advance(std::uint8_t b) const { return b / (p8 ? 4.0 : 2.0); }
    static double pressure(std::uint8_t b) { return (b * 2.8758 + 91) * 1.33; }
    static double temperature(std::uint8_t b) { return b - 55.0; }
    static double battery(std::uint8_t b) { return b * 0.0628; }
    double throttle(std::uint8_t b) const {
        if (!p8) return b < 171 ? 0.1848 * b - 1.41 : 0.7058 * b - 90;
        double angle = 0.1848 * b - 1.41;
        if (angle >= 34) angle = 0.7058 * b - 90;
        return angle < 0 ? 0 : angle;
    }
    static int trimmer(std::uint8_t b) { return b - 128; }
};

struct Engine {
    double rpm, throttle, injection, advance, manifold, air, coolant, battery;
    int trimmer;
};

struct ValuesCase {
    OneByteVariant variant;
    Engine e;
};

void PrintTo(const ValuesCase& c, std::ostream* os) {
    *os << oneByteVariantName(c.variant) << " at " << c.e.rpm << " RPM, throttle " << c.e.throttle;
}

class OneByteLiveValues : public ::testing::TestWithParam<ValuesCase> {};

TEST_P(OneByteLiveValues, EachAnswerDecodesToTheEnginesValue) {
    const auto& [variant, e] = GetParam();
    Tester t(variant);
    t.ecu.startAwake();
    t.cable.setBaudRate(7812);
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
    const Decoder d{variant == OneByteVariant::P8};

    // The requests in the tester's order.
    const std::uint8_t periodHi = t.ask(0x01), periodLo = t.ask(0x02);
    EXPECT_NEAR(d.rpm(periodHi, periodLo), e.rpm, e.rpm * e.rpm / (d.p8 ? 30e6 : 15e6));
    EXPECT_LT(periodHi, 0xFF) << "a high byte of FF reads as no answer";
    const std::uint8_t step = t.ask(0x09);
    // Half a converter step on either line of the sensor's curve.
    EXPECT_NEAR(d.throttle(step), e.throttle, (e.throttle < 30 ? 0.1848 : 0.7058) / 2 + 1e-9);
    const std::uint8_t injHi = t.ask(0x03), injLo = t.ask(0x04);
    EXPECT_NEAR(d.injection(injHi, injLo), e.injection, (d.p8 ? 0.004 : 0.002) / 2 + 1e-9);
    EXPECT_NEAR(d.advance(t.ask(0x05)), e.advance, (d.p8 ? 0.25 : 0.5) / 2 + 1e-9);
    EXPECT_NEAR(Decoder::pressure(t.ask(0x06)), e.manifold, 2.8758 * 1.33 / 2);
    EXPECT_NEAR(Decoder::temperature(t.ask(0x07)), e.air, 0.5);
    EXPECT_NEAR(Decoder::temperature(t.ask(0x08)), e.coolant, 0.5);
    EXPECT_NEAR(Decoder::battery(t.ask(0x0A)), e.battery, 0.0628 / 2);
    EXPECT_EQ(Decoder::trimmer(t.ask(0x0F)), e.trimmer);
}

constexpr Engine kIdle{1250, 1.2, 2.1, 10, 360, 25, 88, 13.8, 0};
constexpr Engine kCruise{6500, 25, 7.5, 32.5, 950, 40, 105, 14.4, -5};
constexpr Engine kRedline{9200, 80, 12.0, 45, 1013, -10, -20, 11.9, 20};
constexpr Engine kSlowCold{600, 0.5, 0.6, 0.5, 200, -30, -30, 10.5, 127};
// Throttle just past the knee of the sensor's curve, and just below the P8's.
constexpr Engine kPastKnee{3000, 33, 4.0, 20, 700, 20, 80, 13.5, -1};
constexpr Engine kBelowP8Knee{4000, 31, 5.0, 25, 800, 30, 90, 14.0, 2};

INSTANTIATE_TEST_SUITE_P(Cases, OneByteLiveValues,
                         ::testing::Values(ValuesCase{OneByteVariant::MM16, kIdle},
                                           ValuesCase{OneByteVariant::MM16, kRedline},
                                           ValuesCase{OneByteVariant::MM15, kCruise},
                                           ValuesCase{OneByteVariant::RC15, kSlowCold},
                                           ValuesCase{OneByteVariant::MM15, kPastKnee},
                                           ValuesCase{OneByteVariant::P8, kIdle},
                                           ValuesCase{OneByteVariant::P8, kCruise},
                                           ValuesCase{OneByteVariant::P8, kRedline},
                                           ValuesCase{OneByteVariant::P8, kBelowP8Knee},
                                           ValuesCase{OneByteVariant::P8, kPastKnee}),
                         [](const auto& info) {
                             return std::string(oneByteVariantName(info.param.variant)) == "15RC"
                                        ? "RC15_" + std::to_string(info.index)
                                        : std::string(oneByteVariantName(info.param.variant)) + "_" +
                                              std::to_string(info.index);
                         });

TEST(OneByteLiveValueLine, TheAnswerStartsTheSetDelayAfterTheCommandEnds) {
    for (const auto delay : {2ms, 7ms}) {
        Tester t(OneByteVariant::MM15);
        auto timing = t.ecu.timing();
        timing.answerDelay = delay;
        t.ecu.setTiming(timing);
        t.ecu.startAwake();
        t.cable.setBaudRate(7812);
        ASSERT_EQ(t.exchange({0x07}).size(), 1u);
        // Command on the wire, the ECU's pause, the answer on the wire.
        EXPECT_EQ(t.clock.now() - t.lastWrite, kByte7812 + delay + kByte7812);
    }
}

TEST(OneByteLiveValueLine, ThePeriodHalvesOfOneReadingBelongTogether) {
    Tester t(OneByteVariant::MM16);
    t.ecu.startAwake();
    t.cable.setBaudRate(7812);
    t.engine.setRunning(true);
    t.engine.pinRpm(1000);  // period 15000 = 0x3A98
    const std::uint8_t hi = t.ask(0x01);
    t.engine.pinRpm(1030);  // period 14563 = 0x38E3: another high and low byte
    const std::uint8_t lo = t.ask(0x02);
    EXPECT_NEAR(Decoder{false}.rpm(hi, lo), 1000, 1);
}

TEST(OneByteLiveValueLine, AStoppedEngineSaturatesThePeriodCounter) {
    Tester t(OneByteVariant::MM15);
    t.ecu.startAwake();
    t.cable.setBaudRate(7812);
    t.engine.setRunning(false);
    EXPECT_EQ(hex(t.exchange({0x01})) + hex(t.exchange({0x02})), "FFFF");
}

TEST(OneByteLiveValueLine, UnpinnedValuesAreTheEnginesAtTheCommand) {
    Tester t(OneByteVariant::MM15);
    t.ecu.startAwake();
    t.cable.setBaudRate(7812);
    t.engine.setRunning(true);
    t.clock.sleepFor(400s);  // warm engine, varying values
    const std::uint8_t battery = t.ask(0x0A);
    const auto at = t.lastWrite + kByte7812;
    EXPECT_NEAR(Decoder::battery(battery), t.engine.at(at).batteryVolts, 0.0628 / 2);
    const std::uint8_t coolant = t.ask(0x08);
    EXPECT_NEAR(Decoder::temperature(coolant), t.engine.at(t.lastWrite + kByte7812).engineTempC, 0.5);
}

// --- Status, faults, identification -------------------------------------

struct StatusCase {
    bool running;
    double throttle;
    std::uint8_t extraBits;
    std::uint8_t expected;
};

void PrintTo(const StatusCase& c, std::ostream* os) {
    *os << (c.running ? "running" : "stopped") << ", throttle " << c.throttle << ", extra " << int(c.extraBits);
}

class OneByteStatusByte : public ::testing::TestWithParam<StatusCase> {};

TEST_P(OneByteStatusByte, ReflectsTheEngine) {
    const StatusCase& c = GetParam();
    OneByteScenario scenario;
    scenario.extraStatusBits = c.extraBits;
    Tester t(OneByteVariant::MM16, scenario);
    t.ecu.startAwake();
    t.cable.setBaudRate(7812);
    t.engine.setRunning(c.running);
    t.engine.pinThrottleDeg(c.throttle);
    EXPECT_EQ(hex(t.exchange({0x13})), base::ByteToHex(c.expected));
}

INSTANTIATE_TEST_SUITE_P(Cases, OneByteStatusByte,
                         ::testing::Values(StatusCase{false, 20, 0x00, 0x00},  // stopped, throttle half open
                                           StatusCase{true, 20, 0x00, 0x02},   // running
                                           StatusCase{false, 0.5, 0x00, 0x08}, // throttle on its stop
                                           StatusCase{true, 89, 0x00, 0x0A},   // running, wide open
                                           StatusCase{false, 20, 0x81, 0x81},  // stepper bits pass through
                                           StatusCase{false, 20, 0x02, 0x00})); // the engine bit is the engine's

TEST(OneByteFaultBytes, EachCommandAnswersItsRow) {
    OneByteScenario s;
    s.presentFaults = {0x01, 0x02, 0x04};
    s.presentTypes = {0x11, 0x12, 0x14};
    s.storedFaults = {0x21, 0x22, 0x24};
    s.storedTypes = {0x31, 0x32, 0x34};
    for (const auto variant : {OneByteVariant::MM16, OneByteVariant::MM15, OneByteVariant::RC15, OneByteVariant::P8}) {
        Tester t(variant, s);
        t.ecu.startAwake();
        t.cable.setBaudRate(7812);
        std::string got;
        for (const std::uint8_t c : {0x10, 0x11, 0x12, 0x2B, 0x2C, 0x2D, 0x14, 0x15, 0x16, 0x2F, 0x30, 0x31}) {
            got += hex(t.exchange({c}));
        }
        EXPECT_EQ(got, "010204111214212224313234") << oneByteVariantName(variant);
    }
}

TEST(OneByteIdentification, IsReadOneCharacterPerAddress) {
    struct Case {
        OneByteVariant variant;
        std::optional<std::string> text;
        std::uint8_t last;
        std::string expected;  // FF stands for an unprogrammed address
    };
    const Case cases[] = {
        {OneByteVariant::MM16, std::string("ABCDEFGHIJK"), 0x21, "4142434445464748494A4B"},
        {OneByteVariant::MM15, std::string("0123456789abcdefgh"), 0x28, "303132333435363738396162636465666768"},
        {OneByteVariant::RC15, std::string("XY"), 0x28, "5859FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF"},
    };
    for (const Case& c : cases) {
        OneByteScenario s;
        s.identification = c.text;
        Tester t(c.variant, s);
        t.ecu.startAwake();
        t.cable.setBaudRate(7812);
        std::string got;
        for (int a = 0x17; a <= c.last; ++a) got += hex(t.exchange({static_cast<std::uint8_t>(a)}));
        EXPECT_EQ(got, c.expected) << oneByteVariantName(c.variant);
        // The address after the last one is no command.
        EXPECT_EQ(hex(t.exchange({static_cast<std::uint8_t>(c.last + 1)})), "");
    }
}

TEST(OneByteIdentification, DefaultsArePrintableAndFillTheVariantsAddresses) {
    for (const auto variant : {OneByteVariant::MM16, OneByteVariant::MM15, OneByteVariant::RC15}) {
        Tester t(variant);
        t.ecu.startAwake();
        t.cable.setBaudRate(7812);
        const int last = variant == OneByteVariant::MM16 ? 0x21 : 0x28;
        for (int a = 0x17; a <= last; ++a) {
            const std::uint8_t b = t.ask(static_cast<std::uint8_t>(a));
            EXPECT_TRUE(b >= 32 && b <= 126) << oneByteVariantName(variant) << " address " << a;
        }
    }
}

TEST(OneByteUnknownCommands, GetNoAnswer) {
    for (const auto variant : {OneByteVariant::MM16, OneByteVariant::MM15, OneByteVariant::RC15, OneByteVariant::P8}) {
        Tester t(variant);
        t.ecu.startAwake();
        t.cable.setBaudRate(7812);
        // 0x2E would be the type byte of the status row; test commands and the
        // trimmer-adjust byte mean nothing outside the diagnostic mode.
        for (const std::uint8_t c : {0x00, 0x0B, 0x0C, 0x0D, 0x0E, 0x2A, 0x2E, 0x32, 0x80, 0x84, 0x8D, 0xCC, 0xFF}) {
            EXPECT_EQ(hex(t.exchange({c})), "") << oneByteVariantName(variant) << " command " << base::ByteToHex(c);
        }
        // Still alive.
        EXPECT_EQ(t.exchange({0x08}).size(), 1u);
    }
}

TEST(OneByteUnknownCommands, ABytePast7812BaudIsNotHeard) {
    Tester t(OneByteVariant::MM15);
    t.ecu.startAwake();
    t.cable.setBaudRate(9600);
    EXPECT_EQ(hex(t.exchange({0x08})), "");
}

// --- Diagnostic mode ------------------------------------------------------

// The test buttons' command bytes, in button order: memory clearing, rev
// counter, pump, horizontal coil, vertical coil, injector 1, injector 2.
const Bytes kMM16Tests{0x84, 0x86, 0x80, 0x82, 0x83, 0x81, 0x87};
const Bytes k15MTests{0x83, 0x85, 0x80, 0x81, 0x82, 0x86, 0x87};

TEST(OneByteDiagnosticMode, IsEnteredWithAnEchoOnlyWithTheEngineStopped) {
    for (const auto variant : {OneByteVariant::MM16, OneByteVariant::MM15, OneByteVariant::RC15, OneByteVariant::P8}) {
        for (const bool running : {false, true}) {
            Tester t(variant);
            t.ecu.startAwake();
            t.cable.setBaudRate(7812);
            t.engine.setRunning(running);
            EXPECT_EQ(hex(t.exchange({0xAA}, 1, 5000ms)), running ? "" : "AA")
                << oneByteVariantName(variant) << (running ? " running" : " stopped");
            // Leaving is echoed too, and the ECU answers live values again.
            if (!running) {
                EXPECT_EQ(hex(t.exchange({0xFF}, 1, 5000ms)), "FF");
            }
            EXPECT_EQ(t.exchange({0x08}).size(), 1u);
        }
    }
}

struct TestCase {
    OneByteVariant variant;
    std::size_t button;
    bool fails;
};

void PrintTo(const TestCase& c, std::ostream* os) {
    *os << oneByteVariantName(c.variant) << " button " << c.button << (c.fails ? " failing" : "");
}

class OneByteDiagnosticTests : public ::testing::TestWithParam<TestCase> {};

TEST_P(OneByteDiagnosticTests, EndWithFFAfterTheirDurationOrEEWhenTheyFail) {
    const auto& [variant, button, fails] = GetParam();
    OneByteScenario s;
    if (fails) s.failingTest = static_cast<DiagTest>(button);
    Tester t(variant, s);
    t.ecu.startAwake();
    t.cable.setBaudRate(7812);
    const std::uint8_t command = (variant == OneByteVariant::MM16 ? kMM16Tests : k15MTests)[button];
    const std::string endByte = fails ? "EE" : "FF";
    const auto duration = t.ecu.timing().testDuration[button];

    ASSERT_EQ(hex(t.exchange({0xAA}, 1, 5000ms)), "AA");
    t.clock.sleepFor(200ms);
    const Bytes ack = t.exchange({command}, 1, 5000ms);
    const auto commandEnd = t.lastWrite + kByte7812;
    if (button == 0) {
        // The memory clearing answers with its end byte.
        EXPECT_EQ(hex(ack), endByte);
    } else {
        EXPECT_EQ(hex(ack), base::ByteToHex(command));
        // The tester then only listens, for at most 32 s.
        EXPECT_EQ(hex(t.listen(1, 32s)), endByte);
        EXPECT_LE(t.clock.now() - commandEnd, 32s);
    }
    EXPECT_GE(t.clock.now() - commandEnd, duration);
    EXPECT_LE(t.clock.now() - commandEnd, duration + 2 * kByte7812);
    t.clock.sleepFor(200ms);
    EXPECT_EQ(hex(t.exchange({0xFF}, 1, 5000ms)), "FF");
    EXPECT_EQ(t.exchange({0x08}).size(), 1u);
}

std::vector<TestCase> allTests() {
    std::vector<TestCase> cases;
    for (const auto v : {OneByteVariant::MM16, OneByteVariant::MM15, OneByteVariant::RC15}) {
        for (std::size_t b = 0; b < 7; ++b) {
            cases.push_back({v, b, false});
            cases.push_back({v, b, true});
        }
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(BothTables, OneByteDiagnosticTests, ::testing::ValuesIn(allTests()));

TEST(OneByteDiagnosticMode, ThePumpRunsItsThirtySeconds) {
    Tester t(OneByteVariant::MM15);
    t.ecu.startAwake();
    t.cable.setBaudRate(7812);
    ASSERT_EQ(hex(t.exchange({0xAA}, 1, 5000ms)), "AA");
    ASSERT_EQ(hex(t.exchange({0x80}, 1, 5000ms)), "80");
    const auto commandEnd = t.lastWrite + kByte7812;
    EXPECT_EQ(hex(t.listen(1, 29s)), "");
    EXPECT_EQ(hex(t.listen(1, 3s)), "FF");
    EXPECT_GE(t.clock.now() - commandEnd, 30s);
}

TEST(OneByteDiagnosticMode, ClearingStoresOnlyWhatIsStillPresent) {
    for (const bool fails : {false, true}) {
        OneByteScenario s;
        s.presentFaults = {0x01, 0x00, 0x00};
        s.presentTypes = {0x01, 0x00, 0x00};
        s.storedFaults = {0x1B, 0x02, 0x10};
        s.storedTypes = {0x0A, 0x02, 0x00};
        if (fails) s.failingTest = DiagTest::ClearMemory;
        Tester t(OneByteVariant::MM16, s);
        t.ecu.startAwake();
        t.cable.setBaudRate(7812);
        ASSERT_EQ(hex(t.exchange({0xAA}, 1, 5000ms)), "AA");
        EXPECT_EQ(hex(t.exchange({0x84}, 1, 5000ms)), fails ? "EE" : "FF");
        ASSERT_EQ(hex(t.exchange({0xFF}, 1, 5000ms)), "FF");
        std::string stored;
        for (const std::uint8_t c : {0x14, 0x15, 0x16, 0x2F, 0x30, 0x31}) stored += hex(t.exchange({c}));
        EXPECT_EQ(stored, fails ? "1B02100A0200" : "010000010000");
    }
}

TEST(OneByteDiagnosticMode, TheP8AcceptsTheModeButRunsNoTest) {
    Tester t(OneByteVariant::P8);
    t.ecu.startAwake();
    t.cable.setBaudRate(7812);
    ASSERT_EQ(hex(t.exchange({0xAA}, 1, 5000ms)), "AA");
    for (const std::uint8_t c : {0x80, 0x81, 0x83, 0x84, 0x85, 0x86, 0x87, 0x8D}) {
        EXPECT_EQ(hex(t.exchange({c}, 1, 5000ms)), "") << base::ByteToHex(c);
    }
    EXPECT_EQ(hex(t.exchange({0xFF}, 1, 5000ms)), "FF");
}

TEST(OneByteDiagnosticMode, LiveCommandsWaitUntilTheModeIsLeftOrTimesOut) {
    Tester t(OneByteVariant::MM15);
    t.ecu.startAwake();
    t.cable.setBaudRate(7812);
    ASSERT_EQ(hex(t.exchange({0xAA}, 1, 5000ms)), "AA");
    EXPECT_EQ(hex(t.exchange({0x08})), "");
    EXPECT_EQ(t.ecu.state(t.clock.now()), OneByteState::Diagnostic);
    // A tester that went away leaves the ECU to end the mode by itself.
    t.clock.sleepFor(t.ecu.timing().diagIdleTimeout);
    EXPECT_EQ(t.exchange({0x08}).size(), 1u);
    EXPECT_EQ(t.ecu.state(t.clock.now()), OneByteState::Awake);
}

// --- Trimmer-adjust mode (15M family) -------------------------------------

TEST(OneByteTrimmerAdjust, EchoesEachValueAndSavesItOnlyWithTheEngineRunning) {
    for (const auto variant : {OneByteVariant::MM15, OneByteVariant::RC15}) {
        for (const bool runningAtSave : {true, false}) {
            Tester t(variant);
            t.ecu.startAwake();
            t.cable.setBaudRate(7812);
            t.engine.setTrimmer(3);
            ASSERT_EQ(hex(t.exchange({0x0F}, 1, 5000ms)), "83");
            ASSERT_EQ(hex(t.exchange({0xAA}, 1, 5000ms)), "AA");
            t.clock.sleepFor(1s);
            ASSERT_EQ(hex(t.exchange({0x8D}, 1, 5000ms)), "8D");
            // The rider starts the engine and steps the value.
            t.engine.setRunning(true);
            EXPECT_EQ(hex(t.exchange({0x84}, 1, 2000ms)), "84");
            EXPECT_EQ(hex(t.exchange({0x85}, 1, 2000ms)), "85");
            EXPECT_EQ(t.engine.trimmer(), 5);
            t.engine.setRunning(runningAtSave);
            EXPECT_EQ(hex(t.exchange({0xFF}, 1, 2000ms)), "FF");
            t.clock.sleepFor(500ms);
            EXPECT_EQ(hex(t.exchange({0xFF}, 1, 2000ms)), "FF");
            t.clock.sleepFor(200ms);
            EXPECT_EQ(hex(t.exchange({0x0F}, 1, 2000ms)), runningAtSave ? "85" : "83")
                << oneByteVariantName(variant);
        }
    }
}

TEST(OneByteTrimmerAdjust, ClampsValuesToTheTrimmersRange) {
    OneByteScenario s;
    s.trimmerMin = -20;
    s.trimmerMax = 30;
    Tester t(OneByteVariant::MM15, s);
    t.ecu.startAwake();
    t.cable.setBaudRate(7812);
    ASSERT_EQ(hex(t.exchange({0xAA})), "AA");
    ASSERT_EQ(hex(t.exchange({0x8D})), "8D");
    const std::pair<std::uint8_t, std::string> steps[] = {
        {0x80, "80"}, {0x9E, "9E"}, {0x9F, "9E"}, {0xFE, "9E"}, {0x6C, "6C"}, {0x6B, "6C"}, {0x00, "6C"}};
    for (const auto& [sent, echoed] : steps) EXPECT_EQ(hex(t.exchange({sent})), echoed) << base::ByteToHex(sent);
}

TEST(OneByteTrimmerAdjust, IsRefusedWithTheEngineRunningAndUnknownOutsideThe15MFamily) {
    {
        Tester t(OneByteVariant::MM15);
        t.ecu.startAwake();
        t.cable.setBaudRate(7812);
        ASSERT_EQ(hex(t.exchange({0xAA})), "AA");
        t.engine.setRunning(true);
        EXPECT_EQ(hex(t.exchange({0x8D}, 1, 5000ms)), "");
    }
    for (const auto variant : {OneByteVariant::MM16, OneByteVariant::P8}) {
        Tester t(variant);
        t.ecu.startAwake();
        t.cable.setBaudRate(7812);
        ASSERT_EQ(hex(t.exchange({0xAA})), "AA");
        EXPECT_EQ(hex(t.exchange({0x8D}, 1, 5000ms)), "") << oneByteVariantName(variant);
    }
}

// --- Fault plan ------------------------------------------------------------

TEST(OneByteFaultPlan, ShapesTheAnswers) {
    struct Case {
        const char* what;
        std::function<void(Faults&)> plan;
        std::string first, second;  // answers to two link checks, "T" for the true value
    };
    const Case cases[] = {
        {"dropped answer", [](Faults& f) { f.dropNextAnswers(1); }, "", "T"},
        {"corrupted byte", [](Faults& f) { f.corruptByteAt(1); }, "T", "~"},
        {"lost byte", [](Faults& f) { f.dropByteAt(0); }, "", "T"},
        {"late answer past the time-out", [](Faults& f) { f.delayNextAnswers(1, 600ms); }, "", "T"},
    };
    for (const Case& c : cases) {
        Tester t(OneByteVariant::MM16);
        t.engine.pinEngineTemp(40);  // byte 0x5F, complement 0xA0
        Faults faults;
        c.plan(faults);
        t.ecu.setFaultPlan(&faults);
        t.ecu.startAwake();
        t.cable.setBaudRate(7812);
        const auto expect = [](const std::string& code) {
            return code == "T" ? std::string("5F") : code == "~" ? std::string("A0") : code;
        };
        EXPECT_EQ(hex(t.exchange({0x08})), expect(c.first)) << c.what;
        t.clock.sleepFor(1s);
        EXPECT_EQ(hex(t.exchange({0x08})), expect(c.second)) << c.what;
    }
}

TEST(OneByteFaultPlan, ALateAnswerStillComesWithinALongerTimeOut) {
    Tester t(OneByteVariant::MM15);
    Faults faults;
    faults.delayNextAnswers(1, 50ms);
    t.ecu.setFaultPlan(&faults);
    t.ecu.startAwake();
    t.cable.setBaudRate(7812);
    ASSERT_EQ(t.exchange({0x0A}).size(), 1u);
    EXPECT_EQ(t.clock.now() - t.lastWrite, kByte7812 + t.ecu.timing().answerDelay + 50ms + kByte7812);
}

TEST(OneByteFaultPlan, NoiseIsSentAtTheRateTheEcuIsAt) {
    struct Case {
        bool awake;
        std::uint32_t testerBaud;
        std::string heard;
    };
    const Case cases[] = {{false, 1200, "1234"}, {false, 7812, ""}, {true, 7812, "1234"}, {true, 1200, ""}};
    for (const Case& c : cases) {
        Tester t(OneByteVariant::MM16);
        Faults faults;
        t.ecu.setFaultPlan(&faults);
        t.keyOn();
        t.listen(6, 20s);
        if (c.awake) t.ecu.startAwake();
        t.cable.setBaudRate(c.testerBaud);
        faults.addNoise({t.clock.now() + 5ms, {0x12, 0x34}});
        t.ecu.pollNoise(t.ecuOutput(), t.clock.now());  // not due yet
        t.clock.sleepFor(5ms);
        t.ecu.pollNoise(t.ecuOutput(), t.clock.now());
        EXPECT_EQ(hex(t.listen(2, 100ms)), c.heard) << (c.awake ? "awake" : "listening") << " at " << c.testerBaud;
    }
}

}  // namespace
}  // namespace dravio::sim
