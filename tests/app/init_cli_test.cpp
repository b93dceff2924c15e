// dravio-cli init: the initialisation button from the command line, against the
// simulated ECUs, demonstration mode and the bench responder on a pseudo-terminal.
#include <gtest/gtest.h>

#include <string>

#include "responder_process.h"
#include "run_program.h"

namespace dravio {
namespace {

using testing::ProgramRun;
using testing::runProgram;

ProgramRun cli(const std::string& arguments) { return runProgram(std::string(DRAVIO_CLI_PATH) + " " + arguments); }

TEST(CliInit, EveryModelAgainstItsSimulatedEcu) {
    const struct { const char* args; int status; const char* first; const char* second; } cases[] = {
        {"--interface sim --ecu 4 init", 0, "OK", "IAW59M"},
        {"--interface sim:5am --ecu 4 init", 0, "OK", "IAW5A"},
        {"--interface sim --ecu 0 init", 0, "OK", "MM16"},
        {"--interface sim --ecu 1 init", 0, "OK", "MM15"},
        {"--interface sim --ecu 2 init", 0, "OK", "15RC"},
        {"--interface sim --ecu 3 init", 1, "Pas d'initialisation pour ce mod", ""},
        {"--interface demo --ecu 4 init", 0, "OK", "IAW5AMHW010"},
    };
    for (const auto& c : cases) {
        const auto run = cli(c.args);
        EXPECT_EQ(run.status, c.status) << c.args << "\n" << run.out;
        const auto newline = run.out.find('\n');
        EXPECT_EQ(run.out.rfind(c.first, 0), 0u) << c.args << "\n" << run.out;
        if (*c.second != '\0') {
            EXPECT_NE(run.out.find(c.second, newline), std::string::npos) << c.args << "\n" << run.out;
        }
    }
}

TEST(CliInit, TraceAndTrafficShowWhatHappened) {
    const auto run = cli("--interface sim --ecu 4 init --trace --traffic");
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_NE(run.out.find("trace  Init = 0\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("trace  Type init : 0\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find(" T> 81 (10400 bd)"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find(" <E 81 10 F1 81 03 83 F1 10 C1 EF 8F C3"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("-- ligne basse"), std::string::npos) << run.out;
}

TEST(CliInit, UnreachableInterfacesSayWhy) {
    const struct { const char* args; int status; const char* text; } cases[] = {
        {"--interface tty:/dev/dravio-no-such-tty --ecu 4 init", 1, "cannot open /dev/dravio-no-such-tty"},
        {"--interface elm:/dev/dravio-no-such-tty --ecu 4 init", 1, "cannot open /dev/dravio-no-such-tty"},
        {"--interface ftdi:NoSuchCable --ecu 4 init", 1, "cannot open NoSuchCable"},
        {"--interface tty --ecu 4 init", 2, "tty needs a device path"},
        {"--interface bogus --ecu 4 init", 2, "unknown interface"},
        {"--ecu 4 init", 2, "init needs --interface"},
    };
    for (const auto& c : cases) {
        const auto run = cli(c.args);
        EXPECT_EQ(run.status, c.status) << c.args << "\n" << run.out;
        EXPECT_NE(run.out.find(c.text), std::string::npos) << c.args << "\n" << run.out;
    }
}

TEST(CliInit, ThroughTheTtyBackendToTheBenchResponder) {
    testing::ResponderProcess responder({"--model", "59m"});
    ASSERT_EQ(responder.path().rfind("/dev/", 0), 0u);
    const auto run = cli("--interface tty:" + responder.path() + " --ecu 4 init");
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(run.out.rfind("OK\n", 0), 0u) << run.out;
    EXPECT_NE(run.out.find("IAW59M"), std::string::npos) << run.out;
}

TEST(CliInit, ThroughTheElm327PathToTheBenchResponder) {
    testing::ResponderProcess responder({"--model", "5am", "--elm"});
    ASSERT_EQ(responder.path().rfind("/dev/", 0), 0u);
    const auto run = cli("--interface elm:" + responder.path() + " --ecu 4 init --trace");
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_NE(run.out.find("\nOK\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("IAW5A"), std::string::npos) << run.out;
}

}  // namespace
}  // namespace dravio

namespace dravio {
namespace {

TEST(CliLive, PrintsOneLinePerCycleThenClosesTheLink) {
    const auto run = testing::runProgram(std::string(DRAVIO_CLI_PATH) + " --interface sim --ecu 4 live --count 3 --json");
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(run.out.rfind("OK IAW59M", 0), 0u) << run.out;
    std::size_t lines = 0;
    for (std::size_t p = run.out.find("{\"cycle\":"); p != std::string::npos; p = run.out.find("{\"cycle\":", p + 1)) ++lines;
    EXPECT_EQ(lines, 3u) << run.out;
    EXPECT_NE(run.out.find("\"cycle\":3,"), std::string::npos);
    EXPECT_NE(run.out.find("\"TensionVal\":1"), std::string::npos) << run.out;
}

TEST(CliLive, ShownValuesInTextMode) {
    const auto run = testing::runProgram(std::string(DRAVIO_CLI_PATH) + " --interface demo --ecu 4 live --count 2");
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_NE(run.out.find("RMP "), std::string::npos) << run.out;
    EXPECT_NE(run.out.find(" Hz)\n"), std::string::npos) << run.out;
}

}  // namespace
}  // namespace dravio
