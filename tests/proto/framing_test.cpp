#include "proto/framing.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "proto/models.h"
#include "proto/request_table.h"

namespace dravio::proto {
namespace {

TEST(Framing, RequestBecomesLineTextPerModel) {
    const std::tuple<const char*, Model, const char*, const char*> cases[] = {
        {"81", Model::M59, "10F1", "8110F18103"},
        {"2130", Model::M59, "10F1", "8210F12130D4"},
        {"830300FF00FF00", Model::M59, "10F1", "8710F1830300FF00FF000C"},
        {"81", Model::M59, "1001", "8110018113"},
        {"010C", Model::Obd, "10F1", "8210F1010C90"},
        {"", Model::M59, "10F1", ""},
        {"00", Model::M59, "10F1", ""},
        {"00", Model::Obd, "10F1", ""},
        {"0A", Model::RC15, "10F1", "0A"},
        {"0A", Model::MM16, "10F1", "0A"},
        {"AA", Model::P8, "10F1", "AA"},
        {"00", Model::RC15, "10F1", ""}};
    for (const auto& [request, model, header, line] : cases) {
        EXPECT_EQ(frameRequest(request, model, header), line) << request;
    }
}

TEST(Framing, LongestRequestFitsTheFormatByteAndLongerIsRefused) {
    const std::string longest(2 * kMaxServiceBytes, 'A');
    const auto line = frameRequest(longest, Model::M59, "10F1");
    ASSERT_EQ(line.size(), 2 * (kMaxServiceBytes + 4));
    EXPECT_EQ(line.substr(0, 2), "BF");  // 0x80 + 63: the address bits stay clear
    EXPECT_EQ(frameRequest(longest + "AA", Model::M59, "10F1"), "");
    EXPECT_TRUE(requestProblem(longest + "AA", Model::M59).has_value());
    EXPECT_FALSE(requestProblem(longest, Model::M59).has_value());
    for (const char* bad : {"", "ABC", "2G30"}) EXPECT_TRUE(requestProblem(bad, Model::M59).has_value()) << bad;
}

TEST(Models, SettingsNumbersAndNamesMapToOneRowEachAndOnlyKwpModelsHaveRequests) {
    const RequestTable table;
    for (const auto& row : modelTable()) {
        EXPECT_EQ(modelFromIndex(modelIndex(row.model)), row.model);
        EXPECT_EQ(modelFromCliName(row.cliName), row.model);
        EXPECT_EQ(table.request(Slot::ReqRegime, row.model).empty(), row.family == Family::OneByte);
    }
    EXPECT_EQ(modelFromCliName("5AM"), Model::M59);
    for (int spare : {-1, 6, 7, 99}) EXPECT_FALSE(modelFromIndex(spare).has_value()) << spare;
    EXPECT_FALSE(modelFromCliName("m59").has_value());
}

}  // namespace
}  // namespace dravio::proto
