// dravio-cli live recording as the window records: the files it leaves, and a
// recording killed mid-way that the next start converts with every line it had.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "run_program.h"
#include "support/temp_folder.h"

namespace dravio {
namespace {

class CliRecordingTest : public ::testing::Test {
protected:
    std::filesystem::path dataFolder() const { return home.path() / "Documents" / "Dravio" / "Data"; }

    std::string environment() const {
        return "HOME='" + home.path().string() + "' XDG_DOCUMENTS_DIR='" + (home.path() / "Documents").string() + "' ";
    }

    testing::ProgramRun cli(const std::string& arguments) {
        return testing::runProgram(environment() + DRAVIO_CLI_PATH + " " + arguments, 60);
    }

    std::vector<std::filesystem::path> files(const std::string& extension) const {
        std::vector<std::filesystem::path> found;
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator(dataFolder(), ec)) {
            if (entry.path().extension() == extension) found.push_back(entry.path());
        }
        return found;
    }

    dravio::testing::TempFolder home;
};

std::size_t lineCount(const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

TEST_F(CliRecordingTest, LiveWritesTheCsvAndTheWorkbookAndNamesThem) {
    const auto run = cli("--interface sim:mm16 live --count 3 --csv --xlsx --afr dlp");
    ASSERT_EQ(run.status, 0) << run.out;
    const auto csv = files(".csv");
    const auto xlsx = files(".xlsx");
    ASSERT_EQ(csv.size(), 1u) << run.out;
    ASSERT_EQ(xlsx.size(), 1u) << run.out;
    EXPECT_NE(run.out.find(csv[0].string() + "\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find(xlsx[0].string() + "\n"), std::string::npos) << run.out;
    EXPECT_TRUE(files(".txt").empty());
    const std::string text = dravio::testing::readBytes(csv[0]);
    EXPECT_EQ(lineCount(text), 4u) << text;  // the header and three cycles
    EXPECT_EQ(text.find('"'), std::string::npos);
    // A one-byte model's 14 columns, with the simulated DLP-IO8's channels.
    EXPECT_NE(text.find(";AFR1;AFR2;Lambda;SteepTPS;TPSmV\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find(";15.000;15.996;0;"), std::string::npos) << text;
}

TEST_F(CliRecordingTest, KilledRecordingIsConvertedAtTheNextStartKeepingEveryLine) {
    const std::string command =
        environment() + "exec " + DRAVIO_CLI_PATH + " --interface sim live --csv >/dev/null 2>&1";
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
        if (!txt.empty()) recorded = dravio::testing::readBytes(txt[0]);
    }
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_GE(lineCount(recorded), 4u) << "the recording never grew";
    const auto left = files(".txt");
    ASSERT_EQ(left.size(), 1u);
    recorded = dravio::testing::readBytes(left[0]);
    const std::string name = left[0].stem().string() + ".csv";

    const auto next = cli("--interface sim live --count 1 --csv");
    ASSERT_EQ(next.status, 0) << next.out;
    EXPECT_NE(next.out.find("CSV recovered " + name), std::string::npos) << next.out;
    std::string expected = recorded;
    expected.erase(std::remove(expected.begin(), expected.end(), '"'), expected.end());
    EXPECT_EQ(dravio::testing::readBytes(dataFolder() / name), expected);
    EXPECT_TRUE(files(".txt").empty());
}

}  // namespace
}  // namespace dravio
