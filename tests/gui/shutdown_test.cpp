#include <csignal>

#include "gui/quit_signals.h"
#include "gui/trace_window.h"
#include <QGuiApplication>
#include <QScreen>

#include "gui_fixture.h"
#include "support/window_positions.h"
#include "support/ini_file.h"
#include "support/settings_keys.h"

namespace dravio::gui::testing {
namespace {

namespace keys = support::keys;

int position(const std::filesystem::path& file, const char* key) {
    return support::IniFile(file).readInt(keys::POSITIONS, key, -99999);
}

TEST_F(AppTest, QuitWritesTheWindowPositionsInTwips) {
    writeIni("[POSITIONS]\nTraceLeft=8000\nTraceTop=1200\n");
    auto& main = startToMainWindow();
    main.move(300, 200);
    app->traceWindow()->move(40, 60);
    main.action("mnquitter")->trigger();
    QSignalSpy finished(app.get(), &Application::finished);
    ASSERT_TRUE(finished.count() > 0 || finished.wait(10000));

    EXPECT_EQ(position(ini(), "ParamLeft"), 4500);
    EXPECT_EQ(position(ini(), "ParamTop"), 3000);
    EXPECT_EQ(position(ini(), "TraceLeft"), 600);
    EXPECT_EQ(position(ini(), "TraceTop"), 900);
    // The interface window was not moved: its default comes back unchanged where the
    // screen holds it, else kept on the screen.
    const int screenWidth = QGuiApplication::primaryScreen()->availableGeometry().width();
    const int interWidth = support::twipsToPixels(5000);
    EXPECT_EQ(position(ini(), "InterLeft"),
              support::twipsToPixels(8000) + interWidth <= screenWidth ? 8000
                                                                        : support::pixelsToTwips(screenWidth - interWidth));
    EXPECT_EQ(position(ini(), "InterTop"), 0);
    EXPECT_FALSE(main.isVisible());
    EXPECT_FALSE(app->linkThread().running());
}

TEST_F(AppTest, WindowsOpenWhereTheSettingsPutThem) {
    writeIni("[POSITIONS]\nParamLeft=1500\nParamTop=-300\nTraceLeft=3000\nTraceTop=450\n");
    auto& main = startToMainWindow();
    EXPECT_EQ(main.pos(), QPoint(100, 0));  // a negative top opens at 0
    EXPECT_EQ(app->traceWindow()->pos(), QPoint(200, 30));
    quitAndWait();
    EXPECT_EQ(position(ini(), "ParamLeft"), 1500);
    EXPECT_EQ(position(ini(), "TraceLeft"), 3000);
}

TEST_F(AppTest, TheQuitButtonAndClosingTheMainWindowQuitAlike) {
    for (const bool button : {true, false}) {
        auto& main = startToMainWindow();
        QSignalSpy finished(app.get(), &Application::finished);
        if (button) {
            main.findChild<QAbstractButton*>("cdquitter")->click();
        } else {
            main.close();
        }
        ASSERT_TRUE(finished.count() > 0 || finished.wait(10000)) << button;
        EXPECT_TRUE(support::IniFile(ini()).hasKey(keys::POSITIONS, "ParamLeft"));
        app.reset();
    }
}

TEST_F(AppTest, SigtermQuitsLikeTheQuitButton) {
    QuitSignals quitSignals;
    auto& main = startToMainWindow();
    main.move(150, 75);
    QObject::connect(&quitSignals, &QuitSignals::quitRequested, app.get(), &Application::quit);
    QSignalSpy finished(app.get(), &Application::finished);
    ASSERT_EQ(::raise(SIGTERM), 0);
    ASSERT_TRUE(finished.wait(10000));
    EXPECT_EQ(position(ini(), "ParamLeft"), 2250);
    EXPECT_EQ(position(ini(), "ParamTop"), 1125);
}

TEST_F(AppTest, QuitWhileTheInterfaceWindowIsOpenEndsWithoutTheMainWindow) {
    ASSERT_EQ(startApp(), Application::Start::Running);
    interfaceWindowLoaded();
    quitAndWait();
    EXPECT_EQ(app->mainWindow(), nullptr);
    EXPECT_FALSE(app->linkThread().running());
}

TEST_F(AppTest, ResizingTheMainWindowWritesItsPosition) {
    auto& main = startToMainWindow();
    main.move(450, 300);
    main.resize(main.width() + 20, main.height() + 10);
    EXPECT_TRUE(QTest::qWaitFor([&] { return position(ini(), "ParamLeft") == 6750; }, 5000));
    EXPECT_EQ(position(ini(), "ParamTop"), 4500);
}

}  // namespace
}  // namespace dravio::gui::testing
