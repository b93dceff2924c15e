#include "link/answer_check.h"

#include <gtest/gtest.h>

#include "proto/hex.h"

namespace dravio::link {
namespace {

TEST(KwpAnswerCheck, OnlyWholeFramesForTheTesterPass) {
    // 84 F1 10 61 30 0C 1E + checksum 40: an engine speed answer.
    struct Case {
        const char* name;
        const char* hex;
        bool cutShort;
        bool ok;
    };
    const Case cases[] = {
        {"good answer", "84F11061300C1E40", false, true},
        {"one flipped bit, stale checksum", "84F11061300C5E40", false, false},
        {"a byte dropped, time-out", "84F110613C1E40", false, false},
        {"wrong length byte", "85F11061300C1E40", false, false},
        {"noise byte ahead", "5584F11061300C1E", true, false},
        {"addressed to another tester", "84F21061300C1E41", false, false},
        {"response pending, then the answer",
         "83F1107F21789C"
         "84F11061300C1E40",
         false, true},
        {"response pending with a bad checksum",
         "83F1107F21789D"
         "84F11061300C1E40",
         false, false},
        {"the caller asked for the first bytes only", "84F1106130", true, true},
        {"the same cut, but the bytes stopped coming", "84F1106130", false, false},
        {"extra length byte form",
         "80F11004"
         "61300C1E"
         "40",
         false, true},
    };
    for (const auto& c : cases) {
        const auto problem = kwpAnswerProblem(proto::fromHex(c.hex), 0xF1, c.cutShort);
        EXPECT_EQ(!problem.has_value(), c.ok) << c.name << ": " << problem.value_or("accepted");
    }
}

}  // namespace
}  // namespace dravio::link
