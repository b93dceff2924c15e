#include "link/trace.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

namespace dravio::link {
namespace {

using namespace std::chrono_literals;

TEST(Trace, ListKeepsTheFirstLineAndTheNewest) {
    base::VirtualClock clock;
    Trace trace{clock};
    int changes = 0;
    trace.setOnChange([&] { ++changes; });
    std::vector<std::string> expected{"ligne 1"};
    for (int i = 1; i <= 40; ++i) trace.EcritTrace("ligne " + std::to_string(i), false);
    for (int i = 32; i <= 40; ++i) expected.push_back("ligne " + std::to_string(i));
    EXPECT_EQ(trace.lines(), expected);
    EXPECT_EQ(changes, 40);
}

TEST(Trace, TimedLinesReachTheFileWithTheStepSinceThePreviousTimedLine) {
    const auto dir =
        std::filesystem::temp_directory_path() / ("dravio-trace-" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(dir);
    base::VirtualClock clock;
    Trace trace{clock};
    ASSERT_TRUE(trace.openFile(dir / "dravio1.log"));
    trace.EcritTrace("Version : Dravio", true);
    clock.advance(1234567us);
    trace.EcritTrace("E: 8110F18103", true);
    clock.advance(20ms);
    trace.EcritTrace("sans temps", false);
    clock.advance(45ms);
    trace.EcritTrace("R: 83F110C1EF8FC3", true);
    trace.closeFile();
    std::stringstream text;
    text << std::ifstream(dir / "dravio1.log").rdbuf();
    EXPECT_EQ(text.str(), "0.000: Version : Dravio\n1.235: E: 8110F18103\n0.065: R: 83F110C1EF8FC3\n");
    EXPECT_EQ(trace.lines().size(), 4u);
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace dravio::link
