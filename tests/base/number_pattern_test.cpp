#include "base/number_pattern.h"

#include <gtest/gtest.h>

#include <limits>

namespace dravio::base {
namespace {

TEST(NumberPattern, GroupedIntegers) {
    struct Case {
        double value;
        int minDigits;
        const char* text;
    };
    const Case cases[] = {
        {1250, 0, "1 250"},   {999, 0, "999"}, {0, 0, ""},       {12345678, 0, "12 345 678"}, {1234.5, 0, "1 235"},
        {-1250, 0, "-1 250"}, {0, 4, "0 000"}, {50, 4, "0 050"}, {12500, 4, "12 500"},        {100000, 4, "100 000"},
    };
    for (const Case& c : cases) EXPECT_EQ(groupedInteger(c.value, c.minDigits), c.text) << c.value;
    EXPECT_EQ(groupedInteger(std::numeric_limits<double>::quiet_NaN(), 4), "");
}

TEST(NumberPattern, PlainIntegersAndDecimals) {
    EXPECT_EQ(plainInteger(1500, 0), "1500");
    EXPECT_EQ(plainInteger(0, 0), "");
    EXPECT_EQ(plainInteger(-20, 0), "-20");
    EXPECT_EQ(plainInteger(7, 3), "007");

    struct Case {
        double value;
        const char* text;
    };
    const Case cases[] = {{0, "0.0"}, {16.875, "16.9"}, {0.25, "0.3"}, {-0.04, "0.0"}, {-2.25, "-2.3"}, {90, "90.0"}};
    for (const Case& c : cases) EXPECT_EQ(fixedDecimals(c.value, 1), c.text) << c.value;
}

}  // namespace
}  // namespace dravio::base
