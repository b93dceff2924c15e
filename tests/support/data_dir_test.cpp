#include "support/data_dir.h"

#include <gtest/gtest.h>

#include "temp_folder.h"

namespace dravio::support {
namespace {

using testing::TempFolder;

TEST(DataDir, EnvironmentThenInstalledTreeThenSourceTree) {
    TempFolder root;
    const auto exe = root / "prefix" / "bin" / "dravio";
    const auto installed = root / "prefix" / "share" / "dravio";
    const auto source = root / "src-tree";
    std::filesystem::create_directories(source / "lang");

    // Not installed: the source tree, which has the catalogs.
    EXPECT_EQ(findDataDir({std::nullopt, exe, source}), source);
    EXPECT_EQ(findDataDir({std::string(), exe, source}), source);  // empty variable: unset

    std::filesystem::create_directories(installed / "lang");
    EXPECT_EQ(findDataDir({std::nullopt, exe, source}), installed);
    EXPECT_EQ(findDataDir({"/opt/data", exe, source}), "/opt/data");

    // Nothing anywhere: the installed place, where the catalogs are then missing.
    std::filesystem::remove_all(installed);
    std::filesystem::remove_all(source);
    EXPECT_EQ(findDataDir({std::nullopt, exe, source}), installed);
}

}  // namespace
}  // namespace dravio::support
