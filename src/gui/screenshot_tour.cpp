#include "gui/screenshot_tour.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QDir>
#include <QPixmap>
#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QTimer>
#include <cstdio>

#include <fcntl.h>
#include <unistd.h>

#include "gui/afr_window.h"
#include "gui/application.h"
#include "gui/erreur_window.h"
#include "gui/trimmer15_window.h"
#include "gui/dtc59_window.h"
#include "gui/identification_window.h"
#include "gui/interface_window.h"
#include "gui/main_window.h"
#include "gui/options_window.h"
#include "gui/graph_window.h"
#include "gui/map_window.h"
#include "gui/responder_window.h"
#include "gui/onebyte_controller.h"
#include "gui/session_controller.h"
#include "gui/status_window.h"
#include "gui/traffic_window.h"

namespace dravio::gui {

namespace {
// A tester's StartCommunication on the responder's device, so its log shows both ways.
void sendStartCommunication(const QString& path) {
    const int fd = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
    if (fd < 0) return;
    const unsigned char request[] = {0x81, 0x10, 0xF1, 0x81, 0x03};
    if (::write(fd, request, sizeof request) != static_cast<ssize_t>(sizeof request)) {
        std::fprintf(stderr, "dravio: cannot write to %s\n", qPrintable(path));
    }
    QTimer::singleShot(1000, [fd] { ::close(fd); });
}

// Time for the window manager to map and paint a window before it is grabbed.
constexpr int kSettleMs = 400;
// Cycles enough for the graph and the map to show a history.
constexpr int kMeasureMs = 6000;
}  // namespace

ScreenshotTour::ScreenshotTour(Application& app, QString folder, Kind kind, QObject* parent)
    : QObject(parent), app_(app), folder_(std::move(folder)) {
    QDir().mkpath(folder_);
    // Nobody reads the demonstration's explanation here: the start tour saves it, every
    // tour takes it.
    auto* boxes = new QTimer(this);
    connect(boxes, &QTimer::timeout, this, [this, boxes, kind] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr || !box->isVisible() || !box->text().contains("\n\n")) return;
        boxes->stop();
        if (kind == Kind::Start) grab(*box, "demonstration.png");
        box->accept();
    });
    boxes->start(kSettleMs);
    if (kind == Kind::Convert) {
        convertTour();
    } else if (kind == Kind::Measuring) {
        measuringTour();
    } else if (kind == Kind::Diagnostics) {
        diagnosticsTour();
    } else if (kind == Kind::OneByte) {
        oneByteTour();
    } else {
        startTour();
    }
}

