#include "support/version_text.h"

#include <gtest/gtest.h>

#include "temp_folder.h"

namespace dravio::support {
namespace {

TEST(VersionText, PrettyNameOfOsRelease) {
    const std::pair<const char*, std::optional<std::string>> cases[] = {
        {"NAME=\"Debian GNU/Linux\"\nPRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\nID=debian\n",
         "Debian GNU/Linux 12 (bookworm)"},
        {"PRETTY_NAME='Fedora Linux 39'\r\n", "Fedora Linux 39"},
        {"PRETTY_NAME=Arch\n", "Arch"},
        {"PRETTY_NAME=\"Say \\\"hi\\\"\"\n", "Say \"hi\""},
        {"NAME=Foo\n", std::nullopt},       {"PRETTY_NAME=\"\"\n", std::nullopt},
    };
    for (const auto& [text, name] : cases) EXPECT_EQ(prettyNameFromOsRelease(text), name) << text;
}

TEST(VersionText, SystemNameFromTheFileElseTheKernel) {
    testing::TempFolder dir;
    testing::writeBytes(dir / "os-release", "PRETTY_NAME=\"Test OS 1\"\n");
    EXPECT_EQ(operatingSystemName(dir / "os-release"), "Test OS 1");
    EXPECT_EQ(operatingSystemName(dir / "absent"), "Linux");  // uname's sysname on this system
}

}  // namespace
}  // namespace dravio::support
