// The update check at start (due by UPDATE/Revision) and from the about window,
// run on its own thread, its messages shown through the presenter.
#include <QPushButton>
#include <fstream>

#include "../update/local_server.h"
#include "gui/about_window.h"
#include "gui/update_check.h"
#include "gui_fixture.h"
#include "support/ini_file.h"
#include "support/update/update_list.h"

namespace dravio::gui::testing {
namespace {

namespace fs = std::filesystem;

std::string today() {
    return support::formatListDate(std::chrono::floor<std::chrono::days>(std::chrono::system_clock::now()));
}

TEST_F(AppTest, UpdateCheckAtStartRunsOnlyWhenDueAndRecordsTheDay) {
    fs::create_directories(root / "srv");
    dravio::testing::LocalServer server(root / "srv");
    if (!server.running()) GTEST_SKIP() << "python3 cannot serve on the loopback interface";
    std::ofstream(root / "srv" / "listes.ini") << "[Dravio]\nVersion=3.0\n";
    updateCheckAtStart = true;

    const struct {
        std::string revision;
        bool checked;
    } cases[] = {{"01/01/2020", true}, {today(), false}};
    const auto checkEnds = [&] {
        ASSERT_NE(app->updateCheck(), nullptr);
        QSignalSpy done(app->updateCheck(), &UpdateCheck::finished);
        ASSERT_TRUE(done.count() > 0 || done.wait(20000));
        QCoreApplication::processEvents();
        ASSERT_EQ(presenter.messages.size(), 1u);
        EXPECT_EQ(presenter.messages[0].text, "Impossible de télécharger la liste des mises à jour !");
        EXPECT_EQ(support::IniFile(ini()).readString("UPDATE", "Revision", ""), today());
    };
    for (const auto& c : cases) {
        writeIni("[UPDATE]\nServer=" + server.url() + "\nRevision=" + c.revision + "\n");
        startToMainWindow();
        // Without a cable the demonstration was explained first.
        ASSERT_FALSE(presenter.messages.empty());
        presenter.messages.erase(presenter.messages.begin());
        if (c.checked) {
            checkEnds();
        } else {
            EXPECT_EQ(app->updateCheck(), nullptr) << c.revision;
            EXPECT_TRUE(presenter.messages.empty());
            // Not due, but asked for from the about window.
            app->showAbout();
            app->aboutWindow()->findChild<QPushButton*>("cdUpdate")->click();
            checkEnds();
        }
        quitAndWait();
        app.reset();
        presenter.messages.clear();
        fs::remove(documents() / "Dravio" / "listes.ini");
    }
}

}  // namespace
}  // namespace dravio::gui::testing
