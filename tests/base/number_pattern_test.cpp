#include "base/number_pattern.h"

#include <gtest/gtest.h>

#include <limits>

namespace dravio::base {
namespace {

// The everyday texts are checked by the displays that use them; these are the edges.
TEST(NumberPattern, ZeroNegativeNanAndPaddingEdges) {
    EXPECT_EQ(groupedInteger(0, 0) + "|" + groupedInteger(0, 4) + "|" + groupedInteger(50, 4), "|0 000|0 050");
    EXPECT_EQ(groupedInteger(-1250, 0) + "|" + groupedInteger(12345678, 0), "-1 250|12 345 678");
    EXPECT_EQ(groupedInteger(std::numeric_limits<double>::quiet_NaN(), 4), "");
    EXPECT_EQ(plainInteger(0, 0) + "|" + plainInteger(7, 3) + "|" + plainInteger(-20, 0), "|007|-20");
    EXPECT_EQ(fixedDecimals(-0.04, 1) + "|" + fixedDecimals(0.25, 1) + "|" + fixedDecimals(-2.25, 1), "0.0|0.3|-2.3");
}

}  // namespace
}  // namespace dravio::base
