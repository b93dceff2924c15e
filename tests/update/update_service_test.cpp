#include "support/update/update_service.h"

#include <gtest/gtest.h>

#include "local_server.h"
#include "support/temp_folder.h"

namespace dravio::support {
namespace {

namespace fs = std::filesystem;
using testing::readBytes;
using testing::writeBytes;

constexpr const char* k901 = "Une nouvelle mise à jour est disponible. Pour l'installer, cliquer sur le bouton [OUI].";

// A server folder, the user's folders, and what the check showed.
class UpdateCheck : public ::testing::Test {
protected:
    void SetUp() override {
        server = std::make_unique<testing::LocalServer>(root / "srv");
        fs::create_directories(root / "srv");
        if (!server->running()) GTEST_SKIP() << "python3 cannot serve on the loopback interface";
        places.DossierDravio = root / "Dravio";
        places.DossierFiles = root / "Dravio" / "Files";
        places.programFolder = root / "prog";
        places.helpReference = root / "share" / "help" / "index.fr.html";
        places.catalogReference = root / "share" / "lang" / "lngFrancais.lang";
        places.desktopEntryFolder = root / "applications";
        writeBytes(places.helpReference, "<html></html>");
        writeBytes(places.catalogReference, "101=Dravio\n");
        fs::create_directories(places.programFolder);
        // The pictures are there already unless a test removes them.
        for (auto name : kPictureNames) writeBytes(places.DossierFiles / name, "BM");
    }

    void serve(const std::string& name, const std::string& bytes) { writeBytes(root / "srv" / name, bytes); }
    void list(const std::string& keys) { serve("listes.ini", "[Dravio]\n" + keys); }

    void check(bool answerYes, std::string address = {}) {
        UpdateView view;
        view.status = [this](const std::string& line) { statusLines.push_back(line); };
        view.message = [this](const std::string& title, const std::string& text) {
            messages.push_back(title + ": " + text);
        };
        view.ask = [this, answerYes](const std::string& title, const std::string& text) {
            questions.push_back(title + ": " + text);
            return answerYes;
        };
        UpdateService service(address.empty() ? server->url() : address, places, ProgramVersion{2, 1, 0}, catalog,
                              downloader, view);
        service.Find_Update();
    }

    bool saw(const std::string& line) const {
        return std::find(statusLines.begin(), statusLines.end(), line) != statusLines.end();
    }

