// Window places survive closing and restarting, to the pixel, and absurd stored
// places and sizes are brought back onto the screen.
#include <QApplication>
#include <QCheckBox>
#include <QScreen>

#include "gui/graph_window.h"
#include "gui/map_window.h"
#include "gui/session_controller.h"
#include "gui/status_window.h"
#include "gui/trace_window.h"
#include "gui_fixture.h"

namespace dravio::gui::testing {
namespace {

class WindowPositionTest : public AppTest {
protected:
    // The graph, map and status windows of the running program, opened.
    std::vector<QWidget*> openWindows(MainWindow& main) {
        main.findChild<QCheckBox*>("chgraph")->click();
        main.action("mnMap")->trigger();
        main.action("mnStatuts")->trigger();
        auto* session = app->session();
        return {session->graphWindow(), session->mapWindow(), session->statusWindow(), app->traceWindow(), &main};
    }
};

TEST_F(WindowPositionTest, EveryWindowComesBackWhereItWasAfterCloseAndRestart) {
    std::vector<QPoint> expected;
    for (int run = 0; run < 3; ++run) {
        auto& main = startToMainWindow();
        auto windows = openWindows(main);
        QApplication::processEvents();
        for (std::size_t i = 0; i < windows.size(); ++i) {
            ASSERT_NE(windows[i], nullptr) << i;
            if (!expected.empty()) {
                EXPECT_EQ(windows[i]->pos(), expected[i]) << "run " << run << " window " << i;
            }
        }
        expected.clear();
        for (std::size_t i = 0; i < windows.size(); ++i) {
            const QPoint to(10 + 13 * static_cast<int>(i) + 5 * run, 10 + 9 * static_cast<int>(i) + 7 * run);
            windows[i]->move(to);
            expected.push_back(windows[i]->pos());
        }
        // The graph closed by the rider, the others left open at quit.
        windows[0]->close();
        QApplication::processEvents();
        quitAndWait();
        app.reset();
    }
}

TEST_F(WindowPositionTest, AbsurdStoredPlacesAndSizesAreKeptOnTheScreen) {
    writeIni(
        "[POSITIONS]\nGraphWidth=2147483647\nGraphHeight=600000\nGraphTop=-900000\nGraphLeft=99999999\n"
        "ParamTop=-5000\nParamLeft=2147483647\nStatutsTop=600000\nStatutsLeft=-600000\n");
    auto& main = startToMainWindow();
    auto windows = openWindows(main);
    QApplication::processEvents();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    for (auto* window : windows) {
        ASSERT_NE(window, nullptr);
        EXPECT_TRUE(screen.contains(window->pos())) << window->objectName().toStdString();
        EXPECT_LE(window->width(), screen.width()) << window->objectName().toStdString();
        EXPECT_LE(window->height(), screen.height()) << window->objectName().toStdString();
    }
    quitAndWait();
}

}  // namespace
}  // namespace dravio::gui::testing
