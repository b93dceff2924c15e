// The adapter's command dialogue: AT commands, their forms, the display modes.
#include <gtest/gtest.h>

#include "elm327_bench.h"

namespace dravio::testing {
namespace {

struct Dialogue {
    std::vector<std::string> setup;  // sent first, answers ignored
    std::string command;
    std::string answer;  // echo off
};

TEST(Elm327Commands, AnswersOfTheCommandTable) {
    const Dialogue cases[] = {
        {{}, "ATI\r", "ELM327 v2.1\r\r>"},
        {{}, "AT@1\r", "OBDII to RS232 Interpreter\r\r>"},
        {{}, "ATS0\r", "OK\r\r>"},
        {{}, "ATH1\r", "OK\r\r>"},
        {{}, "ATL0\r", "OK\r\r>"},
        {{}, "ATD\r", "OK\r\r>"},
        {{}, "ATDPN\r", "A0\r\r>"},
        {{}, "ATDP\r", "AUTO\r\r>"},
        {{"ATSPA5\r"}, "ATDPN\r", "A5\r\r>"},
        {{"ATSPA5\r"}, "ATDP\r", "AUTO, ISO 14230-4 (KWP FAST)\r\r>"},
        {{"ATSP4\r"}, "ATDPN\r", "4\r\r>"},
        {{"ATTP3\r"}, "ATDP\r", "ISO 9141-2\r\r>"},
        {{}, "ATSP5\r", "OK\r\r>"},
        {{}, "ATSPD\r", "?\r\r>"},
        {{}, "ATSH8110F1\r", "OK\r\r>"},
        {{}, "ATSH81\r", "?\r\r>"},
        {{}, "ATWM8110F13E\r", "OK\r\r>"},
        {{}, "ATWM8110F13E00112233\r", "?\r\r>"},
        {{}, "ATSW00\r", "OK\r\r>"},
        {{}, "ATST19\r", "OK\r\r>"},
        {{}, "ATST1\r", "?\r\r>"},
        {{}, "ATKW0\r", "OK\r\r>"},
        {{}, "ATKW\r", "NO DATA\r\r>"},
        {{}, "ATAL\r", "OK\r\r>"},
        {{}, "ATNL\r", "OK\r\r>"},
        {{}, "ATPC\r", "OK\r\r>"},
        {{}, "ATIIA10\r", "OK\r\r>"},
        {{}, "ATAT2\r", "OK\r\r>"},
        {{}, "ATFI\r", "?\r\r>"},  // not a fast-initiation protocol
        {{}, "ATSI\r", "?\r\r>"},
        {{}, "ATE2\r", "?\r\r>"},
        {{}, "ATXYZ\r", "?\r\r>"},
        {{}, "AT\r", "?\r\r>"},
        {{}, "HELLO\r", "?\r\r>"},
        {{}, "21A\r", "?\r\r>"},
        {{}, "0102030405060708\r", "?\r\r>"},  // more than 7 bytes without AL
    };
    for (const auto& c : cases) {
        ElmBench bench;
        bench.send("ATE0\r");
        for (const auto& s : c.setup) bench.send(s);
        EXPECT_EQ(visible(bench.exchange(c.command)), visible(c.answer)) << visible(c.command);
    }
}

TEST(Elm327Commands, BlanksAndCaseDoNotMatter) {
    const char* forms[] = {"ATSPA5\r", "AT SP A5\r", "at sp a5\r", "At Sp a5\r", "A T S P A 5\r", "\tATSPA5\r",
                           "ATSPA5  \r", "atspa5\r"};
    for (const char* form : forms) {
        ElmBench bench;
        bench.send("ATE0\r");
        EXPECT_EQ(visible(bench.exchange(form)), "OK\\r\\r>") << visible(form);
        EXPECT_EQ(visible(bench.exchange("at dpn\r")), "A5\\r\\r>") << visible(form);
    }
}

TEST(Elm327Commands, ResetAnswersWithTheProfileVersion) {
    const struct {
        sim::Elm327Profile profile;
        const char* version;
    } cases[] = {{sim::Elm327Profile::genuine(), "ELM327 v2.1"}, {sim::Elm327Profile::clone(), "ELM327 v1.5"}};
    for (const auto& c : cases) {
        ElmBench bench(c.profile);
        // Echo is on after power-up.
        EXPECT_EQ(visible(bench.exchange("ATZ\r")), visible(std::string("ATZ\r\r\r") + c.version + "\r\r>"));
        bench.send("ATE0\r");
        EXPECT_EQ(visible(bench.exchange("ATI\r")), visible(std::string(c.version) + "\r\r>"));
    }
}

TEST(Elm327Commands, ResetRestoresTheDefaults) {
    ElmBench bench;
    bench.send("ATE0\rATL1\rATH1\rATS0\rATSP5\r");
    bench.send("ATZ\r", 2s);
    EXPECT_TRUE(bench.elm.settings().echo);
    EXPECT_FALSE(bench.elm.settings().linefeeds);
    EXPECT_FALSE(bench.elm.settings().headers);
    EXPECT_TRUE(bench.elm.settings().spaces);
    EXPECT_EQ(bench.elm.settings().protocol, 0);
}

TEST(Elm327Commands, DisplayModesShapeTheAnswer) {
    const struct {
        const char* modes;
        const char* command;
        const char* answer;
    } cases[] = {
        {"ATE1\r", "ATI\r", "ATI\rELM327 v2.1\r\r>"},
        {"ATE0\r", "ATI\r", "ELM327 v2.1\r\r>"},
        {"ATE0\rATL1\r", "ATI\r", "ELM327 v2.1\r\n\r\n>"},
        {"ATE1\rATL1\r", "ATI\r", "ATI\r\nELM327 v2.1\r\n\r\n>"},
        {"ATE0\rATSP5\rATH1\rATS1\r", "21A0\r", "BUS INIT: OK\r82 F1 10 61 A0 84 \r\r>"},
        {"ATE0\rATSP5\rATH1\rATS0\r", "21A0\r", "BUS INIT: OK\r82F11061A084\r\r>"},
        {"ATE0\rATSP5\rATH0\rATS1\r", "21A0\r", "BUS INIT: OK\r61 A0 \r\r>"},
        {"ATE0\rATSP5\rATH0\rATS0\r", "21A0\r", "BUS INIT: OK\r61A0\r\r>"},
        {"ATE0\rATL1\rATSP5\rATH0\rATS0\r", "21A0\r", "BUS INIT: OK\r\n61A0\r\n\r\n>"},
    };
    for (const auto& c : cases) {
        ElmBench bench;
        scriptDefaultEcu(bench.ecu);
        bench.ecu.answers[functionalRequest("21A0")] = kwpAnswer("61A0");
        bench.send(c.modes);
        EXPECT_EQ(visible(bench.exchange(c.command)), visible(c.answer)) << visible(c.modes);
    }
}

TEST(Elm327Commands, ALoneCarriageReturnRepeatsTheLastCommand) {
    ElmBench bench;
    scriptDefaultEcu(bench.ecu);
    bench.ecu.answers[functionalRequest("21A0")] = kwpAnswer("61A0");
    bench.send("ATE0\rATSP5\rATS0\rATH1\r");
    EXPECT_EQ(visible(bench.exchange("ATI\r")), "ELM327 v2.1\\r\\r>");
    EXPECT_EQ(visible(bench.exchange("\r")), "ELM327 v2.1\\r\\r>");
    EXPECT_EQ(visible(bench.exchange("21A0\r")), "BUS INIT: OK\\r82F11061A084\\r\\r>");
    EXPECT_EQ(visible(bench.exchange("\r")), "82F11061A084\\r\\r>");
    // Both requests reached the ECU.
    const auto frames = bench.ecu.heardFrames();
    EXPECT_EQ(std::count(frames.begin(), frames.end(), functionalRequest("21A0")), 2);
}

TEST(Elm327Commands, ALoneCarriageReturnBeforeAnyCommandOnlyPrompts) {
    ElmBench fresh;
    // The echo of the carriage return, then the prompt.
    EXPECT_EQ(visible(fresh.exchange("\r")), "\\r>");
}

TEST(Elm327Commands, TheCloneRefusesWhatItsFirmwareLacks) {
    const struct {
        const char* command;
        const char* genuine;
        const char* clone;
    } cases[] = {
        {"ATFI\r", "BUS INIT: OK\r\r>", "?\r\r>"},
        {"ATKW\r", "1:EF 2:8F\r\r>", "?\r\r>"},
        {"ATKW0\r", "OK\r\r>", "?\r\r>"},
        {"ATWM8110F13E\r", "OK\r\r>", "?\r\r>"},
        {"ATSW32\r", "OK\r\r>", "OK\r\r>"},
        {"ATST19\r", "OK\r\r>", "OK\r\r>"},
    };
    for (const auto& c : cases) {
        for (const bool genuine : {true, false}) {
            ElmBench bench(genuine ? sim::Elm327Profile::genuine() : sim::Elm327Profile::clone());
            scriptDefaultEcu(bench.ecu);
            bench.send("ATE0\rATSP5\r");
            // The key bytes come with a bus initiation.
            if (std::string(c.command) == "ATKW\r") bench.send("3E\r");
            EXPECT_EQ(visible(bench.exchange(c.command)), visible(genuine ? c.genuine : c.clone))
                << visible(c.command) << (genuine ? " genuine" : " clone");
        }
    }
}

TEST(Elm327Commands, CharactersDuringACommandWaitForThePrompt) {
    ElmBench bench;
    bench.send("ATE0\r");
    // Both commands in one write: the second is read after the first's prompt.
    EXPECT_EQ(visible(bench.send("ATI\rAT@1\r")), "ELM327 v2.1\\r\\r>OBDII to RS232 Interpreter\\r\\r>");
}

TEST(Elm327Commands, CharactersDuringAResetAreLost) {
    ElmBench bench;
    EXPECT_EQ(visible(bench.send("ATZ\rATI\r", 2s)), "ATZ\\r\\r\\rELM327 v2.1\\r\\r>");
}

TEST(Elm327Commands, AnOverlongLineIsRefused) {
    ElmBench bench;
    bench.send("ATE0\r");
    EXPECT_EQ(visible(bench.exchange(std::string(200, 'A') + "\r")), "?\\r\\r>");
    EXPECT_EQ(visible(bench.exchange("ATI\r")), "ELM327 v2.1\\r\\r>");
}

TEST(Elm327Commands, AnAtCommandIsAnsweredWithinAFewMilliseconds) {
    ElmBench bench;
    bench.send("ATE0\r");
    const auto sent = bench.clock.now();
    bench.port.output("ATI\r");
    bench.port.waitForInput(1, sent + 1s);
    const auto first = bench.clock.now() - sent;
    // Four characters in at 38400 baud, the processing delay, one character out.
    EXPECT_GE(first, 4 * bench.elm.serialCharTime() + sim::Elm327Emulator::kCommandDelay);
    EXPECT_LE(first, 10ms);
}

}  // namespace
}  // namespace dravio::testing
