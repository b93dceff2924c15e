// dravio-cli mts: reads in, one line per read out.
#include "app/cli_mts.h"

#include <gtest/gtest.h>

#include "app/cli_args.h"
#include "run_program.h"

namespace dravio::app {
namespace {

TEST(CliMts, OneLinePerReadWithBothChannels) {
    // Garbage, then the test packet cut in two, then a lambda packet.
    EXPECT_EQ(mtsLines({"0011", "B2845313021A53", "130210", "B284431303744313022C"}),
              (std::vector<std::string>{"0.00 0.00", "0.00 0.00", "28.20 27.20", "14.70 11.76"}));
}

TEST(CliMts, BadArgumentsAreUsageErrors) {
    EXPECT_THROW(mtsLines({}), UsageError);
    EXPECT_THROW(mtsLines({"B28"}), UsageError);
    EXPECT_THROW(mtsLines({"B2", "ZZ"}), UsageError);
}

TEST(CliMts, ProgramPrintsTheLines) {
    const auto result = dravio::testing::runProgram(std::string(DRAVIO_CLI_PATH) + " mts B2845313021A53130210");
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "28.20 27.20\n");
}

}  // namespace
}  // namespace dravio::app
