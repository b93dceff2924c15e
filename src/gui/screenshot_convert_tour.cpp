// The convert tour of ScreenshotTour: the conversion window with the first file of
// Logworks/Folder read, then the replay window playing it at x16 into the graph.
// The PNGs carry the language code: logwork-fr.png, replay-en.png, ...
#include <QCheckBox>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

#include "gui/application.h"
#include "gui/graph_window.h"
#include "gui/interface_window.h"
#include "gui/logwork_window.h"
#include "gui/main_window.h"
#include "gui/replay_window.h"
#include "gui/screenshot_tour.h"
#include "gui/session_controller.h"
#include "support/help_pages.h"

namespace dravio::gui {

namespace {
constexpr int kSettleMs = 400;
constexpr int kPlayMs = 1500;
}  // namespace

void ScreenshotTour::convertTour() {
    connect(&app_, &Application::interfaceWindowShown, this, [this] {
        QTimer::singleShot(kSettleMs, this, [this] {
            if (auto* window = app_.interfaceWindow()) {
                if (auto* ok = window->findChild<QPushButton*>("cdOK")) ok->click();
            }
        });
    });
    connect(&app_, &Application::mainWindowReady, this, [this] {
        const QString code = QString::fromStdString(std::string(support::helpLanguageCode(app_.settings().Langue)));
        app_.openConvert();
        auto* convert = app_.logWorkWindow();
        if (convert == nullptr) return;
        QString file;
        if (auto* list = convert->findChild<QListWidget*>("ListFile"); list != nullptr && list->count() > 0) {
            list->setCurrentRow(0);
            file = convert->findChild<QLabel*>("lbFolder")->text() + "/" + list->item(0)->text();
            if (auto* read = convert->findChild<QPushButton*>("cdreadCSV")) read->click();
        }
        QTimer::singleShot(kSettleMs, this, [this, convert, code, file] {
            grab(*convert, "logwork-" + code + ".png");
            convert->close();
            if (auto* graph = app_.mainWindow()->findChild<QCheckBox*>("chgraph")) graph->setChecked(true);
            app_.openReplay();
            auto* replay = app_.replayWindow();
            if (replay == nullptr || !replay->load(file)) {
                app_.quit();
                return;
            }
            replay->setSpeed(16);
            replay->play();
            QTimer::singleShot(kPlayMs, this, [this, replay, code] {
                replay->pause();
                grab(*replay, "replay-" + code + ".png");
                if (auto* graph = app_.session()->graphWindow()) grab(*graph, "replay-graph-" + code + ".png");
                app_.quit();
            });
        });
    });
}

}  // namespace dravio::gui
