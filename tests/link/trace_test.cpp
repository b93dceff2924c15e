#include "link/trace.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "base/clock.h"

namespace dravio::link {
namespace {

using namespace std::chrono_literals;

class TraceTest : public ::testing::Test {
protected:
    TraceTest() {
        dir = std::filesystem::temp_directory_path() /
              ("dravio-trace-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::create_directories(dir);
    }
    ~TraceTest() override { std::filesystem::remove_all(dir); }

    std::string fileText() const {
        std::ifstream in(dir / "dravio1.log");
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    base::VirtualClock clock;
    Trace trace{clock};
    std::filesystem::path dir;
};

TEST_F(TraceTest, ListKeepsTheFirstLineAndTheNewestNine) {
    for (int i = 1; i <= 11; ++i) trace.EcritTrace("ligne " + std::to_string(i), false);
    std::vector<std::string> expected{"ligne 1"};
    for (int i = 3; i <= 11; ++i) expected.push_back("ligne " + std::to_string(i));
    EXPECT_EQ(trace.lines(), expected);

    for (int i = 12; i <= 40; ++i) trace.EcritTrace("ligne " + std::to_string(i), false);
    ASSERT_EQ(trace.lines().size(), Trace::kListLines);
    EXPECT_EQ(trace.lines().front(), "ligne 1");
    EXPECT_EQ(trace.lines()[1], "ligne 32");
    EXPECT_EQ(trace.lines().back(), "ligne 40");
}

TEST_F(TraceTest, TimedLinesCarryTheStepSinceThePreviousTimedLine) {
    ASSERT_TRUE(trace.openFile(dir / "dravio1.log"));
    trace.EcritTrace("Version : Dravio", true);
    clock.advance(1234567us);
    trace.EcritTrace("E: 8110F18103", true);
    clock.advance(20ms);
    trace.EcritTrace("sans temps", false);
    clock.advance(45ms);
    trace.EcritTrace("R: 83F110C1EF8FC3", true);
    EXPECT_EQ(fileText(), "0.000: Version : Dravio\n1.235: E: 8110F18103\n0.065: R: 83F110C1EF8FC3\n");
    EXPECT_EQ(trace.lines().size(), 4u);
}

TEST_F(TraceTest, UntimedLinesNeverReachTheFile) {
    ASSERT_TRUE(trace.openFile(dir / "dravio1.log"));
    trace.EcritTrace("Nack : 11 - 12 subfunction not supported", false);
    EXPECT_EQ(fileText(), "");
    EXPECT_EQ(trace.lines(), (std::vector<std::string>{"Nack : 11 - 12 subfunction not supported"}));
}

TEST_F(TraceTest, MissingFileLandsInTheListAndTheCallerCarriesOn) {
    trace.EcritTrace("E: 81", true);
    ASSERT_EQ(trace.lines().size(), 2u);
    EXPECT_NE(trace.lines()[0].find("E: 81"), std::string::npos);
    EXPECT_NE(trace.lines()[0], "E: 81");
    EXPECT_EQ(trace.lines()[1], "E: 81");
    // However many failures, the list stays bounded.
    for (int i = 0; i < 50; ++i) trace.EcritTrace("x", true);
    EXPECT_EQ(trace.lines().size(), Trace::kListLines);
}

TEST_F(TraceTest, ObserversSeeEveryLine) {
    std::vector<std::string> seen;
    int changes = 0;
    trace.setOnLine([&](std::string_view line) { seen.emplace_back(line); });
    trace.setOnChange([&] { ++changes; });
    trace.EcritTrace("a", false);
    trace.EcritTrace("b", false);
    EXPECT_EQ(seen, (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(changes, 2);
}

TEST(TraceStep, ThreeDecimalsRounded) {
    const struct { double seconds; const char* text; } cases[] = {
        {0.0, "0.000"}, {0.0004, "0.000"}, {0.0006, "0.001"}, {1.2345678, "1.235"}, {62.5, "62.500"}};
    for (const auto& c : cases) EXPECT_EQ(formatTraceStep(c.seconds), c.text) << c.seconds;
}

}  // namespace
}  // namespace dravio::link
