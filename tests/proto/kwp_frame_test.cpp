#include "proto/kwp_frame.h"

#include <gtest/gtest.h>

#include <tuple>

#include "proto/hex.h"

namespace dravio::proto {
namespace {

TEST(KwpFrameTest, FramesCarryHeaderLengthAndChecksumAndParseBack) {
    const std::tuple<KwpAddressing, std::uint8_t, std::uint8_t, const char*, const char*> cases[] = {
        {KwpAddressing::Physical, 0xF1, 0x10, "C1EF8F", "83F110C1EF8FC3"},
        {KwpAddressing::Physical, 0x10, 0xF1, "2130", "8210F12130D4"},
        {KwpAddressing::Physical, 0x10, 0xF1, "830300FF00FF00", "8710F1830300FF00FF000C"},
        {KwpAddressing::Physical, 0x01, 0x10, "C303", "820110C30359"},
        {KwpAddressing::None, 0, 0, "7E", "017E7F"},
        {KwpAddressing::Functional, 0x33, 0xF1, "81", "C133F18166"}};
    for (const auto& [form, target, source, data, frame] : cases) {
        EXPECT_EQ(toHex(buildKwpFrame(form, target, source, fromHex(data))), frame) << data;
        KwpFrame f;
        ASSERT_EQ(parseKwpFrame(fromHex(frame), f), KwpParse::Ok) << frame;
        EXPECT_EQ(f.addressing, form);
        EXPECT_EQ(f.target, target);
        EXPECT_EQ(f.source, source);
        EXPECT_EQ(toHex(f.data), data);
    }
    // More than 63 data bytes take the length byte.
    const std::vector<std::uint8_t> data(64, 0x20);
    const auto f = buildKwpFrame(KwpAddressing::Physical, 0xF1, 0x10, data);
    ASSERT_EQ(f.size(), 3u + 1 + 64 + 1);
    EXPECT_EQ(f[0], 0x80);
    EXPECT_EQ(f[3], 64);
    KwpFrame parsed;
    ASSERT_EQ(parseKwpFrame(f, parsed), KwpParse::Ok);
    EXPECT_EQ(parsed.data, data);
}

TEST(KwpFrameTest, ParsingChecksHeaderLengthAndSum) {
    const std::pair<const char*, KwpParse> cases[] = {{"8210F12130D5", KwpParse::BadChecksum},
                                                      {"8210F12130", KwpParse::Incomplete},
                                                      {"8210F12130D400", KwpParse::TooLong},
                                                      {"4210F12130D4", KwpParse::BadHeader},  // 0x40 form unused here
                                                      {"8010F100", KwpParse::BadHeader},      // extra length byte of 0
                                                      {"", KwpParse::Incomplete}};
    for (const auto& [frame, expected] : cases) {
        KwpFrame f;
        EXPECT_EQ(parseKwpFrame(fromHex(frame), f), expected) << frame;
    }
}

TEST(KwpFrameTest, AssemblerFindsEveryFrameOfAStreamAndDropsBadOnes) {
    // Two good requests around one with a wrong sum.
    KwpFrameAssembler a;
    std::vector<std::string> frames;
    int bad = 0;
    for (const std::uint8_t b : fromHex("8110F18103"
                                        "8210F12130D5"
                                        "8210F121A044")) {
        const auto status = a.push(b);
        if (status == KwpFrameAssembler::Status::Complete) frames.push_back(toHex(a.frame().data));
        bad += status == KwpFrameAssembler::Status::BadChecksum;
    }
    EXPECT_EQ(frames, (std::vector<std::string>{"81", "21A0"}));
    EXPECT_EQ(bad, 1);
    EXPECT_TRUE(a.empty());
}

}  // namespace
}  // namespace dravio::proto
