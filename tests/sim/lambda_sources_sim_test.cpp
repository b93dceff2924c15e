#include <gtest/gtest.h>

#include "base/hex.h"
#include "sim/dlp_module.h"
#include "sim/mts_stream.h"

namespace dravio::sim {
namespace {

using namespace std::chrono_literals;

TEST(MtsStream, OnePacketEvery81Point92Milliseconds) {
    const Clock::TimePoint origin{};
    MtsStream stream(origin, 1);
    stream.setLambda(0, 1.0f);
    EXPECT_EQ(stream.takeDue(origin + 81ms), "");
    EXPECT_EQ(base::toHex(reinterpret_cast<const std::uint8_t*>(stream.takeDue(origin + 82ms).data()), 6),
              "B28243130374");  // one LC-1: lambda 1.0 at AFR 14.7
    EXPECT_EQ(stream.nextDue(), origin + 2 * MtsStream::kPeriod);
    EXPECT_EQ(stream.takeDue(origin + 500ms).size(), 5u * 6u);  // packets 2..6
}

TEST(MtsStream, SlowReaderGetsOnlyTheNewestPackets) {
    const Clock::TimePoint origin{};
    MtsStream stream(origin, 2);
    EXPECT_EQ(stream.takeDue(origin + 60s).size(), 8u * 10u);
}

TEST(DlpModule, AnswersInTextUntilSwitchedToBinary) {
    const Clock::TimePoint t{};
    DlpModule dlp;
    dlp.setVolts(0, 2.5f);
    dlp.setVolts(1, 7.0f);  // beyond the input range: reads full scale
    dlp.received(t, "Z");
    EXPECT_EQ(dlp.takeDue(t), "");
    EXPECT_EQ(dlp.takeDue(t + DlpModule::kConversion), "2.50V");
    dlp.received(t, "\\ZX");
    EXPECT_EQ(dlp.takeDue(t + 1ms), std::string("\x02\x00\x03\xFF", 4));
}

}  // namespace
}  // namespace dravio::sim
