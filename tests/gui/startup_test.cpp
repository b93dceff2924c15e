#include <QAction>
#include <QGroupBox>
#include <QMenu>
#include <QPushButton>
#include <fstream>

#include "gui/trace_window.h"
#include "gui_fixture.h"
#include "support/ini_file.h"
#include "support/settings_keys.h"
#include "support/single_instance.h"

namespace dravio::gui::testing {
namespace {

namespace keys = support::keys;

TEST_F(AppTest, FirstStartCreatesTheFoldersAndTakesTraceFileOne) {
    ASSERT_EQ(startApp(), Application::Start::Running);
    for (const char* folder : {"Dravio", "Dravio/Data", "Dravio/Log", "Dravio/Files"}) {
        EXPECT_TRUE(std::filesystem::is_directory(documents() / folder)) << folder;
    }
    const support::IniFile settings(ini());
    EXPECT_EQ(settings.readInt(keys::MENU, keys::Log, -1), 1);
    EXPECT_EQ(app->traceFile().FichierTrace, documents() / "Dravio" / "Log" / "dravio1.log");
    EXPECT_TRUE(app->traceWindow()->isVisible());
    EXPECT_TRUE(presenter.messages.empty());
}

TEST_F(AppTest, WithoutCableTheInterfaceWindowFallsBackToDemonstration) {
    ASSERT_EQ(startApp(), Application::Start::Running);
    auto& window = interfaceWindowLoaded();
    EXPECT_TRUE(window.findChild<QRadioButton*>("opType0")->isChecked());
    auto* usb = window.findChild<QComboBox*>("cbUSB");
    EXPECT_TRUE(usb->isVisible());
    EXPECT_EQ(usb->currentText(), "Mode Demo");
    EXPECT_FALSE(window.findChild<QComboBox*>("cbport")->isVisible());
    EXPECT_TRUE(window.outcome().ModeDemo);

    QSignalSpy ready(app.get(), &Application::mainWindowReady);
    window.findChild<QAbstractButton*>("cdOK")->click();
    ASSERT_TRUE(ready.wait(5000));
    EXPECT_TRUE(app->modeDemo());
    // Never silently: the rider is told why before simulated values start.
    ASSERT_EQ(presenter.messages.size(), 1U);
    EXPECT_TRUE(presenter.messages[0].text.contains("Aucun câble FTDI trouvé"));
    EXPECT_TRUE(presenter.messages[0].text.contains("mode démonstration"));
    auto& main = *app->mainWindow();
    EXPECT_EQ(labelText(main, "lbPanel3"), "Démo");
    EXPECT_EQ(labelText(main, "lbPanel4"), "USB");
    EXPECT_EQ(support::IniFile(ini()).readInt(keys::Interface, keys::Type, -1), 0);
}

TEST_F(AppTest, MainWindowStartsInFrenchWithItsKeysAndOnlyInitialisationLive) {
    auto& main = startToMainWindow();
    EXPECT_TRUE(main.isVisible());
    const auto french = catalog("Francais");
    // Without a cable the values are simulated, and the title says so.
    EXPECT_EQ(main.windowTitle(), qs(french.GetResourceString(501, "Dravio") + " - 0.1.0 TestOS" +
                                     french.GetResourceString(2111, "")));

    const std::pair<const char*, const char*> keysOf[] = {
        {"MnInit", "F2"}, {"mnparam", "F3"}, {"mndiag", "F4"}, {"mnMoinsUn", "F6"}, {"mnPlus", "F7"},
        {"mnquitter", "F9"}, {"mnmoyplus", "Ctrl+P"}, {"mnmoymoins", "Ctrl+M"}, {"mngraphe", "Ctrl+G"},
        {"mnralenti", "Ctrl+R"},
    };
    for (const auto& [name, key] : keysOf) EXPECT_EQ(main.action(name)->shortcut(), QKeySequence(key)) << name;

    EXPECT_EQ(labelText(main, "lbPanel1"), "Défauts présents");
    EXPECT_EQ(labelText(main, "lbPanel2"), qs(french.GetResourceString(137, "Attente")));
    // The link can be initialised from the start, by the button or F2.
    EXPECT_TRUE(main.findChild<QPushButton*>("cdintialisation")->isEnabled());
    EXPECT_TRUE(main.action("MnInit")->isEnabled());
    EXPECT_FALSE(main.findChild<QPushButton*>("cdparametre")->isEnabled());
    EXPECT_TRUE(main.findChild<QPushButton*>("cdquitter")->isEnabled());
    EXPECT_EQ(main.findChild<QWidget*>("Shape1")->property("bgr").toUInt(), 0x0000FFu);
}

TEST_F(AppTest, EnglishSettingShowsTheEnglishTexts) {
    writeIni("[Affichage]\nLangue=English\n");
    auto& main = startToMainWindow();
    const auto english = catalog("English");
    ASSERT_TRUE(english.contains(137) && english.contains(148));
    EXPECT_EQ(main.windowTitle(), qs(english.GetResourceString(501, "Dravio") + " - 0.1.0 TestOS" +
                                     english.GetResourceString(2111, "")));
    EXPECT_EQ(labelText(main, "lbPanel2"), qs(english.GetResourceString(137, "Attente")));

    main.action("mntest")->trigger();
    EXPECT_EQ(labelText(main, "lbPanel3"), qs(english.GetResourceString(148, "Test")));
    EXPECT_TRUE(main.action("mntest")->isChecked());
    EXPECT_TRUE(app->modeDemo());
    main.action("mntest")->trigger();
    EXPECT_EQ(labelText(main, "lbPanel3"), "");
    EXPECT_FALSE(app->modeDemo());
}

TEST_F(AppTest, SecondInstanceIsRefusedWithTheMessageAndWritesNothing) {
    // The lock lives outside the documents folder (no runtime folder in these tests).
    const auto lockFolder = root / "home" / ".local" / "share" / "dravio";
    std::filesystem::create_directories(lockFolder);
    support::SingleInstance first(lockFolder / "dravio.lock");
    ASSERT_EQ(first.tryAcquire(), support::SingleInstance::Result::Acquired);

    EXPECT_EQ(startApp(), Application::Start::AlreadyRunning);
    ASSERT_EQ(presenter.messages.size(), 1u);
    EXPECT_EQ(presenter.messages[0].icon, DialogPresenter::Icon::Critical);
    EXPECT_EQ(presenter.messages[0].title, "Dravio");
    EXPECT_EQ(presenter.messages[0].text, "Dravio est déjà lancé");
    EXPECT_FALSE(std::filesystem::exists(ini()));
    EXPECT_EQ(app->interfaceWindow(), nullptr);
}

TEST_F(AppTest, TraceWindowMirrorsTheTraceAndTheVersionLine) {
    startToMainWindow();
    auto& list = app->traceWindow()->ltTrace();
    const QString version = "Version : Dravio - 0.1.0 TestOS";
    ASSERT_TRUE(QTest::qWaitFor([&] { return !list.findItems(version, Qt::MatchExactly).isEmpty(); }, 5000));
    app->linkThread().post([](LinkHost& context) { context.trace.EcritTrace("ligne de test", true); });
    EXPECT_TRUE(QTest::qWaitFor([&] { return !list.findItems("ligne de test", Qt::MatchExactly).isEmpty(); }, 5000));
    // The file is open before the session's first timed lines.
    EXPECT_TRUE(list.findItems("fichier de trace non ouvert", Qt::MatchContains).isEmpty());
    // The timed line went to the trace file, opened after the version line.
    quitAndWait();
    std::FILE* f = std::fopen(app->traceFile().FichierTrace.c_str(), "r");
    ASSERT_NE(f, nullptr);
    char buffer[256] = {};
    const auto n = std::fread(buffer, 1, sizeof buffer - 1, f);
    std::fclose(f);
    EXPECT_NE(std::string(buffer, n).find(": ligne de test"), std::string::npos);
}

TEST_F(AppTest, HelpOpensThePageOfTheLanguageAndTheWebEntryTheProjectSite) {
    startToMainWindow();
    presenter.messages.clear();  // the demonstration explanation
    app->mainWindow()->action("mnExploreAide")->trigger();
    ASSERT_EQ(presenter.urls.size(), 1u);
    EXPECT_EQ(presenter.urls[0].toLocalFile(), qs((dataDir() / "help" / "index.fr.html").string()));
    // A page the update service brought wins over the shipped one.
    const auto updated = documents() / "Dravio" / "Files" / "help" / "index.fr.html";
    std::filesystem::create_directories(updated.parent_path());
    std::ofstream(updated) << "<html></html>";
    app->mainWindow()->action("mnExploreAide")->trigger();
    ASSERT_EQ(presenter.urls.size(), 2u);
    EXPECT_EQ(presenter.urls[1].toLocalFile(), qs(updated.string()));
    EXPECT_TRUE(presenter.messages.empty());

    presenter.browserPresent = false;
    app->mainWindow()->action("mnweb")->trigger();
    ASSERT_EQ(presenter.urls.size(), 3u);
    EXPECT_EQ(presenter.urls[2].toString(), "https://dravio.github.io/");
    ASSERT_EQ(presenter.messages.size(), 1u);
    EXPECT_TRUE(presenter.messages[0].text.startsWith("Impossible d'ouvrir"));
}

}  // namespace
}  // namespace dravio::gui::testing
