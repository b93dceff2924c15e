// dravio-cli convert, replay and update, run as a user would.
#include <gtest/gtest.h>

#include "run_program.h"
#include "support/temp_folder.h"

namespace dravio {
namespace {

const std::string kExample = std::string(DRAVIO_SOURCE_DATA_DIR) + "/examples/mes1204 -090507.csv";

TEST(CliTools, ConvertReplayAndUpdateCommands) {
    testing::TempFolder home;
    const std::string env = "HOME='" + home.path().string() + "' XDG_DOCUMENTS_DIR='" + home.path().string() +
                            "/Documents' " + DRAVIO_CLI_PATH + " ";
    const std::string dif = (home / "out.dif").string();
    const std::string xlsx = (home / "out.xlsx").string();
    const struct {
        std::string arguments;
        int status;
        std::string contains;
    } cases[] = {
        {"convert --dif '" + kExample + "' -o '" + dif + "'", 0, "(7 rows, 12 columns)"},
        {"convert --xlsx '" + kExample + "' -o '" + xlsx + "'", 0, "(7 rows)"},
        {"convert --dif", 2, "needs at least one recording"},
        {"convert '" + (home / "none.csv").string() + "' -o '" + dif + ".2'", 1, "cannot read"},
        {"replay --json '" + kExample + "'", 0, "{\"row\":7,\"t\":1.275,\"Regime\":1380,\"Papillon\":2.2,"},
        {"replay '" + kExample + "'", 0, "RMP 1 840  Gaz 8.7  Inj 3.10"},
        {"replay '" + (home / "none.csv").string() + "'", 1, "cannot read"},
        {"update --check --server http://127.0.0.1:1/", 0, "listes.ini"},
        {"update", 2, "--check or --install"},
    };
    for (const auto& c : cases) {
        const auto run = testing::runProgram(env + c.arguments);
        EXPECT_EQ(run.status, c.status) << c.arguments << "\n" << run.out;
        EXPECT_NE(run.out.find(c.contains), std::string::npos) << c.arguments << "\n" << run.out;
    }
    EXPECT_EQ(testing::readBytes(dif).substr(0, 7), "TABLE\r\n");
    EXPECT_EQ(testing::readBytes(xlsx).substr(0, 2), "PK");
    // No server: no message, no question.
    const auto quiet = testing::runProgram(env + "update --check --server http://127.0.0.1:1/");
    EXPECT_EQ(quiet.out.find("Update:"), std::string::npos) << quiet.out;
}

}  // namespace
}  // namespace dravio
