// dravio-cli as a script sees it: output and exit status.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "responder_process.h"
#include "run_program.h"

namespace dravio {
namespace {

using testing::ProgramRun;

ProgramRun cli(const std::string& arguments) {
    return testing::runProgram(std::string(DRAVIO_CLI_PATH) + " " + arguments);
}
ProgramRun responder(const std::string& arguments) {
    return testing::runProgram(testing::responderPath() + " " + arguments);
}
bool oneLine(const std::string& text, const std::string& prefix) {
    return text.rfind(prefix, 0) == 0 && text.find('\n') == text.size() - 1;
}
std::size_t count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (auto p = text.find(what); p != std::string::npos; p = text.find(what, p + 1)) ++n;
    return n;
}

TEST(Cli, OfflineCommandsPrintWhatTheCoreComputes) {
    const std::string longest(126, 'A');
    const struct {
        std::string args;
        std::string out;
    } cases[] = {
        {"frame 81", "8110F18103\n"},
        {"frame --ecu 4 --header 1001 81", "8110018113\n"},
        {"--ecu 59m frame 830300ff00ff00", "8710F1830300FF00FF000C\n"},
        {"frame --ecu 15rc 0A", "0A\n"},
        {"frame 00", "\n"},
        {"frame " + longest, "BF10F1" + longest + "96\n"},
        {"checksum 83F110C1EF8F", "C3\n"},
        {"checksum 8", "08\n"},
        {"models", "0 MM16 mm16\n1 MM15 mm15\n2 15RC 15rc\n3 P8 p8\n4 M59/M5A 59m\n5 OBD-II obd\n"},
    };
    for (const auto& c : cases) {
        const auto run = cli(c.args);
        EXPECT_EQ(run.status, 0) << c.args;
        EXPECT_EQ(run.out, c.out) << c.args;
    }
    const auto slots = cli("slots --ecu obd");
    EXPECT_NE(slots.out.find("ReqDefauts\t17FF00\t15\n"), std::string::npos) << slots.out;
    EXPECT_NE(cli("slots --ecu 0").out.find("ReqStartCom\t\t0\n"), std::string::npos);
    const auto demo = cli("demo");
    EXPECT_NE(demo.out.find("trace  E: 8210F12130D4\n"), std::string::npos) << demo.out;
    EXPECT_NE(demo.out.find("answer 83 F1 10 C1 EF 8F C3\n"), std::string::npos) << demo.out;
}

TEST(Cli, BadArgumentsGiveOneLineAndStatusTwo) {
    const std::string tooLong(128, 'A');
    const std::string cases[] = {"frame", "frame 8", "frame ZZ", "frame --ecu x 81", "frame --ecu 6 81",
                                 "frame --ecu 7 81", "frame --header 10 81", "frame --bogus 81", "frame " + tooLong,
                                 "frame --ecu 4 --ecu 4 81", "checksum 8G", "launch", "slots extra",
                                 "exchange 81",  // no interface
                                 "--interface sim exchange", "--interface sim exchange 8",
                                 "--interface sim exchange 81 --timeout 0", "--interface usb exchange 81",
                                 "--interface tty: exchange 81", "--interface sim:m99 exchange 81",
                                 "--interface sim --ecu 7 init", "--interface sim frame 81", "--interface bogus init",
                                 "init"};
    for (const auto& args : cases) {
        const auto run = cli(args);
        EXPECT_EQ(run.status, 2) << args;
        EXPECT_TRUE(oneLine(run.out, "dravio-cli: ")) << args << ": " << run.out;
    }
    EXPECT_EQ(cli("--help").status, 0);
}

TEST(CliLink, ExchangeSendsEveryRequestInOneSession) {
    const struct {
        const char* args;
        const char* out;
    } cases[] = {
        {"--interface sim exchange 81", "83F110C1EF8FC3\n"},  // length 7 from the request table
        {"--interface sim exchange 81 3e", "83F110C1EF8FC3\n81F1107E00\n"},
        {"--interface sim --length 3 exchange 81", "83F110\n"},  // cut to the length asked
        {"--interface sim:obd exchange 81", "83F110C1EF8FC3\n"},
        {"--interface sim exchange A5 --timeout 200", "83F1107FA511B9\n"},  // a negative answer is an answer
        {"--interface demo --demo-answer 83f110c1ef8fc3 exchange 81", "83F110C1EF8FC3\n"},
    };
    for (const auto& c : cases) {
        const auto run = cli(c.args);
        EXPECT_EQ(run.status, 0) << c.args << ": " << run.out;
        EXPECT_EQ(run.out, c.out) << c.args;
    }
    // Without --init only the requests go on the line: no wake-up, no closing requests.
    const auto quiet = cli("--interface sim --traffic exchange 3e");
    EXPECT_EQ(count(quiet.out, " T> "), 5U) << quiet.out;  // 81 10 F1 3E C0, one line a byte
    EXPECT_EQ(quiet.out.find("ligne basse"), std::string::npos) << quiet.out;
    EXPECT_EQ(quiet.out.find("T> 82 10 F1 82"), std::string::npos) << quiet.out;
}

TEST(CliLink, InitSaysWhatTheEcuAnsweredForEveryModel) {
    const struct {
        const char* args;
        int status;
        const char* first;
        const char* second;
    } cases[] = {
        {"--interface sim init", 0, "OK", "IAW59M"},
        {"--interface sim:5am init", 0, "OK", "IAW5A"},
        {"--interface sim:mm16 init", 0, "OK", "MM16"},
        {"--interface sim:mm15 init", 0, "OK", "MM15"},
        {"--interface sim:15rc init", 0, "OK", "15RC"},
        {"--interface sim:p8 init", 1, "Pas d'initialisation pour ce mod", ""},
        {"--interface demo --ecu 4 init", 0, "OK", "IAW5AMHW010"},
        {"--interface tty:/dev/dravio-no-such-tty init", 1, "dravio-cli: cannot open /dev/dravio-no-such-tty", ""},
        {"--interface elm:/dev/dravio-no-such-tty init", 1, "dravio-cli: cannot open /dev/dravio-no-such-tty", ""},
    };
    for (const auto& c : cases) {
        const auto run = cli(c.args);
        EXPECT_EQ(run.status, c.status) << c.args << "\n" << run.out;
        EXPECT_NE(run.out.find(c.first), std::string::npos) << c.args << "\n" << run.out;
        EXPECT_NE(run.out.find(c.second), std::string::npos) << c.args << "\n" << run.out;
    }
    const auto traced = cli("--interface sim init --trace --traffic");
    EXPECT_NE(traced.out.find("trace  Type init : 0\n"), std::string::npos) << traced.out;
    EXPECT_NE(traced.out.find(" <E 81 10 F1 81 03 83 F1 10 C1 EF 8F C3 (10400 bd)"), std::string::npos);
    EXPECT_EQ(traced.out.find("(0 bd)"), std::string::npos) << traced.out;
    EXPECT_NE(traced.out.find("attempt 1 of 40\n"), std::string::npos) << traced.out;
    // The one-byte start asks the rider, on standard error.
    const auto keyed = cli("--interface sim:mm15 init");
    EXPECT_NE(keyed.out.find("Turn KEY ON after check OK"), std::string::npos) << keyed.out;
}

TEST(CliLink, LivePrintsOneLinePerCycleThenClosesTheLink) {
    const auto run = cli("--interface sim live --count 3 --json");
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_NE(run.out.find("OK\nIAW59M"), std::string::npos) << run.out;
    EXPECT_EQ(count(run.out, "{\"cycle\":"), 3U) << run.out;
    EXPECT_NE(run.out.find("\"cycle\":3,"), std::string::npos);
    const auto shown = cli("--interface demo --ecu 4 live --count 2");
    EXPECT_EQ(count(shown.out, " Hz)\n"), 2U) << shown.out;
}

TEST(CliLink, IdentifyAndFaultCodesAsTheWindowsShowThem) {
    const auto id = cli("--interface demo --ecu 4 identify");
    EXPECT_EQ(id.status, 0) << id.out;
    EXPECT_NE(id.out.find("Ducati Number : 28640751A  \nMarelli Number : IAW59MHW010\nHard Version : 0\n"
                          "Soft Number : 0130DC27   \nSoft Version : 0000\nApproval number : 59MA3 \n"
                          "Repair Shop : TLC       \nProgramming Date : 20030828\n"),
              std::string::npos)
        << id.out;
    const auto dtc = cli("--interface demo --ecu 4 --language English dtc --json");
    EXPECT_NE(dtc.out.find("\"n\":1,\"of\":2,\"code\":\"P0201\",\"text\":\"Injector Circuit Malfunction"),
              std::string::npos)
        << dtc.out;
    EXPECT_NE(dtc.out.find("\"n\":2,\"of\":2,\"code\":\"U1600\""), std::string::npos) << dtc.out;
    const auto rows = cli("--interface demo --ecu mm16 dtc --json --yes");
    EXPECT_NE(rows.out.find(R"({"rows":["03","03","03","48","03","03","03"])"), std::string::npos) << rows.out;
    EXPECT_EQ(cli("--interface sim:p8 dtc").status, 2);
}

TEST(CliLink, OneByteTestsAndTheTrimmerChange) {
    const struct {
        std::string args;
        int status;
        std::string tail;  // how the output ends
    } cases[] = {
        {"--interface demo --ecu mm15 test pump --yes", 0,
         "Test Pompe (30s): Terminé\nMode Diag | Prêt\nCommande lancée | Test en cours\nTest OK | Test terminé\n"
         "Fin du mode diag | Confirmé\noutcome: passed (FF)\n"},
        // The simulated engine runs: the ECU is not put in its diagnostic mode.
        {"--interface sim:mm16 test coil2 --yes", 1, "! Le moteur doit être arrété\noutcome: engine-running\n"},
        {"--interface demo --ecu mm15 trim15 --read --yes", 0, "Regime 360 | Papillon 1.5 | Tension 5.0 | Trimmer 1\n"},
        {"--interface demo --ecu 15rc trim15 --set -111 --yes", 0,
         "start: ready\nbefore: -113\nreached: -111\nsaved: yes\nsave echoed: yes, yes\nread back: -113\n"},
        {"--interface demo --ecu mm15 --language English test injector1 --json --yes", 0,
         R"("lenvoie":["Diagnostic mode","Command sent","Test OK","End of diagnostic mode"],)"},
    };
    for (const auto& c : cases) {
        const auto run = cli(c.args);
        EXPECT_EQ(run.status, c.status) << c.args;
        ASSERT_GE(run.out.size(), c.tail.size()) << run.out;
        if (c.tail.front() == '"') {
            EXPECT_NE(run.out.find(c.tail), std::string::npos) << run.out;
        } else {
            EXPECT_EQ(run.out.substr(run.out.size() - c.tail.size()), c.tail) << c.args;
        }
    }
    for (const char* bad : {"--interface demo --ecu mm15 test horn", "--interface demo --ecu p8 test pump",
                            "--interface demo --ecu mm16 trim15 --read", "--interface demo --ecu mm15 trim15 --set 127",
                            "--interface demo --ecu mm15 trim15"}) {
        EXPECT_EQ(cli(bad).status, 2) << bad;
    }
}

TEST(CliLink, ThroughTheBenchResponderOnAPseudoTerminal) {
    testing::ResponderProcess kwp({"--model", "59m"});
    ASSERT_EQ(kwp.path().rfind("/dev/", 0), 0U);
    const auto both = cli("--interface tty:" + kwp.path() + " --ecu 4 exchange --init 1A80 21A0");
    EXPECT_EQ(both.status, 0) << both.out;
    EXPECT_NE(both.out.find("\nBFF1105A80"), std::string::npos) << both.out;  // 67 bytes: 0x80 + 63 data bytes
    EXPECT_NE(both.out.find("\n96F11061A0"), std::string::npos) << both.out;

    testing::ResponderProcess oneByte({"--model", "mm16"});
    const auto mm16 = cli("--interface tty:" + oneByte.path() + " --ecu 0 init --yes");
    EXPECT_EQ(mm16.status, 0) << mm16.out;
    EXPECT_NE(mm16.out.find("OK\nMM16\n"), std::string::npos) << mm16.out;

    testing::ResponderProcess elm({"--model", "5am", "--elm"});
    const auto adapter = cli("--interface elm:" + elm.path() + " init");
    EXPECT_EQ(adapter.status, 0) << adapter.out;
    EXPECT_NE(adapter.out.find("IAW5A"), std::string::npos) << adapter.out;
}

TEST(ResponderArguments, HelpAndBadArguments) {
    EXPECT_EQ(responder("--help").status, 0);
    for (const char* args : {"", "--pty --device /dev/ttyUSB0", "--pty --model 99x", "--pty --bogus", "--device"}) {
        const auto run = responder(args);
        EXPECT_EQ(run.status, 2) << args << ": " << run.out;
        EXPECT_TRUE(oneLine(run.out, "dravio-responder: ")) << args << ": " << run.out;
    }
    EXPECT_EQ(responder("--device /dev/dravio-no-such-device --log /dev/null").status, 1);
}

}  // namespace
}  // namespace dravio
