// dravio: the windowed program. Start-up and shutdown live in gui::Application;
// this file wires it to Qt, to SIGTERM/SIGINT and to two unattended modes:
//   DRAVIO_STARTUP_MARKER=1   prints "dravio-interface-shown <ns>" (CLOCK_MONOTONIC)
//                             when the interface window first shows, for the start-up bench;
//   DRAVIO_SCREENSHOTS=<dir>  saves the interface, main and options windows as PNGs, then quits;
//                             with DRAVIO_SCREENSHOT_TOUR=measuring it initialises, measures and
//                             saves the measuring windows instead; =diagnostics, the
//                             identification and fault and test windows; =onebyte, the
//                             one-byte fault and 15M trimmer windows; =convert, the
//                             conversion and replay windows.
#include <QApplication>
#include <QDialog>
#include <cstdio>
#include <optional>
#include <string>
#include <ctime>
#include <memory>

#include "gui/application.h"
#include "gui/dialog_presenter.h"
#include "gui/quit_signals.h"
#include "gui/screenshot_tour.h"
#include "support/version_text.h"

namespace {

long long monotonicNanoseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1'000'000'000LL + now.tv_nsec;
}

constexpr const char* kUsage =
    "Usage: dravio [--help] [--version]\n"
    "Diagnostic and live data for motorcycle engine control units on the K-line.\n"
    "The windows need a display; dravio-cli does the same work on the command line.\n"
    "\n"
    "  --help      print this help and exit\n"
    "  --version   print the version and exit\n";

// Options Qt itself takes, with the number of values each one has.
int qtOptionValues(const std::string& argument) {
    for (const char* option : {"-platform", "-display", "-style", "-stylesheet", "-geometry", "-qwindowgeometry",
                               "-qwindowtitle", "-qwindowicon", "-session", "-platformpluginpath",
                               "-platformtheme"}) {
        if (argument == option) return 1;
    }
    for (const char* option : {"-reverse", "-widgetcount", "-nograb", "-dograb", "-sync"}) {
        if (argument == option) return 0;
    }
    return -1;
}

// Handles the program's own options before any display or folder is touched.
// Returns the exit code when the program must end here.
std::optional<int> handleArguments(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--help" || argument == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (argument == "--version") {
            const auto version = dravio::support::programVersion();
            std::printf("Dravio %d.%d.%d\n", version.major, version.minor, version.revision);
            return 0;
        }
        const int values = qtOptionValues(argument);
        if (values < 0) {
            std::fprintf(stderr, "dravio: unknown option '%s'\n%s", argument.c_str(), kUsage);
            return 2;
        }
        i += values;
    }
    return std::nullopt;
}

// A quit signal first answers the boxes on screen (as Cancel would), so that no
// procedure or start-up step stays blocked on them, then quits.
void closeModalWindows() {
    while (QWidget* modal = QApplication::activeModalWidget()) {
        if (auto* dialog = qobject_cast<QDialog*>(modal)) {
            dialog->reject();
        } else {
            modal->close();
        }
        if (QApplication::activeModalWidget() == modal) break;
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (const auto exitCode = handleArguments(argc, argv)) return *exitCode;
    QApplication qapp(argc, argv);
    QApplication::setApplicationName("Dravio");
    QApplication::setQuitOnLastWindowClosed(false);

    dravio::gui::QtDialogPresenter presenter;
    dravio::gui::Application app(dravio::gui::AppConfig::fromProcess(), presenter);
    dravio::gui::QuitSignals quitSignals;
    QObject::connect(&quitSignals, &dravio::gui::QuitSignals::quitRequested, &app, [&app] {
        closeModalWindows();
        app.quit();
    });
    QObject::connect(&app, &dravio::gui::Application::finished, &qapp, &QApplication::quit, Qt::QueuedConnection);

    if (qEnvironmentVariableIsSet("DRAVIO_STARTUP_MARKER")) {
        QObject::connect(&app, &dravio::gui::Application::interfaceWindowShown, [] {
            std::printf("dravio-interface-shown %lld\n", monotonicNanoseconds());
            std::fflush(stdout);
        });
    }
    std::unique_ptr<dravio::gui::ScreenshotTour> tour;
    if (const QString folder = qEnvironmentVariable("DRAVIO_SCREENSHOTS"); !folder.isEmpty()) {
        const QString name = qEnvironmentVariable("DRAVIO_SCREENSHOT_TOUR");
        const auto kind = name == "measuring"     ? dravio::gui::ScreenshotTour::Kind::Measuring
                          : name == "diagnostics" ? dravio::gui::ScreenshotTour::Kind::Diagnostics
                          : name == "onebyte"     ? dravio::gui::ScreenshotTour::Kind::OneByte
                          : name == "convert"     ? dravio::gui::ScreenshotTour::Kind::Convert
                                                  : dravio::gui::ScreenshotTour::Kind::Start;
        tour = std::make_unique<dravio::gui::ScreenshotTour>(app, folder, kind);
    }

    if (app.start() == dravio::gui::Application::Start::AlreadyRunning) return 1;
    return QApplication::exec();
}
