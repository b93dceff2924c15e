#include "ports/serial_settings.h"

#include <gtest/gtest.h>

#include <sstream>

namespace dravio::ports {
namespace {

TEST(LineSettings, ReadsTheClassicText) {
    const struct {
        const char* text;
        LineSettings expected;
    } cases[] = {
        {"9600,N,8,1", {9600, Parity::None, 8, 1}},         {"1200,e,7,2", {1200, Parity::Even, 7, 2}},
        {"10400,O,8,1", {10400, Parity::Odd, 8, 1}},        {"115200,E,8,2", {115200, Parity::Even, 8, 2}},
        {"4000000,n,8,1", {4'000'000, Parity::None, 8, 1}}, {"00300,n,8,1", {300, Parity::None, 8, 1}},
    };
    for (const auto& c : cases) {
        const auto parsed = parseLineSettings(c.text);
        ASSERT_TRUE(parsed) << c.text;
        EXPECT_EQ(*parsed, c.expected) << c.text;
    }
}

TEST(LineSettings, RefusesAnythingElse) {
    // One refused text between bars each, the empty text first.
    std::istringstream refused(
        "|38400|38400,n,8|38400,n,8,1,|,38400,n,8,1|38400,,8,1|38400,x,8,1|38400,nn,8,1|38400,m,8,1|38400,n,9,1"
        "|38400,n,6,1|38400,n,8,3|38400,n,8,0|38400,n,8,1.5|0,n,8,1|-9600,n,8,1|+9600,n,8,1|4000001,n,8,1"
        "|99999999999,n,8,1|abc,n,8,1|38400, n,8,1| 38400,n,8,1|38400,n,8,1 |38400;n;8;1|0x9600,n,8,1");
    int count = 0;
    for (std::string text; std::getline(refused, text, '|'); ++count) {
        EXPECT_FALSE(parseLineSettings(text)) << '"' << text << '"';
    }
    EXPECT_EQ(count, 25);
}

}  // namespace
}  // namespace dravio::ports
