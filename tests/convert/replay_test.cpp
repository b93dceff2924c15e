#include <gtest/gtest.h>

#include "convert/recording.h"
#include "convert/replay_player.h"
#include "support/temp_folder.h"

namespace dravio::convert {
namespace {

TEST(Recording, ADravioRecordingGivesItsRowsAndTimes) {
    std::string error;
    const auto rec =
        loadRecording(std::filesystem::path(DRAVIO_SOURCE_DATA_DIR) / "examples" / "mes1204 -090507.csv", error);
    ASSERT_TRUE(rec) << error;
    ASSERT_EQ(rec->rows.size(), 7u);
    EXPECT_TRUE(rec->problems.empty());
    EXPECT_EQ(rec->rows[2].time, 0.425);
    EXPECT_EQ(rec->value(rec->rows[2], "rpm"), 1840);
    EXPECT_EQ(rec->value(rec->rows[4], "EngineTemp"), 86);
    EXPECT_FALSE(rec->value(rec->rows[4], "SteepTPS"));
}

TEST(Recording, OtherFormsAndBadLines) {
    const struct {
        const char* name;
        const char* text;
        std::vector<double> times;
        std::vector<double> secondColumn;
        std::size_t skipped;
    } cases[] = {
        {"comma separated", "Time,RPM\r\n0.1,900\r\n0.2,950\r\n", {0.1, 0.2}, {900, 950}, 0},
        {"decimal comma", "Time;TPS\n0,5;2,25\n1,5;3\n", {0.5, 1.5}, {2.25, 3}, 0},
        {"quoted lines", "\"Time;RPM\"\n\"1;1000\"\n", {1}, {1000}, 0},
        {"no time column", "RPM;TPS\n1000;2\n1100;3\n1200;4\n", {0, 0.1, 0.2}, {2, 3, 4}, 0},
        {"bad lines skipped", "Time;RPM\n0;900\n0.1;abc\n0.2\n\n0.3;9e999\n0.4;1000;extra\n", {0, 0.4}, {900, 1000}, 3},
        {"time going back", "Time;RPM\n5;1\n3;2\n6;3\n", {5, 5, 6}, {1, 2, 3}, 0},
        {"titles only", "Time;RPM\n", {}, {}, 0},
        {"garbage", "\x01\x02\xff;\n\xfe\n", {}, {}, 1},
    };
    for (const auto& c : cases) {
        const Recording rec = parseRecording(c.text);
        std::vector<double> times, second;
        for (const auto& row : rec.rows) {
            times.push_back(row.time);
            second.push_back(row.values.at(1));
        }
        EXPECT_EQ(times, c.times) << c.name;
        EXPECT_EQ(second, c.secondColumn) << c.name;
        EXPECT_EQ(rec.skippedLines, c.skipped) << c.name;
        EXPECT_EQ(rec.problems.size(), c.skipped) << c.name;
    }
    const Recording bad = parseRecording("Time;RPM\n0;900\n0.1;abc\n");
    ASSERT_EQ(bad.problems.size(), 1u);
    EXPECT_EQ(bad.problems[0], "line 3: \"abc\" in column RPM is not a number; line skipped");
}

TEST(ReplayPlayer, RowsComeDueAtTheRecordedPaceTimesTheSpeed) {
    ReplayPlayer player({10.0, 10.2, 10.4, 11.0, 13.0});
    EXPECT_EQ(player.dueIn(), 0.0);
    EXPECT_EQ(player.advance(0), (std::pair<std::size_t, std::size_t>{0, 1}));
    EXPECT_NEAR(*player.dueIn(), 0.2, 1e-12);
    EXPECT_EQ(player.advance(0.45), (std::pair<std::size_t, std::size_t>{1, 3}));

    EXPECT_FALSE(player.setSpeed(2));
    EXPECT_TRUE(player.setSpeed(4));
    EXPECT_NEAR(*player.dueIn(), (11.0 - 10.45) / 4, 1e-12);
    EXPECT_EQ(player.advance(0.15), (std::pair<std::size_t, std::size_t>{3, 4}));
    EXPECT_TRUE(player.setSpeed(16));
    EXPECT_EQ(player.advance(-5), (std::pair<std::size_t, std::size_t>{4, 4}));
    EXPECT_EQ(player.advance(0.125), (std::pair<std::size_t, std::size_t>{4, 5}));
    EXPECT_TRUE(player.finished());

    player.seek(1);
    EXPECT_EQ(player.position(), 10.2);
    EXPECT_EQ(player.advance(0), (std::pair<std::size_t, std::size_t>{1, 2}));
    player.seekTime(10.9);
    EXPECT_EQ(player.nextRow(), 3u);
}

}  // namespace
}  // namespace dravio::convert