    testing::TempFolder root;
    std::unique_ptr<testing::LocalServer> server;
    UpdatePlaces places;
    Catalog catalog;
    CurlDownloader downloader;
    std::vector<std::string> statusLines, messages, questions;
};

TEST_F(UpdateCheck, TheVersionDecidesWhatIsOffered) {
    const struct {
        const char* keys;
        std::vector<std::string> messages;
        std::vector<std::string> questions;
    } cases[] = {
        {"Version=3.0\n", {"Update: Impossible de télécharger la liste des mises à jour !"}, {}},
        {"Version=2.1.0\nURL=Dravio.AppImage\nSoft=Dravio.AppImage\n", {}, {}},
        {"Version=2.1.5\nURL=Dravio.AppImage\n", {}, {}},
        {"Version=2.2.0\nURL=Dravio.AppImage\nSoft=Dravio.AppImage\n", {}, {std::string("Update: ") + k901}},
        {"Version=3.0.0\n",
         {},
         {"Update: The 3.x.x is a major release vs 2.x.x: You must download and install InstallDravio3xx.zip."}},
    };
    for (const auto& c : cases) {
        list(c.keys);
        messages.clear();
        questions.clear();
        check(false);
        EXPECT_EQ(messages, c.messages) << c.keys;
        EXPECT_EQ(questions, c.questions) << c.keys;
    }
    EXPECT_TRUE(saw("Download InstallDravio.zip Abord"));
    EXPECT_TRUE(fs::is_empty(places.programFolder));
}

TEST_F(UpdateCheck, YesInstallsTheProgramAndItsDesktopEntry) {
    serve("Dravio-2.2.0.AppImage", "new program");
    list("Version=2.2.0\nURL=Dravio-2.2.0.AppImage\nSoft=Dravio-2.2.0.AppImage\n");
    check(true);
    EXPECT_TRUE(messages.empty());
    const fs::path program = places.programFolder / "Dravio-2.2.0.AppImage";
    EXPECT_EQ(readBytes(program), "new program");
    EXPECT_NE(fs::status(program).permissions() & fs::perms::owner_exec, fs::perms::none);
    const std::string entry = readBytes(places.desktopEntryFolder / "dravio.desktop");
    EXPECT_NE(entry.find("Exec=\"" + program.string() + "\""), std::string::npos) << entry;
}

TEST_F(UpdateCheck, ANewerCatalogDateInstallsTheCatalogs) {
    serve("lang/lngEnglish.lang", "101=Dravio EN\n");
    serve("lang/lngDeutsch.lang", "101=Dravio DE\n");
    const std::string keys =
        "Version=2.1.0\nNBlangues=2\n1dll=lngEnglish.lang\n2dll=lngDeutsch.lang\nURL_Langues=" + server->url() +
        "lang/\n";
    list("DateLangue=01/01/2020\n" + keys);  // older than the installed catalogs
    check(false);
    EXPECT_FALSE(fs::exists(places.catalogFolder()));

    list("DateLangue=01/01/2099\n" + keys);
    check(false);
    EXPECT_EQ(readBytes(places.catalogFolder() / "lngEnglish.lang"), "101=Dravio EN\n");
    EXPECT_EQ(readBytes(places.catalogFolder() / "lngDeutsch.lang"), "101=Dravio DE\n");
    EXPECT_FALSE(fs::exists(places.DossierFiles / "lngEnglish.lang"));  // moved to its place
}

TEST_F(UpdateCheck, UnsafeNamesAndWrongChecksumsChangeNothing) {
    serve("lang/lngEnglish.lang", "101=Dravio EN\n");
    serve("evil.lang", "x");
    writeBytes(places.catalogFolder() / "lngEnglish.lang", "old\n");
    const std::string prefix = "Version=2.1.0\nDateLangue=01/01/2099\nURL_Langues=" + server->url() + "lang/\n";
    const struct {
        std::string keys;
        std::string refusal;
    } cases[] = {
        {"NBlangues=1\n1dll=../evil.lang\n", "Refused file name: ../evil.lang"},
        {"NBlangues=1\n1dll=lngEnglish.lang\nSHA256_lngEnglish.lang=" + std::string(64, '0') + "\n",
         "SHA-256 mismatch: lngEnglish.lang refused"},
    };
    for (const auto& c : cases) {
        list(prefix + c.keys);
        check(true);
        EXPECT_TRUE(saw(c.refusal)) << c.keys;
        EXPECT_EQ(readBytes(places.catalogFolder() / "lngEnglish.lang"), "old\n") << c.keys;
        EXPECT_FALSE(fs::exists(root / "Dravio" / "evil.lang"));
        EXPECT_FALSE(fs::exists(root / "evil.lang"));
    }
    // The right checksum lets it in.
    const auto hash = sha256OfFile(root / "srv" / "lang" / "lngEnglish.lang");
    ASSERT_TRUE(hash);
    list(prefix + "NBlangues=1\n1dll=lngEnglish.lang\nSHA256_lngEnglish.lang=" + *hash + "\n");
    check(true);
    EXPECT_EQ(readBytes(places.catalogFolder() / "lngEnglish.lang"), "101=Dravio EN\n");
}

TEST_F(UpdateCheck, NoServerIsQuiet) {
    list("Version=9.0.0\n");
    writeBytes(places.listFile(), "[Dravio]\nVersion=9.0.0\n");  // an old list
    fs::remove(places.DossierFiles / kPictureNames[0]);
    check(true, "http://127.0.0.1:1/");
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(questions.empty());
    EXPECT_FALSE(fs::exists(places.listFile()));
    EXPECT_FALSE(fs::exists(places.DossierFiles / kPictureNames[0]));
}

TEST_F(UpdateCheck, MissingPicturesAndNewerHelpAreFetched) {
    fs::remove(places.DossierFiles / "MaMotoM16.bmp");
    serve("MaMotoM16.bmp", "BM16");
    serve("frmparam.fr.html", "<html>new</html>");
    list("Version=2.1.0\nHelp=01/01/2099\nURL_chm=frmparam.fr.html\nAide=frmparam.fr.html\n");
    check(true);
    EXPECT_EQ(readBytes(places.DossierFiles / "MaMotoM16.bmp"), "BM16");
    EXPECT_EQ(questions, (std::vector<std::string>{std::string("Update: ") + k901}));
    EXPECT_EQ(readBytes(places.helpFolder() / "frmparam.fr.html"), "<html>new</html>");
}

}  // namespace
}  // namespace dravio::support
