#include "proto/kwp_frame.h"

#include <gtest/gtest.h>

#include "proto/hex.h"

namespace dravio::proto {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::string hex(const Bytes& b) { return proto::toHex(b); }

TEST(KwpFrameTest, AnswerFramesCarryHeaderLengthAndChecksum) {
    struct Case {
        KwpAddressing form;
        std::uint8_t target, source;
        std::string data, expected;
    };
    const Case cases[] = {
        {KwpAddressing::Physical, 0xF1, 0x10, "C1EF8F", "83F110C1EF8FC3"},
        {KwpAddressing::Physical, 0x10, 0xF1, "81", "8110F18103"},
        {KwpAddressing::Physical, 0x10, 0xF1, "2130", "8210F12130D4"},
        {KwpAddressing::Physical, 0x10, 0xF1, "830300FF00FF00", "8710F1830300FF00FF000C"},
        {KwpAddressing::Physical, 0x01, 0x10, "C303", "820110C30359"},
        {KwpAddressing::None, 0, 0, "7E", "017E7F"},
        {KwpAddressing::Functional, 0x33, 0xF1, "81", "C133F18166"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(hex(buildKwpFrame(c.form, c.target, c.source, proto::fromHex(c.data))), c.expected) << c.data;
    }
}

TEST(KwpFrameTest, MoreThan63DataBytesUseTheLengthByte) {
    const Bytes data(64, 0x20);
    const Bytes f = buildKwpFrame(KwpAddressing::Physical, 0xF1, 0x10, data);
    ASSERT_EQ(f.size(), 3u + 1 + 64 + 1);
    EXPECT_EQ(f[0], 0x80);
    EXPECT_EQ(f[3], 64);
    KwpFrame parsed;
    ASSERT_EQ(parseKwpFrame(f, parsed), KwpParse::Ok);
    EXPECT_EQ(parsed.data, data);
}

TEST(KwpFrameTest, ParsingChecksHeaderLengthAndSum) {
    struct Case {
        std::string frame;
        KwpParse expected;
    };
    const Case cases[] = {
        {"8210F12130D4", KwpParse::Ok},
        {"8210F12130D5", KwpParse::BadChecksum},
        {"8210F12130", KwpParse::Incomplete},
        {"8210F12130D400", KwpParse::TooLong},
        {"4210F12130D4", KwpParse::BadHeader},   // the 0x40 form is not used on this line
        {"8010F100", KwpParse::BadHeader},       // extra length byte of 0
        {"0221A0C3", KwpParse::Ok},              // no addresses
        {"", KwpParse::Incomplete},
    };
    for (const Case& c : cases) {
        KwpFrame f;
        EXPECT_EQ(parseKwpFrame(proto::fromHex(c.frame), f), c.expected) << c.frame;
    }
}

TEST(KwpFrameTest, ParsedFrameNamesAddressesAndData) {
    KwpFrame f;
    ASSERT_EQ(parseKwpFrame(proto::fromHex("8210F12130D4"), f), KwpParse::Ok);
    EXPECT_EQ(f.addressing, KwpAddressing::Physical);
    EXPECT_EQ(f.target, 0x10);
    EXPECT_EQ(f.source, 0xF1);
    EXPECT_EQ(hex(f.data), "2130");
    ASSERT_EQ(parseKwpFrame(proto::fromHex("C133F18166"), f), KwpParse::Ok);
    EXPECT_EQ(f.addressing, KwpAddressing::Functional);
    EXPECT_EQ(f.target, 0x33);
}

TEST(KwpFrameTest, AssemblerFindsEveryFrameOfAStreamAndDropsBadOnes) {
    // Two good requests around one with a wrong sum.
    const Bytes stream = proto::fromHex("8110F18103" "8210F12130D5" "8210F121A044");
    KwpFrameAssembler a;
    std::vector<std::string> frames;
    int bad = 0;
    for (const std::uint8_t b : stream) {
        switch (a.push(b)) {
        case KwpFrameAssembler::Status::Complete: frames.push_back(hex(a.frame().data)); break;
        case KwpFrameAssembler::Status::BadChecksum: ++bad; break;
        default: break;
        }
    }
    EXPECT_EQ(frames, (std::vector<std::string>{"81", "21A0"}));
    EXPECT_EQ(bad, 1);
    EXPECT_TRUE(a.empty());
}

}  // namespace
}  // namespace dravio::proto
