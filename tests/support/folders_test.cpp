#include "support/folders.h"

#include <gtest/gtest.h>

#include "temp_folder.h"

namespace dravio::support {
namespace {

using testing::TempFolder;
using testing::writeBytes;

TEST(Folders, DocumentsFolderFromTheEnvironment) {
    TempFolder home;
    TempFolder otherConfig;
    const std::string h = home.path().string();
    writeBytes(otherConfig / "user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"/srv/docs\"\n");
    const struct {
        const char* name;
        Environment env;
        const char* userDirs;  // written to <home>/.config/user-dirs.dirs unless nullptr
        std::optional<std::filesystem::path> expected;
    } cases[] = {
        {"variable wins", {h, "/data/Docs", {}, {}, {}, {}}, "XDG_DOCUMENTS_DIR=\"$HOME/Mes documents\"\n", "/data/Docs"},
        {"relative variable ignored", {h, "Docs", {}, {}, {}, {}}, nullptr, home / "Documents"},
        {"user-dirs with $HOME",
         {h, {}, {}, {}, {}, {}},
         "# comment\nXDG_DESKTOP_DIR=\"$HOME/Bureau\"\nXDG_DOCUMENTS_DIR=\"$HOME/Mes documents\"\n",
         home / "Mes documents"},
        {"user-dirs absolute, CRLF", {h, {}, {}, {}, {}, {}}, "XDG_DOCUMENTS_DIR=\"/mnt/d/docs\"\r\n", "/mnt/d/docs"},
        {"user-dirs relative ignored", {h, {}, {}, {}, {}, {}}, "XDG_DOCUMENTS_DIR=\"docs\"\n", home / "Documents"},
        {"XDG_CONFIG_HOME names the config folder",
         {h, {}, otherConfig.path().string(), {}, {}, {}},
         "XDG_DOCUMENTS_DIR=\"$HOME/ignored\"\n",
         "/srv/docs"},
        {"no HOME", {{}, {}, {}, {}, {}, {}}, nullptr, std::nullopt},
        {"no HOME but the variable", {{}, "/x/Docs", {}, {}, {}, {}}, nullptr, "/x/Docs"},
    };
    for (const auto& c : cases) {
        std::filesystem::remove_all(home / ".config");
        if (c.userDirs) writeBytes(home / ".config" / "user-dirs.dirs", c.userDirs);
        EXPECT_EQ(documentsFolder(c.env), c.expected) << c.name;
    }
}

TEST(Folders, TreeUnderTheDocumentsFolderIsCreated) {
    TempFolder home;
    FolderSetup setup = setUpFolders(Environment{home.path().string(), {}, {}, {}, {}, {}});
    EXPECT_TRUE(setup.status.ok());
    const auto base = home / "Documents" / "Dravio";
    EXPECT_EQ(setup.folders.DossierDravio, base);
    EXPECT_EQ(setup.folders.settingsFile(), base / "ecu.ini");
    for (const char* sub : {"Data", "Log", "Files"}) EXPECT_TRUE(std::filesystem::is_directory(base / sub)) << sub;
}

TEST(Folders, TheLockLivesInTheRuntimeFolderElseTheDataFolderNeverInTheDocuments) {
    TempFolder root;
    std::filesystem::create_directories(root / "run");
    const auto documents = root / "Documents" / "Dravio";
    const struct {
        const char* name;
        Environment env;
        std::filesystem::path expected;
    } cases[] = {
        {"runtime folder", {(root / "h").string(), {}, {}, {}, (root / "run").string(), {}}, root / "run" / "dravio.lock"},
        {"runtime folder missing", {(root / "h").string(), {}, {}, {}, (root / "gone").string(), {}},
         root / "h" / ".local" / "share" / "dravio" / "dravio.lock"},
        {"relative runtime folder", {(root / "h").string(), {}, {}, {}, "run", {}},
         root / "h" / ".local" / "share" / "dravio" / "dravio.lock"},
        {"XDG_DATA_HOME", {(root / "h").string(), {}, {}, {}, {}, (root / "data").string()},
         root / "data" / "dravio" / "dravio.lock"},
        {"nothing but the fallback", {{}, {}, {}, {}, {}, {}}, documents / "dravio.lock"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(lockFile(c.env, documents), c.expected) << c.name;
        EXPECT_TRUE(std::filesystem::is_directory(c.expected.parent_path()) || c.expected.parent_path() == documents)
            << c.name;
    }
}

TEST(Folders, CreationProblemsAreReportedNotFatal) {
    TempFolder docs;
    writeBytes(docs / "Dravio" / "Log", "a file where a folder should be");
    FolderStatus status = createFolders(Folders::under(docs.path()));
    ASSERT_EQ(status.problems.size(), 1u);
    EXPECT_NE(status.problems[0].find("Log"), std::string::npos);
    EXPECT_TRUE(std::filesystem::is_directory(docs / "Dravio" / "Files"));
}

}  // namespace
}  // namespace dravio::support
