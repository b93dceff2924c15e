// dravio-cli live recording as the window records: a recording killed mid-way
// is converted by the next start with every line it had.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "data_files.h"
#include "run_program.h"
#include "support/temp_folder.h"

namespace dravio {
namespace {

class CliRecordingTest : public ::testing::Test {
protected:
    std::vector<std::filesystem::path> files(const std::string& ext) const {
        return testing::filesEndingIn(home.path() / "Documents" / "Dravio" / "Data", ext);
    }
    dravio::testing::TempFolder home;
    const std::string environment =
        "HOME='" + home.path().string() + "' XDG_DOCUMENTS_DIR='" + (home.path() / "Documents").string() + "' ";
};

std::size_t lineCount(const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

TEST_F(CliRecordingTest, KilledRecordingIsConvertedAtTheNextStartKeepingEveryLine) {
    const std::string command = environment + "exec " + DRAVIO_CLI_PATH + " --interface sim live --csv >/dev/null 2>&1";
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    // Killed once a few cycles are on disk: nothing closes or converts the file.
    std::string recorded;
    for (int i = 0; i < 300 && lineCount(recorded) < 4; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        const auto txt = files(".txt");
        if (!txt.empty()) recorded = testing::fileBytes(txt[0]);
    }
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_GE(lineCount(recorded), 4u) << "the recording never grew";
    const auto left = files(".txt");
    ASSERT_EQ(left.size(), 1u);
    recorded = testing::fileBytes(left[0]);
    const auto csv = left[0].parent_path() / (left[0].stem().string() + ".csv");

    const auto next = testing::runProgram(environment + DRAVIO_CLI_PATH + " --interface sim live --count 1 --csv", 60);
    ASSERT_EQ(next.status, 0) << next.out;
    EXPECT_NE(next.out.find("CSV recovered " + csv.filename().string()), std::string::npos) << next.out;
    recorded.erase(std::remove(recorded.begin(), recorded.end(), '"'), recorded.end());
    EXPECT_EQ(testing::fileBytes(csv), recorded);
    EXPECT_TRUE(files(".txt").empty());
    EXPECT_EQ(files(".csv").size(), 2u);  // and the new run's own, named at the end
    EXPECT_NE(next.out.find(".csv\n"), std::string::npos) << next.out;
}

// The "RMP ... Bat ..." part of the lines a command printed, in order.
std::vector<std::string> shownLines(const std::string& out) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while ((start = out.find("RMP ", start)) != std::string::npos) {
        const auto end = out.find("  (", start);
        if (end == std::string::npos) break;
        lines.push_back(out.substr(start, end - start));
        start = end;
    }
    return lines;
}

TEST_F(CliRecordingTest, ARecordingOfLiveReplaysToTheSameShownValuesRowForRow) {
    const auto live = testing::runProgram(environment + DRAVIO_CLI_PATH + " --interface sim live --count 4 --csv", 90);
    ASSERT_EQ(live.status, 0) << live.out;
    const auto csv = files(".csv");
    ASSERT_EQ(csv.size(), 1u);
    const auto replay = testing::runProgram(std::string(DRAVIO_CLI_PATH) + " replay '" + csv[0].string() + "'", 30);
    ASSERT_EQ(replay.status, 0) << replay.out;
    const auto shown = shownLines(live.out);
    ASSERT_EQ(shown.size(), 4u) << live.out;
    EXPECT_EQ(shownLines(replay.out), shown) << replay.out;
}

}  // namespace
}  // namespace dravio
