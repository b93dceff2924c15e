// dravio-cli test, tps-reset, service-reset and immobiliser: the fault and test
// window's procedures on the demonstration line and on the simulated 59M and 5AM
// (whose engine runs, so that it refuses what needs it stopped).
#include <gtest/gtest.h>

#include <string>

#include "run_program.h"

namespace dravio {
namespace {

using testing::ProgramRun;

ProgramRun cli(const std::string& arguments) {
    // The demonstration line waits as the real one does; a loaded machine stretches it.
    return testing::runProgram(std::string(DRAVIO_CLI_PATH) + " " + arguments, 120);
}

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(CliDiag59, ProceduresPrintTheWindowsTextsAndSayWhetherTheEcuAccepted) {
    const struct {
        std::string args;
        std::string expected;
        int status;
        std::string absent = "\x01";  // a line that must not appear
    } cases[] = {
        {"--interface demo --ecu 4 test rev-counter", "Vérifiez que le compte tour monte à 3750 tr/mn.\nTest OK\n", 0},
        {"--interface demo --ecu 4 immobiliser", "\nECU Vierge\n", 0},
        {"--interface demo --ecu 4 --language English immobiliser", "\nVirgin ECU\n", 0},
        // No --yes and no answer on the terminal: the TPS reset is cancelled and nothing sent.
        {"--interface sim:59m --traffic tps-reset", "cancelled: nothing sent\n", 1, "21 57"},
        {"--interface sim:59m test coil1", "Test bobine cylindre horizontal\nTest Echoué: Conditions incorrectes\n", 1},
        {"--interface sim:59m tps-reset --yes", "Reset TPS Error: Le moteur doit être arrêté", 1},
        {"--interface sim:59m service-reset", "the service reset is for the 5AM only\n", 1},
        {"--interface sim:5am service-reset", "Wait 7sec\n", 0},
        {"--interface sim:mm16 immobiliser", "is not available yet", 2},
        {"--interface demo --ecu 4 test horn", "unknown test 'horn'", 2},
    };
    for (const auto& c : cases) {
        const auto run = cli(c.args);
        EXPECT_EQ(run.status, c.status) << c.args << "\n" << run.out;
        EXPECT_TRUE(has(run.out, c.expected)) << c.args << "\n" << run.out;
        EXPECT_FALSE(has(run.out, c.absent)) << c.args << "\n" << run.out;
    }
}

}  // namespace
}  // namespace dravio
