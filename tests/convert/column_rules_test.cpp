#include "convert/column_rules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace dravio::convert {
namespace {

TEST(ColumnRules, TitlesMapToTheFirstMatchingChannel) {
    // A recording as Dravio writes it, then other loggers' titles; "" when no rule matches.
    const std::pair<const char*, const char*> cases[] = {
        {"Time", "Time"},      {"RPM", "RPM"},   {"AirTemp", "TempAir"},  {"EngineTemp", "TempEngine"},
        {"AFR1", ""},          {"Lambda", ""},   {"SteepTPS", "SteepTPS"}, {"TimeTick", "Tick"},
        {"O22 volts", "LambdaO22"}, {"AFRLC2", "AFR2"}, {"GearGPS", "SpeedGPS"}, {"SpeedGPS", ""}, {"", ""}};
    for (const auto& [title, channel] : cases) {
        const ColumnRule* rule = RechercheDIF(title);
        EXPECT_EQ(rule ? std::string(rule->name) : std::string(), channel) << title;
    }
}

TEST(ColumnRules, ALineWithACommaIsSplitOnCommas) {
    const struct {
        const char* line;
        std::vector<std::string> fields;
    } cases[] = {
        {"1;2;3", {"1", "2", "3"}}, {"1,5;2;3", {"1", "5;2;3"}}, {"a,b,c", {"a", "b", "c"}},
        {"x;;y", {"x", "", "y"}},   {"lonely", {"lonely"}},      {"", {}},
    };
    for (const auto& c : cases) {
        const auto fields = splitFields(c.line);
        EXPECT_EQ(std::vector<std::string>(fields.begin(), fields.end()), c.fields) << c.line;
    }
}

TEST(ColumnRules, TitlesAreCleanedAndCappedAt101Columns) {
    const auto columns = readTitles("\"Time ; RPM;Voltage\"");
    ASSERT_EQ(columns.size(), 3u);
    EXPECT_EQ(columns[1].title, "RPM");
    ASSERT_NE(columns[2].rule, nullptr);
    EXPECT_EQ(columns[2].rule->name, "Voltage");

    std::string wide = "Time";
    for (int i = 0; i < 150; ++i) wide += ";c" + std::to_string(i);
    EXPECT_EQ(readTitles(wide).size(), kMaxColumns);
}

}  // namespace
}  // namespace dravio::convert
