#include "proto/hex.h"

#include <gtest/gtest.h>

namespace dravio::proto {
namespace {

TEST(Hex, BytesAndTextBothWays) {
    for (const auto& [value, text] : {std::pair{0, "00"}, {10, "0A"}, {255, "FF"}, {256 + 0x12, "12"}})
        EXPECT_EQ(ByteToHex(value), text) << value;
    const std::pair<const char*, int> cases[] = {{"0a", 10}, {"FF", 255}, {"8", 8},  {"", 0},
                                                 {"G1", 0},  {"1G", 0},   {"-1", 0}, {"123", 0x23}};
    for (const auto& [text, value] : cases) EXPECT_EQ(HexToByte(text), value) << text;
    const std::vector<std::uint8_t> bytes{0x83, 0xF1, 0x10, 0x00, 0x0F};
    EXPECT_EQ(toHex(bytes), "83F110000F");
    EXPECT_EQ(fromHex("83F110000F"), bytes);
    EXPECT_EQ(fromHex("ABC"), (std::vector<std::uint8_t>{0xAB, 0x0C}));
    EXPECT_TRUE(isHexMessage("83f1"));
    EXPECT_FALSE(isHexMessage("83F"));
    EXPECT_FALSE(isHexMessage("8XF1"));
    EXPECT_EQ(spacedHex("83F110"), "83 F1 10");
}

TEST(Hex, ChecksumWrapsAndCountsALoneDigit) {
    const std::pair<const char*, const char*> cases[] = {
        {"", "00"},  {"8110F181", "03"}, {"83F110C1EF8F", "C3"}, {"FF01", "00"},
        {"8", "08"}, {"01018", "0A"},    {"871 F183", "FC"}  // blanks around a digit are read as a number would be
    };
    for (const auto& [text, sum] : cases) EXPECT_EQ(CalculChecksum(text), sum) << text;
}

}  // namespace
}  // namespace dravio::proto
