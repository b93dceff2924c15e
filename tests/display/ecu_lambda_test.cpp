#include "display/ecu_lambda.h"

#include <gtest/gtest.h>

#include <string>

namespace dravio::display {
namespace {

TEST(GetLambda, AnswersAndTheirLambdaWord) {
    const struct {
        bool iaw5a;
        std::string answer, asked;
        std::uint16_t lambda;
    } cases[] = {
        {true, "84F11061450123D9", "2145/84F1106147999909/800", 0x0123},  // two bytes after F110 6145
        {true, "0084F1106145FFFE00", "2145/84F1106147999909/800", 0xFFFE},
        {true, "84F110614501", "2145/84F1106147999909/800", 0},  // cut short
        {true, "", "2145/84F1106147999909/800", 0},              // nothing came
        {false, "84F11061450123D9", "", 0},                      // not a 5AM: not asked
    };
    for (const auto& c : cases) {
        std::string asked;
        double waited = 0;
        const auto exchange = [&](std::string_view req, std::string_view demo, std::int16_t, std::int16_t ms) {
            asked = std::string(req) + "/" + std::string(demo) + "/" + std::to_string(ms);
            return c.answer;
        };
        EXPECT_EQ(GetLambda(c.iaw5a, exchange, [&](double s) { waited += s; }), c.lambda) << c.answer;
        EXPECT_EQ(asked, c.asked);
        EXPECT_DOUBLE_EQ(waited, c.iaw5a ? 0.06 : 0.0);
    }
}

}  // namespace
}  // namespace dravio::display
