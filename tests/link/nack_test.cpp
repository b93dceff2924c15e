#include "link/nack.h"

#include <gtest/gtest.h>

#include "link/answer.h"

namespace dravio::link {
namespace {

TEST(Nack, EveryResponseCodeHasItsText) {
    const struct { const char* code; const char* text; } cases[] = {
        {"10", "Reject General"},
        {"11", "Service not supported"},
        {"12", "subfunction not supported"},
        {"21", "Busy - repeat request"},
        {"22", "condition not correct"},
        {"23", "Routine not completed"},
        {"31", "request out of range"},
        {"33", "access denied"},
        {"35", "Invalid Key"},
        {"36", "exceed number of attemps"},
        {"37", "required tmie delay not expired"},
        {"72", "transfert abord"},
        {"75", "illegal bock transfert"},
        {"78", "error unknows"},
        {"00", "error unknows"},
        {"", "error unknows"},
    };
    for (const auto& c : cases) EXPECT_EQ(nackText(c.code), c.text) << c.code;
}

TEST(Nack, TraceLineNamesServiceAndCode) {
    const struct { const char* received; const char* entete; const char* line; } cases[] = {
        {"F1107F1112", "F110", "Nack : 11 - 12 subfunction not supported"},
        {"8210F1213083F1107F211236", "F110", "Nack : 21 - 12 subfunction not supported"},
        {"83F1107F3178AB83F1107F3122AB", "F110", "Nack : 31 - 78 error unknows"},  // the first one counts
        {"83F1107F21", "F110", "Nack : 21 -  error unknows"},
        {"F1107F", "F110", "Nack :  -  error unknows"},
        {"830110 7F", "0110", nullptr},
        {"8301107F8122", "0110", "Nack : 81 - 22 condition not correct"},
        {"8301107F8122", "F110", nullptr},
        {"", "F110", nullptr},
    };
    for (const auto& c : cases) {
        const auto line = nackLine(c.received, c.entete);
        if (c.line == nullptr) {
            EXPECT_FALSE(line.has_value()) << c.received;
        } else {
            EXPECT_EQ(line.value_or("<none>"), c.line) << c.received;
        }
    }
}

TEST(Answer, SearchesAreBoundedByTheText) {
    EXPECT_EQ(findAnswerData("83F1105A92AB", "F110", "5A92"), 10u);
    EXPECT_EQ(findAnswerData("5A92", "F110", "5A92"), std::nullopt);
    EXPECT_EQ(midText("ABCDEF", 4, 4), "EF");
    EXPECT_EQ(midText("ABCDEF", 6, 2), "");
    EXPECT_EQ(midText("", 100, 2), "");
    EXPECT_EQ(answerByte("84F1106130", 8), 0x30);
    EXPECT_EQ(answerByte("84F1106130", 9), std::nullopt);
    EXPECT_EQ(answerByte("84F11061ZZ", 8), std::nullopt);
    EXPECT_TRUE(isNegativeAnswer("83F1107F2112", "F110"));
    EXPECT_FALSE(isNegativeAnswer("83F1106130", "F110"));
}

TEST(Answer, IdentificationBytesBecomeCharacters) {
    EXPECT_EQ(hexToAscii("494157354130"), "IAW5A0");
    EXPECT_EQ(hexToAscii("4941573"), "IAW");
    EXPECT_EQ(hexToAscii(""), "");
}

}  // namespace
}  // namespace dravio::link
