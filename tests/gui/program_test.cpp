// The windowed program as a process: its own options need no display and create
// nothing, and a quit signal ends it even while a message box waits.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "run_program.h"

namespace {

namespace fs = std::filesystem;

class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        home = fs::temp_directory_path() / ("dravio-program-" + std::to_string(::getpid()));
        fs::remove_all(home);
        fs::create_directories(home);
    }
    void TearDown() override { fs::remove_all(home); }

    // The program with no display at all and a home of its own.
    std::string command(const std::string& arguments) const {
        return "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u XDG_RUNTIME_DIR HOME=" + home.string() +
               " XDG_DOCUMENTS_DIR=" + (home / "Documents").string() + " " + DRAVIO_GUI_PATH + " " + arguments;
    }

    fs::path home;
};

TEST_F(ProgramTest, HelpAndVersionPrintWithoutADisplayAndCreateNothing) {
    const struct {
        const char* arguments;
        const char* printed;
        int status;
    } kCases[] = {{"--help", "Usage: dravio", 0},
                  {"--version", "Dravio ", 0},
                  {"--frobnicate", "unknown option '--frobnicate'", 2},
                  {"stray", "unknown option 'stray'", 2}};
    for (const auto& c : kCases) {
        const auto run = dravio::testing::runProgram(command(c.arguments), 20);
        EXPECT_EQ(run.status, c.status) << c.arguments << ": " << run.out;
        EXPECT_NE(run.out.find(c.printed), std::string::npos) << c.arguments << ": " << run.out;
    }
    EXPECT_TRUE(fs::is_empty(home)) << "no folder may be created";
}

TEST_F(ProgramTest, SigtermDuringTheAlreadyRunningBoxEndsTheProgram) {
    // Another instance holds the lock.
    const fs::path lockFolder = home / ".local" / "share" / "dravio";
    fs::create_directories(lockFolder);
    const int lock = ::open((lockFolder / "dravio.lock").c_str(), O_RDWR | O_CREAT, 0600);
    ASSERT_GE(lock, 0);
    ASSERT_EQ(::flock(lock, LOCK_EX | LOCK_NB), 0);

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        ::setenv("HOME", home.c_str(), 1);
        ::setenv("XDG_DOCUMENTS_DIR", (home / "Documents").c_str(), 1);
        ::unsetenv("XDG_RUNTIME_DIR");
        ::execl(DRAVIO_GUI_PATH, DRAVIO_GUI_PATH, static_cast<char*>(nullptr));
        ::_exit(127);
    }
    // Time for the box to come up; the signal must end the program either way.
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    ::kill(child, SIGTERM);
    int status = 0;
    pid_t ended = 0;
    for (int i = 0; i < 100 && ended == 0; ++i) {
        ended = ::waitpid(child, &status, WNOHANG);
        if (ended == 0) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    if (ended == 0) {
        ::kill(child, SIGKILL);
        ::waitpid(child, &status, 0);
        FAIL() << "the program ignored SIGTERM while its box was shown";
    }
    EXPECT_TRUE(WIFEXITED(status)) << "ended by a signal instead of quitting";
    ::close(lock);
}

}  // namespace
