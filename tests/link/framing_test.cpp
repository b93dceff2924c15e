#include "link/framing.h"

#include <gtest/gtest.h>

namespace dravio::link {
namespace {

TEST(Framing, RequestBecomesLineTextPerModel) {
    const struct { const char* request; int typeEcu; const char* header; const char* line; } cases[] = {
        {"81", 4, "10F1", "8110F18103"},
        {"2130", 4, "10F1", "8210F12130D4"},
        {"830300FF00FF00", 4, "10F1", "8710F1830300FF00FF000C"},
        {"81", 4, "1001", "8110018113"},
        {"010C", 5, "10F1", "8210F1010C" "90"},
        {"", 4, "10F1", ""},
        {"00", 4, "10F1", ""},
        {"00", 5, "10F1", ""},
        {"0A", 2, "10F1", "0A"},
        {"0A", 0, "10F1", "0A"},
        {"AA", 3, "10F1", "AA"},
        {"00", 2, "10F1", ""},
        {"2130", 6, "10F1", ""},
        {"2130", -1, "10F1", ""},
        {"2130", 99, "10F1", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(frameRequest(c.request, c.typeEcu, c.header), c.line) << c.request << " model " << c.typeEcu;
    }
}

}  // namespace
}  // namespace dravio::link