void ScreenshotTour::startTour() {
    connect(&app_, &Application::interfaceWindowShown, this, [this] {
        QTimer::singleShot(kSettleMs, this, [this] {
            auto* window = app_.interfaceWindow();
            if (window == nullptr) return;
            grab(*window, "interface.png");
            const auto option = [window](int index) {
                if (auto* button = window->findChild<QAbstractButton*>(QString("opType%1").arg(index))) button->click();
            };
            // The serial K-line cable, then the ELM327 with a Bluetooth device typed in.
            option(5);
            QTimer::singleShot(kSettleMs, this, [this, window, option] {
                grab(*window, "interface-tty.png");
                option(3);
                QTimer::singleShot(kSettleMs, this, [this, window, option] {
                    if (auto* port = window->findChild<QComboBox*>("cbport")) port->setEditText("/dev/rfcomm0");
                    grab(*window, "interface-elm.png");
                    option(0);
                    QTimer::singleShot(kSettleMs, this, [window] {
                        if (auto* ok = window->findChild<QPushButton*>("cdOK")) ok->click();
                    });
                });
            });
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

void ScreenshotTour::measuringTour() {
    connect(&app_, &Application::interfaceWindowShown, this, [this] {
        QTimer::singleShot(kSettleMs, this, [this] {
            if (auto* window = app_.interfaceWindow()) {
                if (auto* ok = window->findChild<QPushButton*>("cdOK")) ok->click();
            }
        });
    });
    connect(&app_, &Application::mainWindowReady, this, [this] {
        auto* main = app_.mainWindow();
        auto* session = app_.session();
        if (main == nullptr || session == nullptr) return;
        if (auto* init = main->findChild<QPushButton*>("cdintialisation")) init->click();
        // Once measuring, open every window the cycle feeds, let them fill, then grab.
        auto* poll = new QTimer(this);
        connect(poll, &QTimer::timeout, this, [this, poll, main, session] {
            auto* parametre = main->findChild<QPushButton*>("cdparametre");
            if (parametre == nullptr || parametre->text() != "Stop - F3") return;
            poll->stop();
            // The main window first, with the whole live block read each cycle.
            QTimer::singleShot(kMeasureMs / 2, this, [this, main, session] {
                grab(*main, "main-measuring.png");
                for (const char* name : {"chgraph", "chMap", "chStatutSonde"}) {
                    if (auto* box = main->findChild<QCheckBox*>(name); box != nullptr && !box->isChecked()) {
                        box->click();
                    }
                }
                // The throttle curve keeps the full block, so the map sees the throttle move.
                if (auto* graph = session->graphWindow()) {
                    if (auto* tps = graph->findChild<QCheckBox*>("chTPS")) tps->click();
                }
                // An external AFR source configured: its window reads the simulated controller.
                if (auto* afr = session->afrWindow()) {
                    if (auto* acquire = afr->findChild<QCheckBox*>("chDLP")) acquire->click();
                }
                session->showTraffic();
                session->showResponder();
                if (auto* responder = session->responderWindow()) {
                    if (auto* start = responder->findChild<QPushButton*>("cdDemarrer")) start->click();
                    sendStartCommunication(responder->devicePath());
                }
                QTimer::singleShot(kMeasureMs, this, [this] { grabMeasuring(); });
            });
        });
        poll->start(100);
    });
}

void ScreenshotTour::grabMeasuring() {
    auto* session = app_.session();
    if (auto* w = session->graphWindow()) grab(*w, "graph.png");
    if (auto* w = session->mapWindow()) grab(*w, "map.png");
    if (auto* w = session->statusWindow()) grab(*w, "status.png");
    if (auto* w = session->trafficWindow()) grab(*w, "traffic.png");
    if (auto* w = session->afrWindow()) grab(*w, "afr.png");
    if (auto* w = session->responderWindow()) {
        grab(*w, "responder.png");
        w->close();
    }
    app_.quit();
}

void ScreenshotTour::diagnosticsTour() {
    connect(&app_, &Application::interfaceWindowShown, this, [this] {
        QTimer::singleShot(kSettleMs, this, [this] {
            if (auto* window = app_.interfaceWindow()) {
                if (auto* ok = window->findChild<QPushButton*>("cdOK")) ok->click();
            }
        });
    });
    connect(&app_, &Application::mainWindowReady, this, [this] {
        auto* main = app_.mainWindow();
        auto* session = app_.session();
        if (main == nullptr || session == nullptr) return;
        const QString language = QString::fromStdString(app_.settings().Langue);
        connect(session, &SessionController::identificationShown, this, [this, main, language] {
            QTimer::singleShot(kSettleMs, this, [this, main, language] {
                auto* window = main->findChild<IdentificationWindow*>();
                if (window == nullptr) return;
                grab(*window, "identification-" + language + ".png");
                window->accept();
                if (auto* diag = main->findChild<QPushButton*>("cddiag")) diag->click();
            });
        });
        connect(session, &SessionController::diagnosticShown, this, [this, session, language] {
            auto* window = session->dtc59Window();
            if (window == nullptr) return;
            // The rev-counter test, its progress bar half way.
            if (auto* combo = window->findChild<QComboBox*>("ComboChoixTest")) {
                combo->setCurrentIndex(0);
                emit combo->activated(0);
            }
            QTimer::singleShot(kSettleMs, this, [this, window, language] {
                if (auto* start = window->findChild<QPushButton*>("CdeStartTest")) start->click();
                QTimer::singleShot(1200, this, [this, window, language] {
                    grab(*window, "dtc59-" + language + ".png");
                    app_.quit();
                });
            });
        });
        if (auto* init = main->findChild<QPushButton*>("cdintialisation")) init->click();
        auto* poll = new QTimer(this);
        connect(poll, &QTimer::timeout, this, [main, poll, session] {
            auto* diag = main->findChild<QPushButton*>("cddiag");
            if (diag == nullptr || !diag->isEnabled()) return;
            poll->stop();
            session->showIdentification();
        });
        poll->start(100);
    });
}

void ScreenshotTour::oneByteTour() {
    connect(&app_, &Application::interfaceWindowShown, this, [this] {
        QTimer::singleShot(kSettleMs, this, [this] {
            if (auto* window = app_.interfaceWindow()) {
                if (auto* ok = window->findChild<QPushButton*>("cdOK")) ok->click();
            }
        });
    });
    connect(&app_, &Application::mainWindowReady, this, [this] {
        auto* main = app_.mainWindow();
        auto* session = app_.session();
        if (main == nullptr || session == nullptr) return;
        if (auto* init = main->findChild<QPushButton*>("cdintialisation")) init->click();
        auto* oneByte = session->oneByte();
        connect(oneByte, &OneByteController::erreurShown, this, [this, oneByte] {
            auto* erreur = oneByte->erreurWindow();
            if (auto* read = erreur->findChild<QPushButton*>("cderreur")) read->click();
            QTimer::singleShot(kMeasureMs / 2, this, [this, erreur] {
                if (auto* pump = erreur->findChild<QPushButton*>("cddiag2")) pump->click();
            });
        });
        connect(oneByte, &OneByteController::trimmerShown, this, [this, oneByte] {
            if (auto* mesures = oneByte->trimmerWindow()->findChild<QPushButton*>("cdMesures")) mesures->click();
            QTimer::singleShot(kMeasureMs / 2, this, [this] { grabOneByte(); });
        });
        // Once the link is up the fault window opens; once it has closed, the trimmer window.
        auto* poll = new QTimer(this);
        connect(poll, &QTimer::timeout, this, [this, poll, main, oneByte] {
            // The key-on boxes of the start: the rider says OK.
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                if (auto* ok = box->button(QMessageBox::Ok)) {
                    ok->click();
                } else {
                    box->accept();
                }
                return;
            }
            auto* diag = main->findChild<QPushButton*>("cddiag");
            auto* erreur = oneByte->erreurWindow();
            if (erreur != nullptr) {
                auto* confirmed = erreur->findChild<QLabel*>("lrecu3");
                if (confirmed == nullptr || confirmed->text().trimmed().isEmpty()) return;
                grab(*erreur, "erreur.png");
                erreur->close();
                return;
            }
            if (diag == nullptr || !diag->isEnabled()) return;
            if (!property("erreurDone").toBool()) {
                setProperty("erreurDone", true);
                diag->click();
                return;
            }
            poll->stop();
            if (auto* trimmer = main->findChild<QPushButton*>("cdTrimer15")) trimmer->click();
        });
        poll->start(200);
    });
}

void ScreenshotTour::grabOneByte() {
    if (auto* w = app_.session()->oneByte()->trimmerWindow()) {
        grab(*w, "trimmer15.png");
        w->close();
    }
    app_.quit();
}

void ScreenshotTour::grab(QWidget& window, const QString& name) {
    const QString path = QDir(folder_).filePath(name);
    if (!window.grab().save(path)) std::fprintf(stderr, "dravio: cannot save %s\n", qPrintable(path));
}

}  // namespace dravio::gui
