// The ELM327 emulator: its command dialogue and display modes, then the
// K-line behind it (bus initiation, one message a line, time-outs,
// interruption and its own keep-alive), on a virtual clock.
#include "sim/elm327_emulator.h"

#include <gtest/gtest.h>

#include "elm327_bench.h"
#include "sim/kwp_ecu.h"

namespace dravio::testing {
namespace {

constexpr auto kLong = std::chrono::milliseconds(20000);

struct Dialogue {
    std::string setup;  // sent first (after ATE0 unless it sets the echo), answers ignored
    std::string command;
    std::string answer;
};

void expectDialogues(const std::vector<Dialogue>& cases, bool withEcu = true) {
    for (const auto& c : cases) {
        ElmBench bench;
        if (!withEcu) bench.elm.setEcu(nullptr);
        bench.send("ATE0\r" + c.setup);
        EXPECT_EQ(visible(bench.exchange(c.command, kLong)), visible(c.answer)) << visible(c.setup + c.command);
    }
}

TEST(Elm327Commands, AnswersInAnyFormAndLengthAndDisplayModes) {
    expectDialogues({{"", "ATI\r", "ELM327 v2.1\r\r>"},
                     {"", "AT@1\r", "OBDII to RS232 Interpreter\r\r>"},
                     {"", "ATDPN\r", "A0\r\r>"},
                     {"", "ATDP\r", "AUTO\r\r>"},
                     {"ATSPA5\r", "ATDP\r", "AUTO, ISO 14230-4 (KWP FAST)\r\r>"},
                     {"AT SP A5\r", "at dpn\r", "A5\r\r>"},  // blanks and case do not matter
                     {"\tAt Sp a5  \r", "ATDPN\r", "A5\r\r>"},
                     {"ATSP4\r", "ATDPN\r", "4\r\r>"},
                     {"ATTP3\r", "ATDP\r", "ISO 9141-2\r\r>"},
                     {"", "ATSPD\r", "?\r\r>"},
                     {"", "ATSH81\r", "?\r\r>"},
                     {"", "ATWM8110F13E00112233\r", "?\r\r>"},
                     {"", "ATST1\r", "?\r\r>"},
                     {"", "ATKW\r", "NO DATA\r\r>"},
                     {"", "ATFI\r", "?\r\r>"},  // not a fast-initiation protocol
                     {"", "ATE2\r", "?\r\r>"},
                     {"", "AT\r", "?\r\r>"},
                     {"", "ATSI\r", "?\r\r>"},
                     {"", "HELLO\r", "?\r\r>"},
                     {"", "21A\r", "?\r\r>"},
                     {"", "0102030405060708\r", "?\r\r>"},  // more than 7 bytes without AL
                     {"", std::string(200, 'A') + "\r", "?\r\r>"},
                     {"ATI\r", "\r", "ELM327 v2.1\r\r>"},  // a lone carriage return repeats the last command
                     {"ATE1\r", "ATI\r", "ATI\rELM327 v2.1\r\r>"},
                     {"ATL1\r", "ATI\r", "ELM327 v2.1\r\n\r\n>"},
                     {"ATE1\rATL1\r", "ATI\r", "ATI\r\nELM327 v2.1\r\n\r\n>"},
                     {"ATSP5\rATH1\rATS1\r", "21A0\r", "BUS INIT: OK\r82 F1 10 61 A0 84 \r\r>"},
                     {"ATSP5\rATH0\rATS1\r", "21A0\r", "BUS INIT: OK\r61 A0 \r\r>"},
                     {"ATL1\rATSP5\rATH0\rATS0\r", "21A0\r", "BUS INIT: OK\r\n61A0\r\n\r\n>"}});
    ElmBench fresh;
    EXPECT_EQ(visible(fresh.exchange("\r")), "\\r>") << "before any command: echo and prompt";
    for (const char* accepted : {"ATD\r", "ATAL\r", "ATNL\r", "ATAT2\r", "ATL0\r", "ATSP5\r", "ATKW0\r", "ATIIA10\r"}) {
        EXPECT_EQ(visible(fresh.exchange(accepted)), visible(std::string(accepted) + "OK\r\r>")) << "echo on";
    }
    // Both commands in one write: the second is read after the first's prompt.
    fresh.send("ATE0\r");
    EXPECT_EQ(visible(fresh.send("ATI\rAT@1\r")), "ELM327 v2.1\\r\\r>OBDII to RS232 Interpreter\\r\\r>");
    // Four characters in at 38400 baud, the processing delay, one character out.
    const auto sent = fresh.clock.now();
    fresh.port.output("ATI\r");
    fresh.port.waitForInput(1, sent + 1s);
    EXPECT_GE(fresh.clock.now() - sent, 4 * fresh.elm.serialCharTime() + sim::Elm327Emulator::kCommandDelay);
    EXPECT_LE(fresh.clock.now() - sent, 10ms);
}

TEST(Elm327Commands, ResetAnswersWithTheProfileVersionAndRestoresTheDefaults) {
    for (const auto& [profile, version] : {std::pair{sim::Elm327Profile::genuine(), "ELM327 v2.1"},
                                           std::pair{sim::Elm327Profile::clone(), "ELM327 v1.5"}}) {
        ElmBench bench(profile);
        // Echo is on after power-up; characters sent during the reset are lost.
        EXPECT_EQ(visible(bench.send("ATZ\rATI\r", 2s)), visible(std::string("ATZ\r\r\r") + version + "\r\r>"));
        bench.send("ATE0\rATL1\rATH1\rATS0\rATSP5\r");
        bench.send("ATZ\r", 2s);
        const auto& s = bench.elm.settings();
        EXPECT_TRUE(s.echo && !s.linefeeds && !s.headers && s.spaces && s.protocol == 0) << version;
    }
}

TEST(Elm327Commands, TheCloneRefusesWhatItsFirmwareLacks) {
    const struct {
        const char* command;
        const char* genuine;
        const char* clone;
    } cases[] = {
        {"ATFI\r", "BUS INIT: OK\r\r>", "?\r\r>"}, {"ATKW\r", "1:EF 2:8F\r\r>", "?\r\r>"},
        {"ATKW0\r", "OK\r\r>", "?\r\r>"},          {"ATWM8110F13E\r", "OK\r\r>", "?\r\r>"},
        {"ATSW32\r", "OK\r\r>", "OK\r\r>"},        {"ATST19\r", "OK\r\r>", "OK\r\r>"},
    };
    for (const auto& c : cases) {
        for (const bool genuine : {true, false}) {
            ElmBench bench(genuine ? sim::Elm327Profile::genuine() : sim::Elm327Profile::clone());
            bench.send("ATE0\rATSP5\r");
            if (std::string(c.command) == "ATKW\r") bench.send("3E\r");  // key bytes come with a bus initiation
            EXPECT_EQ(visible(bench.exchange(c.command)), visible(genuine ? c.genuine : c.clone))
                << visible(c.command) << (genuine ? " genuine" : " clone");
        }
    }
}

TEST(Elm327Bus, BusInitiationTexts) {
    const std::string ok = "82F11061A084\r\r>";
    const std::string setup = "ATS0\rATH1\r";
    expectDialogues({{setup + "ATSP5\r", "21A0\r", "BUS INIT: OK\r" + ok},
                     {setup + "ATSPA5\r", "21A0\r", "BUS INIT: OK\r" + ok},
                     {setup + "ATSP0\r", "21A0\r", "SEARCHING...\r" + ok},
                     {setup + "ATSP6\r", "21A0\r", "UNABLE TO CONNECT\r\r>"}});
    expectDialogues({{setup + "ATSP5\r", "21A0\r", "BUS INIT: ERROR\r\r>"},
                     {setup + "ATSPA5\r", "21A0\r", "BUS INIT: ERROR\rSEARCHING...\rUNABLE TO CONNECT\r\r>"},
                     {setup + "ATSP0\r", "21A0\r", "SEARCHING...\rUNABLE TO CONNECT\r\r>"},
                     {setup + "ATSP4\r", "21A0\r", "BUS INIT: ...ERROR\r\r>"}},
                    false);
    // The 5-baud search outlasts the program's 2 s wait.
    ElmBench silent;
    silent.elm.setEcu(nullptr);
    silent.send("ATE0\rATSPA5\r");
    EXPECT_EQ(visible(silent.exchange("21A0\r", 2000ms)), "BUS INIT: ERROR\\rSEARCHING...\\r");
    // The slow initiation wakes a real unit at its own address only (0x33 is not it).
    const std::pair<const char*, const char*> slow[] = {{"ATSP4\rATIIA10\r", "BUS INIT: ...OK\r\r>"},
                                                        {"ATSP4\r", "BUS INIT: ...ERROR\r\r>"}};
    for (const auto& [setupSlow, answer] : slow) {
        sim::KwpEcu ecu;
        ElmBench bench;
        bench.elm.setEcu(&ecu);
        bench.send(std::string("ATE0\r") + setupSlow);
        EXPECT_EQ(visible(bench.exchange("ATSI\r", kLong)), visible(answer)) << visible(setupSlow);
    }
}

TEST(Elm327Bus, FastInitiationOnceUntilTheProtocolIsClosedWithTheLineTimings) {
    ElmBench bench;
    bench.send("ATE0\rATS0\rATH1\rATSP5\r");
    EXPECT_NE(bench.exchange("21A0\r").find("BUS INIT: OK"), std::string::npos);
    EXPECT_EQ(bench.exchange("21A0\r").find("BUS INIT"), std::string::npos);
    EXPECT_EQ(bench.ecu.wakeUps, 1);
    bench.exchange("ATPC\r");
    EXPECT_NE(bench.exchange("21A0\r").find("BUS INIT: OK"), std::string::npos);
    EXPECT_EQ(bench.ecu.wakeUps, 2);
    const auto& heard = bench.ecu.heard;
    ASSERT_EQ(bench.ecu.heardFrames(),
              (std::vector<std::string>{"C133F18166", functionalRequest("21A0"), functionalRequest("21A0"),
                                        "C133F18166", functionalRequest("21A0")}));
    // The request: 5 ms between its bytes, P3 min after the StartCommunication
    // answer (7 bytes, P2 after the request).
    const auto byte = sim::Elm327Bus::byteTime(10400);
    const auto answerEnd = heard[0].second + bench.ecu.p2 + 7 * byte;
    const auto n = static_cast<int>(heard[1].first.size() / 2);
    const auto requestStart = heard[1].second - n * byte - (n - 1) * sim::Elm327Emulator::kByteGap;
    EXPECT_GE(requestStart - answerEnd, sim::Elm327Emulator::kRequestGap);
    EXPECT_LE(requestStart - answerEnd, sim::Elm327Emulator::kRequestGap + 5ms);
}

TEST(Elm327Bus, TheHeaderComesFromSetHeaderWithTheLengthInItsFormatByte) {
    const std::pair<std::string, const char*> cases[] = {{"ATSH8110F1\r21A0\r", "8210F121A044"},
                                                         {"ATSH8110F1\r3E\r", "8110F13EC0"},
                                                         {"ATSHC133F1\r1A92\r", "C233F11A9292"},
                                                         {"ATSH811001\r830300FF00FF00\r", "871001830300FF00FF001C"}};
    for (const auto& [commands, onTheLine] : cases) {
        ElmBench bench;
        // StartCommunication goes out with the header set, as every request.
        for (const char* startCom : {"8110F18103", "8110018113"}) bench.ecu.answers[startCom] = kwpAnswer("C1EF8F");
        bench.send("ATE0\rATSP5\r" + commands);
        ASSERT_FALSE(bench.ecu.heard.empty());
        EXPECT_EQ(bench.ecu.heard.back().first, onTheLine) << visible(commands);
    }
}

TEST(Elm327Bus, NoDataAfterTheTimeOut) {
    for (const auto& [st, wait] : {std::pair{"", 200ms}, std::pair{"ATST19\r", 100ms}, std::pair{"ATST00\r", 200ms},
                                   std::pair{"ATSTFF\r", 1020ms}}) {
        ElmBench bench;
        bench.send(std::string("ATE0\rATSP5\r") + st);
        bench.exchange("3E\r");  // the bus initiation
        EXPECT_EQ(visible(bench.exchange("2199\r", 3000ms)), "NO DATA\\r\\r>") << st;
        ASSERT_EQ(bench.ecu.heard.back().first, functionalRequest("2199"));
        // The prompt's last character arrives the time-out after the request left.
        const auto waited = bench.clock.now() - bench.ecu.heard.back().second;
        EXPECT_GE(waited, wait) << st;
        EXPECT_LE(waited, wait + 3ms) << st;
    }
}

TEST(Elm327Bus, EveryMessageOnItsOwnLineWithItsChecksumChecked) {
    const std::string good = kwpAnswer("61A0");
    std::string bad = good;
    bad.back() = bad.back() == '0' ? '1' : '0';
    const std::pair<std::string, std::string> cases[] = {
        {good, "82F11061A084\r"},
        {good + kwpAnswer("7F2112"), "82F11061A084\r83F1107F211236\r"},
        {bad, bad + "<DATA ERROR\r"},
        {good.substr(0, 8), good.substr(0, 8) + "<DATA ERROR\r"},  // cut short
    };
    for (const auto& [frames, printed] : cases) {
        ElmBench bench;
        bench.ecu.answers[functionalRequest("21A0")] = frames;
        bench.send("ATE0\rATS0\rATH1\rATSP5\r3E\r");
        EXPECT_EQ(visible(bench.exchange("21A0\r")), visible(printed + "\r>")) << frames;
    }
    // A "response pending" answer extends the wait past ST for the real answer 600 ms later.
    struct Late : sim::KLineDevice {
        ScriptedKwpEcu& inner;
        explicit Late(ScriptedKwpEcu& e) : inner(e) {}
        void onBreak(sim::KLineOutput& out, Clock::TimePoint t, bool low) override { inner.onBreak(out, t, low); }
        void onTesterByte(sim::KLineOutput& out, Clock::TimePoint end, std::uint8_t b, std::uint32_t baud) override {
            const auto before = inner.heard.size();
            inner.onTesterByte(out, end, b, baud);
            if (inner.heard.size() == before || inner.heard.back().first != functionalRequest("2101")) return;
            auto t = end + 600ms;
            for (const std::uint8_t x : proto::fromHex(kwpAnswer("6101AA"))) out.send(t += 1ms, x, 10400);
        }
    };
    ElmBench bench;
    Late late(bench.ecu);
    bench.ecu.answers[functionalRequest("2101")] = kwpAnswer("7F2178");
    bench.elm.setEcu(&late);
    bench.send("ATE0\rATS0\rATH1\rATSP5\r3E\r");
    EXPECT_EQ(visible(bench.exchange("2101\r", 3000ms)), "83F1107F21789C\\r83F1106101AA90\\r\\r>");
}

TEST(Elm327Bus, ACharacterBeforeThePromptStopsARequest) {
    ElmBench bench;
    bench.ecu.p2 = 150ms;
    bench.send("ATE0\rATS0\rATH1\rATSP5\r");
    bench.exchange("3E\r", 3000ms);
    EXPECT_EQ(bench.send("21A0\r", 80ms), "");
    EXPECT_EQ(visible(bench.send("X", 50ms)), "STOPPED\\r\\r>");
    // The character that stopped the request is dropped, not kept for the next command.
    EXPECT_EQ(visible(bench.exchange("ATI\r")), "ELM327 v2.1\\r\\r>");
    // A line feed never stops anything.
    bench.port.output("21A0\r");
    EXPECT_EQ(visible(bench.send("\n", 1s)), "82F11061A084\\r\\r>");
    // The program's double line end stops a request once the bus is up.
    ElmBench program;
    program.send("ATE0\rATS0\rATH1\rATSPA5\r");
    EXPECT_EQ(visible(program.exchange("21A0\r\n\r\n")), "BUS INIT: OK\\rSTOPPED\\r\\r>");
    EXPECT_EQ(visible(program.exchange("21A0\r\n\r\n")), "STOPPED\\r\\r>");
    EXPECT_NE(program.exchange("1A92\r\n").find("F1105A9249415735414D485730313053"), std::string::npos);
}

TEST(Elm327Bus, TheAdapterKeepsTheLinkAwakeWithItsWakeupMessage) {
    const struct {
        const char* setup;
        std::chrono::milliseconds period;
        const char* message;
    } cases[] = {{"", 2920ms, "C133F13E23"},
                 {"ATSW32\r", 1000ms, "C133F13E23"},
                 {"ATWM8110F13E\rATSW19\r", 500ms, "8110F13EC0"},
                 {"ATSW00\r", 0ms, ""},
                 {"ATPC\r", 0ms, ""}};
    for (const auto& c : cases) {
        ElmBench bench;
        bench.ecu.answers["8110F13EC0"] = kwpAnswer("7E");
        bench.send("ATE0\rATSP5\r");
        bench.exchange("3E\r");
        bench.send(c.setup);
        const auto first = bench.ecu.heard.size();
        EXPECT_EQ(bench.send("", 10s), "") << "its answers are never printed";
        const auto& heard = bench.ecu.heard;
        if (c.period == 0ms) {
            EXPECT_EQ(heard.size(), first) << c.setup;
            continue;
        }
        ASSERT_GE(heard.size(), first + 3) << c.setup;
        for (std::size_t i = first; i < heard.size(); ++i) {
            EXPECT_EQ(heard[i].first, c.message) << c.setup;
            // The period runs from the ECU's answer to the previous message (P2
            // and four bytes); the message itself takes about 25 ms.
            if (i == first) continue;
            EXPECT_GE(heard[i].second - heard[i - 1].second, c.period + 50ms) << c.setup;
            EXPECT_LE(heard[i].second - heard[i - 1].second, c.period + 60ms) << c.setup;
        }
    }
    // Against a real unit, which drops the link after 5 s of silence.
    sim::KwpEcu ecu{sim::KwpScenario::m59()};
    ElmBench bench;
    bench.elm.setEcu(&ecu);
    bench.send("ATE0\rATS0\rATH1\rATSPA5\r");
    EXPECT_NE(bench.exchange("21A0\r").find("BUS INIT: OK\r96F11061A0"), std::string::npos);
    bench.send("", 20s);
    EXPECT_EQ(bench.exchange("21A0\r").rfind("96F11061A0", 0), 0u);
}

}  // namespace
}  // namespace dravio::testing
