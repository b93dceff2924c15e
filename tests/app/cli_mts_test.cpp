// dravio-cli mts: each argument one read of the port, one line out after each.
#include <gtest/gtest.h>

#include "run_program.h"

namespace dravio::app {
namespace {

TEST(CliMts, OneLinePerReadWithBothChannels) {
    const std::string cli = std::string(DRAVIO_CLI_PATH) + " mts ";
    // Garbage, the test packet cut in two, then a lambda packet.
    const auto run = dravio::testing::runProgram(cli + "0011 B2845313021A53 130210 B284431303744313022C");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "0.00 0.00\n0.00 0.00\n28.20 27.20\n14.70 11.76\n");
    EXPECT_EQ(dravio::testing::runProgram(cli + "B28").status, 2);
    EXPECT_EQ(dravio::testing::runProgram(cli).status, 2);
}

}  // namespace
}  // namespace dravio::app
