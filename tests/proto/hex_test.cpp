#include "proto/hex.h"

#include <gtest/gtest.h>

namespace dravio::proto {
namespace {

TEST(Hex, ByteToHexGivesTwoUpperCaseDigits) {
    const struct { int value; const char* text; } cases[] = {
        {0, "00"}, {10, "0A"}, {171, "AB"}, {255, "FF"}, {256 + 0x12, "12"}};
    for (const auto& c : cases) EXPECT_EQ(proto::ByteToHex(c.value), c.text) << c.value;
}

TEST(Hex, HexToByteReadsDigitsAndFallsBackToZero) {
    const struct { const char* text; int value; } cases[] = {
        {"00", 0}, {"0a", 10}, {"FF", 255}, {"7f", 127}, {"8", 8},
        {"", 0}, {"G1", 0}, {"1G", 0}, {"-1", 0}, {"123", 0x23}};
    for (const auto& c : cases) EXPECT_EQ(proto::HexToByte(c.text), c.value) << c.text;
}

TEST(Hex, ChecksumWrapsAndCountsALoneDigit) {
    const struct { const char* text; const char* sum; } cases[] = {
        {"", "00"},
        {"8110F181", "03"},
        {"8210F12130", "D4"},
        {"83F110C1EF8F", "C3"},
        {"FF01", "00"},
        {"8", "08"},
        {"01018", "0A"},
        {"871 F183", "FC"},  // blanks around a digit are read as a number would be
    };
    for (const auto& c : cases) EXPECT_EQ(proto::CalculChecksum(c.text), c.sum) << c.text;
}

TEST(Hex, BytesRoundTripThroughText) {
    const std::vector<std::uint8_t> bytes{0x83, 0xF1, 0x10, 0x00, 0x0F};
    EXPECT_EQ(proto::toHex(bytes), "83F110000F");
    EXPECT_EQ(proto::fromHex("83F110000F"), bytes);
    EXPECT_EQ(proto::fromHex("ABC"), (std::vector<std::uint8_t>{0xAB, 0x0C}));
    EXPECT_TRUE(proto::isHexMessage("83f1"));
    EXPECT_FALSE(proto::isHexMessage("83F"));
    EXPECT_FALSE(proto::isHexMessage("8XF1"));
    EXPECT_EQ(proto::spacedHex("83F110"), "83 F1 10");
}

}  // namespace
}  // namespace dravio::proto
