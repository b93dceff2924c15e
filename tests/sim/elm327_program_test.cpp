// The program's adapter set-up, command for command, against a simulated 59M
// behind a genuine adapter and a clone: each answer holds what the program
// looks for.
#include <gtest/gtest.h>

#include "elm327_bench.h"
#include "sim/kwp_ecu.h"

namespace dravio::testing {
namespace {

struct ProgramRun {
    std::vector<std::string> answers;
    bool result = false;
    int blockRequests = 0;
    std::string identification;
};

// The set-up sequence: every command with the two line ends it reaches the
// adapter with, the identification request with one.
ProgramRun runProgramSetUp(ElmBench& bench) {
    ProgramRun s;
    const std::string twice = "\r\n\r\n";
    const std::pair<const char*, int> commands[] = {
        {"ATZ", 2000}, {"ATS0", 400}, {"ATL0", 400}, {"ATH1", 400}, {"ATE0", 400}, {"ATSPA5", 400}};
    for (const auto& [command, timeout] : commands) {
        s.answers.push_back(bench.exchange(command + twice, std::chrono::milliseconds(timeout)));
    }
    bench.clock.sleepFor(500ms);
    auto block = bench.exchange("21A0" + twice, 2000ms);
    ++s.blockRequests;
    s.answers.push_back(block);
    if (block.find("BUS INIT") != std::string::npos) s.result = true;
    block = bench.exchange("21A0" + twice, 2000ms);
    ++s.blockRequests;
    s.answers.push_back(block);
    if (block.find("96F11061A0") != std::string::npos) s.result = true;
    if (block.find("SEARCH") != std::string::npos || block.find("STOPP") != std::string::npos) {
        block = bench.exchange("21A0" + twice, 3000ms);
        ++s.blockRequests;
        s.answers.push_back(block);
        if (block.find("96F11061A0") != std::string::npos) s.result = true;
    }
    const auto ident = bench.exchange("1A92\r\n", 1000ms);
    s.answers.push_back(ident);
    if (const auto p = ident.find("F1105A92"); p != std::string::npos && ident.size() >= p + 8 + 22) {
        for (const auto b : base::fromHex(ident.substr(p + 8, 22))) s.identification += static_cast<char>(b);
    }
    for (const char* last : {"81", "ATWM 8110F13EC0", "8302"}) s.answers.push_back(bench.exchange(last + twice, 400ms));
    return s;
}

TEST(Elm327ProgramSetUp, BothAdaptersReachTheEcuAndReadItsIdentification) {
    for (const bool genuine : {true, false}) {
        sim::KwpEcu ecu{sim::KwpScenario::m5a()};
        ElmBench bench(genuine ? sim::Elm327Profile::genuine() : sim::Elm327Profile::clone());
        bench.elm.setEcu(&ecu);
        const ProgramRun s = runProgramSetUp(bench);
        const char* who = genuine ? "genuine" : "clone";
        ASSERT_GE(s.answers.size(), 6u);
        EXPECT_NE(s.answers[0].find("ELM"), std::string::npos) << who << visible(s.answers[0]);
        for (std::size_t i = 1; i < 6; ++i) EXPECT_NE(s.answers[i].find("OK"), std::string::npos) << who << i;
        // The double line end stops the block requests once the bus is up; the
        // first answer shows the bus initiation, the second the stop.
        EXPECT_NE(s.answers[6].find("BUS INIT: OK"), std::string::npos) << who << visible(s.answers[6]);
        EXPECT_NE(s.answers[7].find("STOPPED"), std::string::npos) << who << visible(s.answers[7]);
        EXPECT_EQ(s.blockRequests, 3) << who;
        EXPECT_TRUE(s.result) << who;
        EXPECT_NE(s.identification.find("IAW5A"), std::string::npos) << who << " " << s.identification;
        // The clone takes no wake-up message; the genuine adapter takes the bytes given.
        if (genuine) {
            EXPECT_EQ(s.answers[s.answers.size() - 2].find("?"), std::string::npos);
            EXPECT_EQ(bench.elm.settings().wakeupMessage, (std::vector<std::uint8_t>{0x81, 0x10, 0xF1, 0x3E, 0xC0}));
        } else {
            EXPECT_NE(s.answers[s.answers.size() - 2].find("?"), std::string::npos) << visible(s.answers[s.answers.size() - 2]);
        }
        // Every answer ended with the prompt.
        for (const auto& a : s.answers) EXPECT_EQ(a.empty() ? '\0' : a.back(), '>') << who << visible(a);
    }
}

TEST(Elm327ProgramSetUp, WithoutAnEcuNoPositiveAnswerComes) {
    ElmBench bench;
    bench.elm.setEcu(nullptr);
    const ProgramRun s = runProgramSetUp(bench);
    ASSERT_GE(s.answers.size(), 8u);
    // The fast initiation fails, and the search through the 5-baud protocols
    // outlasts the program's 2 s: it reads the adapter still searching.
    EXPECT_EQ(visible(s.answers[6]), "BUS INIT: ERROR\\rSEARCHING...\\r");
    for (const auto& a : s.answers) EXPECT_EQ(a.find("96F11061A0"), std::string::npos);
    EXPECT_EQ(s.identification, "");
}

TEST(Elm327ProgramSetUp, TheAdaptersKeepAliveHoldsTheSessionBetweenRequests) {
    sim::KwpEcu ecu{sim::KwpScenario::m59()};
    ElmBench bench;
    bench.elm.setEcu(&ecu);
    bench.send("ATE0\rATS0\rATH1\rATSPA5\r");
    EXPECT_NE(bench.exchange("21A0\r").find("BUS INIT: OK\r96F11061A0"), std::string::npos);
    // Twenty seconds of silence from the program: the ECU would drop the link
    // after 5 s without the adapter's own wake-up messages.
    bench.listen(20s);
    const auto answer = bench.exchange("21A0\r");
    EXPECT_EQ(answer.rfind("96F11061A0", 0), 0u) << visible(answer);
}

}  // namespace
}  // namespace dravio::testing
