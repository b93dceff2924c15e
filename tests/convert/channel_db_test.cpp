#include "convert/channel_db.h"

#include <gtest/gtest.h>

#include <tuple>

#include "convert/column_rules.h"
#include "support/temp_folder.h"

namespace dravio::convert {
namespace {

TEST(ChannelDatabase, ANewFileHoldsEveryRuleChannelAndKeepsEdits) {
    testing::TempFolder folder;
    const auto file = folder / kChannelDatabaseFile;
    std::string error;
    Channel edited;
    {
        auto db = ChannelDatabase::open(file, error);
        ASSERT_TRUE(db) << error;
        ASSERT_EQ(db->all().size(), kColumnRuleCount);
        EXPECT_EQ(db->all()[3].name, "TempAir");

        edited = *db->channel("RPM");
        edited.title = "Engine speed";
        edited.unit = "tr/min";
        edited.rangemin = 500;
        edited.rangemax = 11000;
        ASSERT_TRUE(db->cdUpdateDIF(edited));
        Channel unknown;
        unknown.name = "Nope";
        EXPECT_FALSE(db->cdUpdateDIF(unknown));
    }
    auto db = ChannelDatabase::open(file, error);
    ASSERT_TRUE(db) << error;
    EXPECT_EQ(db->all().size(), kColumnRuleCount);  // no second set of rows
    const auto rpm = db->channel("RPM");
    ASSERT_TRUE(rpm);
    EXPECT_EQ((std::tuple{rpm->title, rpm->unit, rpm->rangemin, rpm->rangemax}),
              (std::tuple{edited.title, edited.unit, edited.rangemin, edited.rangemax}));
    // The name is a bound value, never SQL text.
    EXPECT_FALSE(db->channel("RPM' or '1'='1"));
}

TEST(ChannelDatabase, PresentMarksAreListedAndCleared) {
    testing::TempFolder folder;
    std::string error;
    auto db = ChannelDatabase::open(folder / kChannelDatabaseFile, error);
    ASSERT_TRUE(db) << error;
    EXPECT_TRUE(db->initChamps().empty());
    EXPECT_TRUE(db->markPresent("Voltage"));
    EXPECT_TRUE(db->markPresent("Time"));
    EXPECT_FALSE(db->markPresent("Unknown"));
    const auto present = db->initChamps();
    ASSERT_EQ(present.size(), 2u);
    EXPECT_EQ(present[0].name + "," + present[1].name, "Time,Voltage");
    EXPECT_TRUE(db->ClearDIF());
    EXPECT_TRUE(db->initChamps().empty());
}

}  // namespace
}  // namespace dravio::convert
