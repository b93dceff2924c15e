#include "display/ecu_lambda.h"

#include <gtest/gtest.h>

#include <string>

namespace dravio::display {
namespace {

TEST(GetLambda, AnswersAndTheirLambdaWord) {
    const struct {
        std::string answer;
        std::uint16_t lambda;
    } cases[] = {
        {"84F11061450123D9", 0x0123},  // the two bytes after F110 6145
        {"0084F1106145FFFE00", 0xFFFE},
        {"84F110614501", 0},  // cut short
        {"83F1107F2112", 0},  // refused
        {"", 0},              // nothing came
    };
    for (const auto& c : cases) {
        std::string asked;
        double waited = 0;
        const auto lambda = GetLambda(
            true,
            [&](std::string_view requete, std::string_view demo, std::int16_t, std::int16_t delai) {
                asked = std::string(requete) + "/" + std::string(demo) + "/" + std::to_string(delai);
                return c.answer;
            },
            [&](double s) { waited += s; });
        EXPECT_EQ(lambda, c.lambda) << c.answer;
        EXPECT_EQ(asked, "2145/84F1106147999909/800");
        EXPECT_DOUBLE_EQ(waited, 0.06);
    }
}

TEST(GetLambda, OtherEcusAreNotAsked) {
    bool asked = false;
    const auto lambda = GetLambda(false,
                                  [&](std::string_view, std::string_view, std::int16_t, std::int16_t) {
                                      asked = true;
                                      return std::string("84F11061450123D9");
                                  },
                                  {});
    EXPECT_EQ(lambda, 0);
    EXPECT_FALSE(asked);
}

}  // namespace
}  // namespace dravio::display
