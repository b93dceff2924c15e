#include "display/mts_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "proto/hex.h"

namespace dravio::display {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Shown = std::pair<std::string, std::string>;
const Shown kTestPacketShows{"28.20", "27.20"};  // the two warm-up percentages

Bytes hex(const std::string& text) { return proto::fromHex(text); }

Shown feed(const std::vector<Bytes>& reads) {
    MtsReader reader;
    for (const Bytes& read : reads) reader.LectureMTS(read);
    return {reader.afr1Text(), reader.afr2Text()};
}

TEST(MtsReader, TestPacketShowsTheTwoWarmUpPercentages) {
    MtsReader reader;
    reader.LectureMTS(hex(kMtsTestPacket));
    EXPECT_EQ((Shown{reader.afr1Text(), reader.afr2Text()}), kTestPacketShows);
    EXPECT_EQ(reader.MTSCompteur, 2);
    EXPECT_EQ(reader.buffered(), 0);
}

// One sub-packet per function code (lambda word 500 unless said), in both forms of its first word.
TEST(MtsReader, FunctionCodes) {
    const std::pair<const char*, float> cases[] = {
        {"43130374", 14.7f},  {"81130374", 14.7f}, {"4313022C", 11.76f},  // F0: lambda 1.0, other form, 0.8
        {"47130374", 50.0f},  {"4B130374", 1.0f},  {"4F130374", 1.0f},    // O2 level, free-air, calibration
        {"53130374", 50.0f},  {"57130374", 500.f}, {"5B130009", 9.0f},    // warming, heater, error code 9
        {"5F130374", 50.0f},                                             // reserved
    };
    for (const auto& [subPacket, expected] : cases) {
        MtsReader reader;
        reader.LectureMTS(hex(std::string("B282") + subPacket));
        EXPECT_NEAR(reader.AFR1, expected, 0.01f) << subPacket;
    }
}

TEST(MtsReader, PacketsOfEveryShape) {
    const struct {
        std::vector<std::string> reads;
        Shown shown;
    } cases[] = {
        // Length 7: lambda, auxiliary word, lambda, lambda; the third goes to AFR1 again.
        {{"B287431303740123" "4313025C43130768"}, {"22.05", "12.47"}},
        {{"A2845313021A53130210"}, {"0.00", "0.00"}},                  // bit 4 of the header clear: not data
        {{"A2845313021A53130210", kMtsTestPacket}, kTestPacketShows},  // and the stream goes on
        {{kMtsTestPacket, "B28243130374"}, {"14.70", "27.20"}},        // a shorter packet alone in its read
        {{"B3FD", kMtsTestPacket}, kTestPacketShows},  // 253 words announced: more than the ring holds
    };
    for (const auto& c : cases) {
        std::vector<Bytes> reads;
        for (const auto& r : c.reads) reads.push_back(hex(r));
        EXPECT_EQ(feed(reads), c.shown) << c.reads.front();
    }
}

TEST(MtsReader, GarbageBeforeAHeaderIsDroppedOneByteAtATime) {
    MtsReader reader;
    // 0xB2 0x05 is no header (second byte lacks bit 7); 0xB2 0x84 that follows is.
    reader.LectureMTS(hex("0011B2"));
    EXPECT_EQ(reader.buffered(), 1);  // the lone 0xB2 may still start a header
    reader.LectureMTS(hex("05"));
    EXPECT_EQ(reader.buffered(), 1);  // 0xB2 dropped, 0x05 waits for a partner
    reader.LectureMTS(hex(kMtsTestPacket));
    EXPECT_EQ((Shown{reader.afr1Text(), reader.afr2Text()}), kTestPacketShows);
}

TEST(MtsReader, EverySplitOfAStreamDecodesTheSame) {
    const Bytes bytes = hex(std::string("00117F20") + kMtsTestPacket + kMtsTestPacket + kMtsTestPacket);
    const auto part = [&](std::size_t from, std::size_t to) {
        return Bytes(bytes.begin() + static_cast<long>(from),
                     bytes.begin() + static_cast<long>(std::min(to, bytes.size())));
    };
    for (std::size_t cut = 0; cut <= bytes.size(); ++cut)
        EXPECT_EQ(feed({part(0, cut), part(cut, bytes.size())}), kTestPacketShows) << "cut at " << cut;
    for (std::size_t size = 1; size <= bytes.size(); ++size) {
        std::vector<Bytes> reads;
        for (std::size_t at = 0; at < bytes.size(); at += size) reads.push_back(part(at, at + size));
        EXPECT_EQ(feed(reads), kTestPacketShows) << "chunks of " << size;
    }
}

}  // namespace
}  // namespace dravio::display
