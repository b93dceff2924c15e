// The adapter on the K-line: bus initiation, answers one message a line,
// time-outs, interruption and its own keep-alive, on a virtual clock.
#include <gtest/gtest.h>

#include "elm327_bench.h"
#include "sim/kwp_ecu.h"

namespace dravio::testing {
namespace {

constexpr auto kLong = std::chrono::milliseconds(20000);

TEST(Elm327Bus, BusInitiationTexts) {
    const struct {
        const char* setup;
        bool ecu;
        const char* answer;
    } cases[] = {
        {"ATSP5\r", true, "BUS INIT: OK\r82F11061A084\r\r>"},
        {"ATSP5\r", false, "BUS INIT: ERROR\r\r>"},
        {"ATSPA5\r", true, "BUS INIT: OK\r82F11061A084\r\r>"},
        {"ATSPA5\r", false, "BUS INIT: ERROR\rSEARCHING...\rUNABLE TO CONNECT\r\r>"},
        {"ATSP0\r", true, "SEARCHING...\r82F11061A084\r\r>"},
        {"ATSP0\r", false, "SEARCHING...\rUNABLE TO CONNECT\r\r>"},
        {"ATSP4\r", false, "BUS INIT: ...ERROR\r\r>"},
        {"ATSP6\r", true, "UNABLE TO CONNECT\r\r>"},
    };
    for (const auto& c : cases) {
        ElmBench bench;
        scriptDefaultEcu(bench.ecu);
        bench.ecu.answers[functionalRequest("21A0")] = kwpAnswer("61A0");
        if (!c.ecu) bench.elm.setEcu(nullptr);
        bench.send(std::string("ATE0\rATS0\rATH1\r") + c.setup);
        EXPECT_EQ(visible(bench.exchange("21A0\r", kLong)), visible(c.answer)) << visible(c.setup) << " ecu " << c.ecu;
    }
}

TEST(Elm327Bus, SlowInitiationWakesAKwpEcuAtItsAddress) {
    const struct {
        const char* setup;
        const char* command;
        const char* answer;
    } cases[] = {
        {"ATSP4\rATIIA10\r", "21A0\r", "BUS INIT: ...OK\r"},
        {"ATSP4\rATIIA10\r", "ATSI\r", "BUS INIT: ...OK\r\r>"},
        {"ATSP4\r", "ATSI\r", "BUS INIT: ...ERROR\r\r>"},  // 0x33: the 59M only hears its own address
    };
    for (const auto& c : cases) {
        sim::KwpEcu ecu;
        ElmBench bench;
        bench.elm.setEcu(&ecu);
        bench.send(std::string("ATE0\rATS0\rATH1\r") + c.setup);
        const auto answer = bench.exchange(c.command, kLong);
        EXPECT_EQ(visible(answer.substr(0, std::string(c.answer).size())), visible(c.answer)) << visible(answer);
    }
}

TEST(Elm327Bus, TheBusIsInitiatedOnceUntilTheProtocolIsClosed) {
    ElmBench bench;
    scriptDefaultEcu(bench.ecu);
    bench.send("ATE0\rATS0\rATH1\rATSP5\r");
    EXPECT_NE(bench.exchange("21A0\r").find("BUS INIT: OK"), std::string::npos);
    EXPECT_EQ(bench.exchange("21A0\r").find("BUS INIT"), std::string::npos);
    EXPECT_EQ(bench.ecu.wakeUps, 1);
    bench.exchange("ATPC\r");
    EXPECT_NE(bench.exchange("21A0\r").find("BUS INIT: OK"), std::string::npos);
    EXPECT_EQ(bench.ecu.wakeUps, 2);
    // StartCommunication follows every wake-up, with the default functional header.
    const auto frames = bench.ecu.heardFrames();
    EXPECT_EQ(std::count(frames.begin(), frames.end(), "C133F18166"), 2);
}

TEST(Elm327Bus, FastInitiationKeepsTheLineTimings) {
    ElmBench bench;
    scriptDefaultEcu(bench.ecu);
    bench.send("ATE0\rATSP5\r");
    bench.exchange("21A0\r");
    ASSERT_GE(bench.ecu.heard.size(), 2u);
    const auto& startCom = bench.ecu.heard[0];
    const auto& request = bench.ecu.heard[1];
    EXPECT_EQ(startCom.first, "C133F18166");
    EXPECT_EQ(request.first, functionalRequest("21A0"));
    // Request: 5 ms between its bytes; at least P3 min after the
    // StartCommunication answer (7 bytes, P2 25 ms after the request).
    const auto byte = sim::Elm327Bus::byteTime(10400);
    const auto answerEnd = startCom.second + bench.ecu.p2 + 7 * byte;
    const auto bytes = static_cast<int>(request.first.size() / 2);
    const auto requestStart = request.second - bytes * byte - (bytes - 1) * sim::Elm327Emulator::kByteGap;
    EXPECT_GE(requestStart - answerEnd, sim::Elm327Emulator::kRequestGap);
    EXPECT_LE(requestStart - answerEnd, sim::Elm327Emulator::kRequestGap + 5ms);
}

TEST(Elm327Bus, TheHeaderComesFromSetHeaderWithTheLengthInItsFormatByte) {
    const struct {
        const char* header;
        const char* request;
        const char* onTheLine;
    } cases[] = {
        {"ATSH8110F1\r", "21A0\r", "8210F121A044"},
        {"ATSH8110F1\r", "3E\r", "8110F13EC0"},
        {"ATSHC133F1\r", "1A92\r", "C233F11A9292"},
        {"ATSH811001\r", "830300FF00FF00\r", "871001830300FF00FF001C"},
    };
    for (const auto& c : cases) {
        ElmBench bench;
        scriptDefaultEcu(bench.ecu);
        // StartCommunication goes out with the header set, as every request.
        for (const char* startCom : {"8110F18103", "8110018113"}) bench.ecu.answers[startCom] = kwpAnswer("C1EF8F");
        bench.send(std::string("ATE0\rATSP5\r") + c.header);
        bench.exchange(c.request);
        const auto frames = bench.ecu.heardFrames();
        ASSERT_FALSE(frames.empty());
        EXPECT_EQ(frames.back(), c.onTheLine) << c.header << c.request;
    }
}

TEST(Elm327Bus, NoDataAfterTheTimeOut) {
    const struct {
        const char* st;
        std::chrono::milliseconds wait;
    } cases[] = {{"", 200ms}, {"ATST19\r", 100ms}, {"ATST00\r", 200ms}, {"ATSTFF\r", 1020ms}};
    for (const auto& c : cases) {
        ElmBench bench;
        scriptDefaultEcu(bench.ecu);
        bench.send(std::string("ATE0\rATSP5\r") + c.st);
        bench.exchange("3E\r");  // the bus initiation
        const auto before = bench.ecu.heard.size();
        const auto answer = bench.exchange("2199\r", 3000ms);
        EXPECT_EQ(visible(answer), "NO DATA\\r\\r>") << c.st;
        ASSERT_EQ(bench.ecu.heard.size(), before + 1);
        // The prompt's last character arrives the time-out after the request left.
        const auto waited = bench.clock.now() - bench.ecu.heard.back().second;
        EXPECT_GE(waited, c.wait) << c.st;
        EXPECT_LE(waited, c.wait + 3ms) << c.st;
    }
}

TEST(Elm327Bus, EveryMessageOnItsOwnLineWithItsChecksumChecked) {
    const std::string good = kwpAnswer("61A0");
    std::string bad = good;
    bad.back() = bad.back() == '0' ? '1' : '0';
    const struct {
        std::string frames;
        std::string printed;
    } cases[] = {
        {good, "82F11061A084\r"},
        {good + kwpAnswer("7F2112"), "82F11061A084\r83F1107F211236\r"},
        {bad, bad + "<DATA ERROR\r"},
        {good.substr(0, 8), good.substr(0, 8) + "<DATA ERROR\r"},  // cut short
    };
    for (const auto& c : cases) {
        ElmBench bench;
        scriptDefaultEcu(bench.ecu);
        bench.ecu.answers[functionalRequest("21A0")] = c.frames;
        bench.send("ATE0\rATS0\rATH1\rATSP5\r");
        bench.exchange("3E\r");
        EXPECT_EQ(visible(bench.exchange("21A0\r")), visible(c.printed + "\r>")) << c.frames;
    }
}

TEST(Elm327Bus, AResponsePendingAnswerExtendsTheWait) {
    ElmBench bench;
    scriptDefaultEcu(bench.ecu);
    bench.send("ATE0\rATS0\rATH1\rATSP5\r");
    bench.exchange("3E\r");
    // The ECU asks for time, then answers 600 ms later, well past ST.
    struct Late : sim::KLineDevice {
        ScriptedKwpEcu& inner;
        explicit Late(ScriptedKwpEcu& e) : inner(e) {}
        void onBreak(sim::KLineOutput& out, Clock::TimePoint t, bool low) override { inner.onBreak(out, t, low); }
        void onTesterByte(sim::KLineOutput& out, Clock::TimePoint end, std::uint8_t b, std::uint32_t baud) override {
            const auto before = inner.heard.size();
            inner.onTesterByte(out, end, b, baud);
            if (inner.heard.size() > before && inner.heard.back().first == functionalRequest("2101")) {
                auto t = end + 600ms;
                for (const std::uint8_t x : base::fromHex(kwpAnswer("6101AA"))) {
                    out.send(t, x, 10400);
                    t += 1ms;
                }
            }
        }
    } late(bench.ecu);
    bench.ecu.answers[functionalRequest("2101")] = kwpAnswer("7F2178");
    bench.elm.setEcu(&late);
    EXPECT_EQ(visible(bench.exchange("2101\r", 3000ms)), "83F1107F21789C\\r83F1106101AA90\\r\\r>");
}

TEST(Elm327Bus, ACharacterBeforeThePromptStopsARequest) {
    ElmBench bench;
    scriptDefaultEcu(bench.ecu);
    bench.ecu.p2 = 150ms;
    bench.ecu.answers[functionalRequest("21A0")] = kwpAnswer("61A0");
    bench.send("ATE0\rATS0\rATH1\rATSP5\r");
    bench.exchange("3E\r", 3000ms);
    bench.port.output("21A0\r");
    auto answer = bench.listen(80ms);
    EXPECT_EQ(answer, "");
    answer = bench.send("X", 50ms);
    EXPECT_EQ(visible(answer), "STOPPED\\r\\r>");
    // The character that stopped the request is dropped, not kept for the next command.
    EXPECT_EQ(visible(bench.exchange("ATI\r")), "ELM327 v2.1\\r\\r>");
    // A line feed never stops anything.
    bench.port.output("21A0\r");
    EXPECT_EQ(visible(bench.send("\n", 1s)), "82F11061A084\\r\\r>");
}

TEST(Elm327Bus, TheProgramsDoubleLineEndStopsARequestOnceTheBusIsUp) {
    ElmBench bench;
    scriptDefaultEcu(bench.ecu);
    bench.send("ATE0\rATS0\rATH1\rATSPA5\r");
    EXPECT_EQ(visible(bench.exchange("21A0\r\n\r\n")), "BUS INIT: OK\\rSTOPPED\\r\\r>");
    EXPECT_EQ(visible(bench.exchange("21A0\r\n\r\n")), "STOPPED\\r\\r>");
    // A single line end lets the answer through.
    const auto answer = bench.exchange("1A92\r\n");
    EXPECT_NE(answer.find("F1105A9249415735414D485730313053"), std::string::npos) << visible(answer);
}

TEST(Elm327Bus, TheAdapterKeepsTheLinkAwakeWithItsWakeupMessage) {
    const struct {
        const char* setup;
        std::chrono::milliseconds period;
        const char* message;
    } cases[] = {
        {"", 2920ms, "C133F13E23"},
        {"ATSW32\r", 1000ms, "C133F13E23"},
        {"ATWM8110F13E\rATSW19\r", 500ms, "8110F13EC0"},
    };
    for (const auto& c : cases) {
        ElmBench bench;
        scriptDefaultEcu(bench.ecu);
        bench.ecu.answers["8110F13EC0"] = kwpAnswer("7E");
        bench.send(std::string("ATE0\rATSP5\r") + c.setup);
        bench.exchange("3E\r");
        const auto lastRequest = bench.ecu.heard.size();
        // Its answers are never printed.
        EXPECT_EQ(bench.listen(10s), "") << c.setup;
        const auto& heard = bench.ecu.heard;
        ASSERT_GE(heard.size(), lastRequest + 3) << c.setup;
        for (std::size_t i = lastRequest; i < heard.size(); ++i) {
            EXPECT_EQ(heard[i].first, c.message) << c.setup;
            if (i == lastRequest) continue;
            // The period runs from the last activity on the line, the ECU's
            // answer to the previous message (P2 and four bytes), and the
            // message itself takes about 25 ms to send.
            const auto gap = heard[i].second - heard[i - 1].second;
            EXPECT_GE(gap, c.period + 50ms) << c.setup;
            EXPECT_LE(gap, c.period + 60ms) << c.setup;
        }
    }
}

TEST(Elm327Bus, NoKeepAliveWithThePeriodOffOrTheBusClosed) {
    for (const char* setup : {"ATSW00\r", "ATPC\r"}) {
        ElmBench bench;
        scriptDefaultEcu(bench.ecu);
        bench.send("ATE0\rATSP5\r");
        bench.exchange("3E\r");
        bench.send(setup);
        const auto count = bench.ecu.heard.size();
        bench.listen(10s);
        EXPECT_EQ(bench.ecu.heard.size(), count) << setup;
    }
}

}  // namespace
}  // namespace dravio::testing
