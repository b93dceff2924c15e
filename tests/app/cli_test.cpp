// dravio-cli as a script sees it: output and exit status.
#include <gtest/gtest.h>

#include <string>

#include "run_program.h"

namespace {

dravio::testing::ProgramRun runCli(const std::string& arguments) {
    return dravio::testing::runProgram(std::string(DRAVIO_CLI_PATH) + " " + arguments);
}

TEST(Cli, FrameAndChecksumPrintTheLineText) {
    const struct { const char* args; const char* out; } cases[] = {
        {"frame 81", "8110F18103\n"},
        {"frame 2130", "8210F12130D4\n"},
        {"frame --ecu 4 --header 1001 81", "8110018113\n"},
        {"--ecu 4 frame 830300ff00ff00", "8710F1830300FF00FF000C\n"},
        {"frame --ecu 2 0A", "0A\n"},
        {"frame 00", "\n"},
        {"frame --ecu 6 2130", "\n"},
        {"checksum 83F110C1EF8F", "C3\n"},
        {"checksum 8", "08\n"},
        {"checksum FF01", "00\n"},
    };
    for (const auto& c : cases) {
        const auto run = runCli(c.args);
        EXPECT_EQ(run.status, 0) << c.args;
        EXPECT_EQ(run.out, c.out) << c.args;
    }
}

TEST(Cli, SlotsListTheRequestTableOfAModel) {
    const auto run = runCli("slots --ecu 5");
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("ReqDefauts\t17FF00\t15\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("ReqRegime\t010C\t8\n"), std::string::npos);
    EXPECT_NE(run.out.find("ReqLibre\t\t16\n"), std::string::npos);
    const auto model0 = runCli("slots --ecu 0");
    EXPECT_NE(model0.out.find("ReqStartCom\t\t0\n"), std::string::npos) << model0.out;
}

TEST(Cli, BadArgumentsGiveOneLineAndStatusTwo) {
    const char* cases[] = {"", "frame", "frame 8", "frame ZZ", "frame --ecu x 81", "frame --ecu 9 81",
                           "frame --header 10 81", "frame --bogus 81", "checksum", "checksum 8G", "launch",
                           "slots extra", "frame --ecu"};
    for (const char* args : cases) {
        const auto run = runCli(args);
        EXPECT_EQ(run.status, 2) << args;
        if (*args != '\0') {
            EXPECT_EQ(run.out.rfind("dravio-cli: ", 0), 0u) << args << ": " << run.out;
            EXPECT_EQ(run.out.find('\n'), run.out.size() - 1) << args << ": " << run.out;
        }
    }
}

TEST(Cli, HelpSucceeds) {
    const auto run = runCli("--help");
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("frame"), std::string::npos);
}

TEST(Cli, DemonstrationRunsTheRoadOfARequestWithoutACable) {
    const auto run = runCli("demo");
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_NE(run.out.find("trace  E: 8210F12130D4\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("answer 83 F1 10 C1 EF 8F C3\n"), std::string::npos) << run.out;
}

}  // namespace
