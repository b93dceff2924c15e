#include "gui/screenshot_tour.h"

#include <QDir>
#include <QPixmap>
#include <QPushButton>
#include <QTimer>
#include <cstdio>

#include "gui/application.h"
#include "gui/interface_window.h"
#include "gui/main_window.h"
#include "gui/options_window.h"

namespace dravio::gui {

namespace {
// Time for the window manager to map and paint a window before it is grabbed.
constexpr int kSettleMs = 400;
}  // namespace

ScreenshotTour::ScreenshotTour(Application& app, QString folder, QObject* parent)
    : QObject(parent), app_(app), folder_(std::move(folder)) {
    QDir().mkpath(folder_);
    connect(&app_, &Application::interfaceWindowShown, this, [this] {
        QTimer::singleShot(kSettleMs, this, [this] {
            auto* window = app_.interfaceWindow();
            if (window == nullptr) return;
            grab(*window, "interface.png");
            if (auto* ok = window->findChild<QPushButton*>("cdOK")) ok->click();
        });
    });
    connect(&app_, &Application::mainWindowReady, this, [this] {
        QTimer::singleShot(kSettleMs, this, [this] {
            if (auto* window = app_.mainWindow()) grab(*window, "main.png");
            app_.openOptions();
            QTimer::singleShot(kSettleMs, this, [this] {
                if (auto* options = app_.optionsWindow()) {
                    grab(*options, "options.png");
                    options->reject();
                }
                app_.quit();
            });
        });
    });
}

void ScreenshotTour::grab(QWidget& window, const QString& name) {
    const QString path = QDir(folder_).filePath(name);
    if (!window.grab().save(path)) std::fprintf(stderr, "dravio: cannot save %s\n", qPrintable(path));
}

}  // namespace dravio::gui
