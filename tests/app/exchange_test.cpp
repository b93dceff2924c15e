// dravio-cli exchange and dravio-responder's arguments, as a script sees them.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "run_program.h"

namespace {

using Run = dravio::testing::ProgramRun;

Run run(const std::string& program, const std::string& arguments) {
    return dravio::testing::runProgram(program + " " + arguments + " </dev/null");
}

Run cli(const std::string& arguments) { return run(DRAVIO_CLI_PATH, arguments); }
Run responder(const std::string& arguments) {
    return run((std::filesystem::path(DRAVIO_CLI_PATH).parent_path() / "dravio-responder").string(), arguments);
}

bool oneLine(const std::string& text, const std::string& prefix) {
    return text.rfind(prefix, 0) == 0 && text.find('\n') == text.size() - 1;
}

TEST(CliExchange, AnswersFromTheSimulatedEcus) {
    const struct {
        const char* args;
        const char* out;
    } cases[] = {
        {"--interface sim exchange 81", "83F110C1EF8FC3\n"},            // length 7 from the request table
        {"--interface sim --ecu 4 exchange 81 7 600", "83F110C1EF8FC3\n"},
        {"exchange 3e --interface sim:59m", "81F1107E00\n"},              // lower case taken, table length 5
        {"--interface sim exchange 81 3", "83F110\n"},                    // cut to LENGTH bytes
        {"--interface sim --ecu 5 exchange 81", "83F110C1EF8FC3\n"},     // the OBD model
        {"--interface sim exchange A5 7 200", "83F1107FA511B9\n"},       // a negative answer is an answer
        {"--interface sim --ecu 3 exchange 81", "\n"},                    // a P8 does not speak KWP2000
        {"--interface demo --demo-answer 83f110c1ef8fc3 exchange 81", "83F110C1EF8FC3\n"},
        {"--interface demo exchange 81", "\n"},
    };
    for (const auto& c : cases) {
        const auto r = cli(c.args);
        EXPECT_EQ(r.status, 0) << c.args << ": " << r.out;
        EXPECT_EQ(r.out, c.out) << c.args;
    }
}

TEST(CliExchange, BadArgumentsGiveOneLineAndStatusTwo) {
    const char* cases[] = {"exchange 81",  // no interface
                           "--interface sim exchange",
                           "--interface sim exchange 8",
                           "--interface sim exchange ZZ",
                           "--interface sim exchange 81 x",
                           "--interface sim exchange 81 7 0",
                           "--interface sim exchange 81 7 600 9",
                           "--interface usb exchange 81",
                           "--interface tty: exchange 81",
                           "--interface sim:m99 exchange 81",
                           "--interface sim --ecu 7 exchange 81",
                           "--interface sim frame 81"};
    for (const char* args : cases) {
        const auto r = cli(args);
        EXPECT_EQ(r.status, 2) << args << ": " << r.out;
        EXPECT_TRUE(oneLine(r.out, "dravio-cli: ")) << args << ": " << r.out;
    }
}

TEST(CliExchange, AnInterfaceThatCannotBeOpenedGivesStatusOne) {
    const auto r = cli("--interface tty:/dev/dravio-no-such-device exchange 81");
    EXPECT_EQ(r.status, 1) << r.out;
    EXPECT_TRUE(oneLine(r.out, "dravio-cli: ")) << r.out;
    EXPECT_NE(r.out.find("/dev/dravio-no-such-device"), std::string::npos) << r.out;
}

TEST(ResponderArguments, HelpAndBadArguments) {
    const auto help = responder("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--pty"), std::string::npos);
    const char* bad[] = {"", "--pty --device /dev/ttyUSB0", "--pty --model 99x", "--pty --bogus", "--device",
                         "--pty --clone"};
    for (const char* args : bad) {
        const auto r = responder(args);
        EXPECT_EQ(r.status, 2) << args << ": " << r.out;
        EXPECT_TRUE(oneLine(r.out, "dravio-responder: ")) << args << ": " << r.out;
    }
    const auto missing = responder("--device /dev/dravio-no-such-device --log /dev/null");
    EXPECT_EQ(missing.status, 1) << missing.out;
    EXPECT_TRUE(oneLine(missing.out, "dravio-responder: ")) << missing.out;
}

}  // namespace
