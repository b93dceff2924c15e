#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <random>
#include <string>

#include "support/atomic_file.h"
#include "support/ini_file.h"
#include "temp_folder.h"

namespace dravio::support {
namespace {

using testing::readBytes;
using testing::TempFolder;
using testing::writeBytes;

TEST(AtomicWrite, ReplacesTheContentKeepingPermissionsAndSymbolicLinks) {
    TempFolder dir;
    writeBytes(dir / "real.ini", "old");
    std::filesystem::permissions(dir / "real.ini", std::filesystem::perms(0640));
    std::filesystem::create_symlink(dir / "real.ini", dir / "link.ini");
    ASSERT_EQ(writeFileAtomically(dir / "link.ini", "new"), "");
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.ini"));
    EXPECT_EQ(readBytes(dir / "real.ini"), "new");
    EXPECT_EQ(std::filesystem::status(dir / "real.ini").permissions(), std::filesystem::perms(0640));
    // No temporary file is left behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), std::filesystem::directory_iterator()), 2);
}

// A writer killed at any moment leaves one of the two complete versions.
TEST(AtomicWrite, KillingTheWriterNeverLeavesATruncatedOrMixedFile) {
    TempFolder dir;
    const auto file = dir / "ecu.ini";
    std::string filler = "[Other]\n";
    // Few long lines: the child then spends most of its time writing, where a
    // non-atomic write would be caught half done.
    for (int i = 0; i < 40; ++i) filler += "Key" + std::to_string(i) + "=" + std::string(25000, 'f') + "\n";
    writeBytes(file, filler);

    std::string versions[2];
    const std::string values[2] = {std::string(200, 'A'), std::string(200, 'B')};
    for (int v = 0; v < 2; ++v) {
        IniFile ini(file);
        ASSERT_TRUE(ini.setString("Mesures", "Air", values[v]));
        ASSERT_TRUE(ini.setString("Zed", "Last", values[v]));  // a change at each end of the file
        versions[v] = ini.serialize();
    }
    writeBytes(file, versions[0]);

    std::mt19937 random(12345);
    std::uniform_int_distribution<int> delayUs(0, 20000);
    for (int round = 0; round < 60; ++round) {
        pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (int i = 0;; ++i) {
                IniFile ini(file);
                ini.setString("Mesures", "Air", values[i % 2]);
                ini.setString("Zed", "Last", values[i % 2]);
                ini.commit();
            }
        }
        ::usleep(static_cast<useconds_t>(delayUs(random)));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        const std::string now = readBytes(file);
        ASSERT_TRUE(now == versions[0] || now == versions[1])
            << "round " << round << ": " << now.size() << " bytes, expected " << versions[0].size();
    }
}

}  // namespace
}  // namespace dravio::support
