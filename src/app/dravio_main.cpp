// dravio: the windowed program. Start-up and shutdown live in gui::Application;
// this file wires it to Qt, to SIGTERM/SIGINT and to two unattended modes:
//   DRAVIO_STARTUP_MARKER=1   prints "dravio-interface-shown <ns>" (CLOCK_MONOTONIC)
//                             when the interface window first shows, for the start-up bench;
//   DRAVIO_SCREENSHOTS=<dir>  saves the interface, main and options windows as PNGs, then quits;
//                             with DRAVIO_SCREENSHOT_TOUR=measuring it initialises, measures and
//                             saves the measuring windows instead, with =diagnostics the
//                             one-byte fault and 15M trimmer windows.
#include <QApplication>
#include <cstdio>
#include <ctime>
#include <memory>

#include "gui/application.h"
#include "gui/dialog_presenter.h"
#include "gui/quit_signals.h"
#include "gui/screenshot_tour.h"

namespace {

long long monotonicNanoseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1'000'000'000LL + now.tv_nsec;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication qapp(argc, argv);
    QApplication::setApplicationName("Dravio");
    QApplication::setQuitOnLastWindowClosed(false);

    dravio::gui::QtDialogPresenter presenter;
    dravio::gui::Application app(dravio::gui::AppConfig::fromProcess(), presenter);
    dravio::gui::QuitSignals quitSignals;
    QObject::connect(&quitSignals, &dravio::gui::QuitSignals::quitRequested, &app, &dravio::gui::Application::quit);
    QObject::connect(&app, &dravio::gui::Application::finished, &qapp, &QApplication::quit, Qt::QueuedConnection);

    if (qEnvironmentVariableIsSet("DRAVIO_STARTUP_MARKER")) {
        QObject::connect(&app, &dravio::gui::Application::interfaceWindowShown, [] {
            std::printf("dravio-interface-shown %lld\n", monotonicNanoseconds());
            std::fflush(stdout);
        });
    }
    std::unique_ptr<dravio::gui::ScreenshotTour> tour;
    if (const QString folder = qEnvironmentVariable("DRAVIO_SCREENSHOTS"); !folder.isEmpty()) {
        const QString which = qEnvironmentVariable("DRAVIO_SCREENSHOT_TOUR");
        const auto kind = which == "measuring"     ? dravio::gui::ScreenshotTour::Kind::Measuring
                          : which == "diagnostics" ? dravio::gui::ScreenshotTour::Kind::Diagnostics
                                                   : dravio::gui::ScreenshotTour::Kind::Start;
        tour = std::make_unique<dravio::gui::ScreenshotTour>(app, folder, kind);
    }

    if (app.start() == dravio::gui::Application::Start::AlreadyRunning) return 1;
    return QApplication::exec();
}
