// The ELM327 emulator: its dialogue and display modes, then the K-line behind it
// (bus initiation, one message a line, time-outs, interruption, keep-alive).
#include "sim/elm327_emulator.h"

#include <gtest/gtest.h>

#include "kline_driver.h"

namespace dravio::sim::testing {
namespace {

std::string V(const std::string& s) { return ElmBench::visible(s); }

struct Dialogue {
    std::string setup;  // sent after ATE0, answers ignored
    std::string command, answer;
};

void expectDialogues(const std::vector<Dialogue>& cases, bool withEcu = true) {
    for (const auto& c : cases) {
        ElmBench bench;
        if (!withEcu) bench.elm.setEcu(nullptr);
        bench.send("ATE0\r" + c.setup);
        EXPECT_EQ(bench.exchange(c.command, 20s), V(c.answer)) << V(c.setup + c.command);
    }
}

TEST(Elm327Commands, AnswersInAnyFormAndLengthAndDisplayModes) {
    expectDialogues({{"", "ATI\r", "ELM327 v2.1\r\r>"},
                     {"\tAt Sp a5  \r", "at dpn\r", "A5\r\r>"},  // blanks and case do not matter
                     {"ATI\r", "\r", "ELM327 v2.1\r\r>"},        // a lone carriage return repeats the last command
                     {"ATE1\rATL1\r", "ATI\r", "ATI\r\nELM327 v2.1\r\n\r\n>"},
                     {"ATSP5\rATH1\rATS1\r", "21A0\r", "BUS INIT: OK\r82 F1 10 61 A0 84 \r\r>"},
                     {"ATL1\rATSP5\rATH0\rATS0\r", "21A0\r", "BUS INIT: OK\r\n61A0\r\n\r\n>"}});
    for (const std::string& refused : std::vector<std::string>{
             "ATSPD\r", "ATSH81\r", "ATWM8110F13E00112233\r", "ATST1\r", "ATFI\r", "ATE2\r", "AT\r", "ATSI\r", "ATM2\r",
             "HELLO\r", "21A\r", "0102030405060708\r", std::string(200, 'A') + "\r"}) {
        expectDialogues({{"", refused, "?\r\r>"}});
    }
    ElmBench fresh;
    EXPECT_EQ(fresh.exchange("\r"), "\\r>") << "before any command: echo and prompt";
    for (const std::string accepted : {"ATD\r", "ATAL\r", "ATNL\r", "ATAT2\r", "ATSP5\r", "ATKW0\r", "ATIIA10\r", "ATM0\r", "ATM1\r"})
        EXPECT_EQ(fresh.exchange(accepted), V(accepted + "OK\r\r>")) << "echo on";
    fresh.send("ATE0\r");
    EXPECT_EQ(fresh.send("ATI\rATI\r"), "ELM327 v2.1\\r\\r>ELM327 v2.1\\r\\r>") << "one write, two commands";
    // Four characters in at 38400 baud, the processing delay, one character out.
    const auto sent = fresh.clock.now();
    fresh.port.output("ATI\r");
    fresh.port.waitForInput(1, sent + 1s);
    EXPECT_GE(fresh.clock.now() - sent, 4 * fresh.elm.serialCharTime() + Elm327Emulator::kCommandDelay);
    EXPECT_LE(fresh.clock.now() - sent, 10ms);
}

TEST(Elm327Commands, ResetGivesTheProfileVersionAndDefaultsAndTheCloneRefusesWhatItsFirmwareLacks) {
    for (const bool genuine : {true, false}) {
        ElmBench bench(genuine ? Elm327Profile::genuine() : Elm327Profile::clone());
        // Echo is on after power-up; characters sent during the reset are lost.
        EXPECT_EQ(bench.send("ATZ\rATI\r", 2s),
                  V(std::string("ATZ\r\r\r") + (genuine ? "ELM327 v2.1" : "ELM327 v1.5") + "\r\r>"));
        bench.send("ATE0\rATL1\rATH1\rATS0\rATSP5\r");
        bench.send("ATZ\r", 2s);
        const auto& s = bench.elm.settings();
        EXPECT_TRUE(s.echo && !s.linefeeds && !s.headers && s.spaces && s.protocol == 0) << genuine;
        bench.send("ATE0\rATSP5\r3E\r");  // key bytes come with a bus initiation
        EXPECT_EQ(bench.exchange("ATKW\r"), V(genuine ? "1:EF 2:8F\r\r>" : "?\r\r>"));
        EXPECT_EQ(bench.exchange("ATFI\r"), V(genuine ? "BUS INIT: OK\r\r>" : "?\r\r>"));
        EXPECT_EQ(bench.exchange("ATWM 8110F13EC0\r"), V(genuine ? "OK\r\r>" : "?\r\r>")) << "the program's";
        EXPECT_EQ(bench.exchange("ATST19\r"), "OK\\r\\r>") << "both have it";
    }
}

TEST(Elm327Bus, BusInitiationTextsWithoutAnEcuAndFastInitiationOnceUntilTheProtocolIsClosedWithItsTimings) {
    expectDialogues({{"ATSP5\r", "21A0\r", "BUS INIT: ERROR\r\r>"},
                     {"ATSPA5\r", "21A0\r", "BUS INIT: ERROR\rSEARCHING...\rUNABLE TO CONNECT\r\r>"}},
                    false);
    ElmBench silent;  // the 5-baud search outlasts the program's 2 s wait
    silent.elm.setEcu(nullptr);
    silent.send("ATE0\rATSPA5\r");
    EXPECT_EQ(silent.exchange("21A0\r", 2s), "BUS INIT: ERROR\\rSEARCHING...\\r");
    ElmBench bench;
    bench.send("ATE0\rATS0\rATH1\rATSP5\r");
    EXPECT_NE(bench.exchange("21A0\r").find("BUS INIT: OK"), std::string::npos);
    EXPECT_EQ(bench.exchange("21A0\r").find("BUS INIT"), std::string::npos);
    bench.exchange("ATPC\r");
    EXPECT_NE(bench.exchange("21A0\r").find("BUS INIT: OK"), std::string::npos);
    EXPECT_EQ(bench.ecu.wakeUps, 2);
    const auto& heard = bench.ecu.heard;
    const std::string start = "C133F18166", req = functionalRequest("21A0");
    ASSERT_EQ(heard.size(), 5u);
    for (std::size_t i = 0; i < 5; ++i) EXPECT_EQ(heard[i].first, (i == 0 || i == 3) ? start : req) << i;
    // The request: 5 ms between its bytes, P3 min after the 7-byte StartCommunication answer.
    const auto byte = Elm327Bus::byteTime(10400);
    const auto answerEnd = heard[0].second + bench.ecu.p2 + 7 * byte;
    const auto requestStart = heard[1].second - 6 * byte - 5 * Elm327Emulator::kByteGap;
    EXPECT_GE(requestStart - answerEnd, Elm327Emulator::kRequestGap);
    EXPECT_LE(requestStart - answerEnd, Elm327Emulator::kRequestGap + 5ms);
}

TEST(Elm327Bus, NoDataOneMessageALineStopsAndTheAdaptersOwnKeepAlive) {
    for (const auto& [st, wait] : {std::pair{"", 200ms}, std::pair{"ATST19\r", 100ms}}) {
        ElmBench bench;
        bench.send(std::string("ATE0\rATSP5\r") + st + "3E\r");
        EXPECT_EQ(bench.exchange("2199\r", 3s), "NO DATA\\r\\r>") << st;
        // The prompt arrives the time-out after the request left.
        const auto waited = bench.clock.now() - bench.ecu.heard.back().second;
        EXPECT_GE(waited, wait) << st;
        EXPECT_LE(waited, wait + 3ms) << st;
    }
    const std::string good = kwpAnswer("61A0");
    std::string bad = good;
    bad.back() = bad.back() == '0' ? '1' : '0';
    for (const auto& [frames, printed] :
         {std::pair<std::string, std::string>{good + kwpAnswer("7F2112"), "82F11061A084\r83F1107F211236\r"},
          std::pair{bad, bad + "<DATA ERROR\r"}, std::pair{good.substr(0, 8), good.substr(0, 8) + "<DATA ERROR\r"}}) {
        ElmBench bench;
        bench.ecu.answers[functionalRequest("21A0")] = frames;
        bench.send("ATE0\rATS0\rATH1\rATSP5\r3E\r");
        EXPECT_EQ(bench.exchange("21A0\r"), V(printed + "\r>")) << frames;
    }
    ElmBench bench;
    bench.ecu.p2 = 150ms;
    bench.send("ATE0\rATS0\rATH1\rATSP5\r");
    bench.exchange("3E\r", 3s);
    EXPECT_EQ(bench.send("21A0\r", 80ms), "");
    EXPECT_EQ(bench.send("X", 50ms), "STOPPED\\r\\r>");
    EXPECT_EQ(bench.exchange("ATI\r"), "ELM327 v2.1\\r\\r>") << "the stopping character is dropped";
    bench.port.output("21A0\r");
    EXPECT_EQ(bench.send("\n", 1s), "82F11061A084\\r\\r>") << "a line feed never stops anything";
    // The program's double line end stops a request once the bus is up.
    ElmBench program;
    program.send("ATE0\rATS0\rATH1\rATSPA5\r");
    EXPECT_EQ(program.exchange("21A0\r\n\r\n"), "BUS INIT: OK\\rSTOPPED\\r\\r>");
    EXPECT_EQ(program.exchange("21A0\r\n\r\n"), "STOPPED\\r\\r>");
    EXPECT_NE(program.exchange("1A92\r\n").find("F1105A9249415735414D485730313053"), std::string::npos);
    const std::tuple<const char*, std::chrono::milliseconds, const char*> cases[] = {
        {"", 2920ms, "C133F13E23"},
        {"ATWM8110F13E\rATSW19\r", 500ms, "8110F13EC0"},
        {"ATSW00\r", 0ms, ""},
        {"ATPC\r", 0ms, ""}};
    for (const auto& [setup, period, message] : cases) {
        ElmBench bench;
        bench.ecu.answers["8110F13EC0"] = kwpAnswer("7E");
        bench.send("ATE0\rATSP5\r");
        bench.exchange("3E\r");
        bench.send(setup);
        const auto first = bench.ecu.heard.size();
        EXPECT_EQ(bench.send("", 10s), "") << "its answers are never printed";
        const auto& heard = bench.ecu.heard;
        ASSERT_GE(heard.size(), period == 0ms ? first : first + 3) << setup;
        EXPECT_TRUE(period != 0ms || heard.size() == first) << setup;
        for (std::size_t i = first; i < heard.size(); ++i) {
            EXPECT_EQ(heard[i].first, message) << setup;
            // From the ECU's answer to the previous message (P2 and four bytes); the message takes about 25 ms.
            if (i == first) continue;
            EXPECT_GE(heard[i].second - heard[i - 1].second, period + 50ms) << setup;
            EXPECT_LE(heard[i].second - heard[i - 1].second, period + 60ms) << setup;
        }
    }
}

}  // namespace
}  // namespace dravio::sim::testing
