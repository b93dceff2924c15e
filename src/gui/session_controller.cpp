#include "gui/session_controller.h"

#include <QApplication>
#include <atomic>
#include <chrono>

#include "display/graph_window.h"
#include "gui/dtc59_window.h"
#include "gui/afr_window.h"
#include "gui/caption_walker.h"
#include "gui/graph_window.h"
#include "gui/identification_window.h"
#include "gui/main_window.h"
#include "gui/map_window.h"
#include "gui/responder_window.h"
#include "gui/status_window.h"
#include "gui/traffic_window.h"
#include "gui/window_placement.h"
#include "support/settings_keys.h"

namespace dravio::gui {

namespace keys = support::keys;

namespace {
// How long the link thread sleeps between looks at a pending answer; its own
// events keep running meanwhile.
constexpr auto kAnswerSlice = std::chrono::milliseconds(10);

template <class Window>
void raise(Window& window) {
    window.show();
    window.raise();
    window.activateWindow();
}
}  // namespace

SessionController::SessionController(LinkThread& linkThread, DialogPresenter& presenter, MainWindowModel& model,
                                     support::Settings& settings, support::IniFile& ini, QObject* parent)
    : QObject(parent), linkThread_(linkThread), presenter_(presenter), model_(model), settings_(settings), ini_(ini) {}

SessionController::~SessionController() {
    for (QWidget* window : {static_cast<QWidget*>(graph_.data()), static_cast<QWidget*>(map_.data()),
                            static_cast<QWidget*>(status_.data()), static_cast<QWidget*>(traffic_.data()),
                            static_cast<QWidget*>(responder_.data()), static_cast<QWidget*>(afr_.data())}) {
        delete window;
    }
}

GraphWindow* SessionController::graphWindow() const { return graph_.data(); }
MapWindow* SessionController::mapWindow() const { return map_.data(); }
StatusWindow* SessionController::statusWindow() const { return status_.data(); }
TrafficWindow* SessionController::trafficWindow() const { return traffic_.data(); }
ResponderWindow* SessionController::responderWindow() const { return responder_.data(); }
AfrWindow* SessionController::afrWindow() const { return afr_.data(); }

void SessionController::withSession(std::function<void(session::Session&)> work) {
    linkThread_.post([work = std::move(work)](LinkHost& context) {
        if (context.session) work(*context.session);
    });
}

session::SessionOutputs SessionController::outputs(base::EventLoop& loop) {
    session::SessionOutputs out;
    // Each output runs on the link thread; the work moves to the GUI thread.
    out.mainChanges = [this](std::map<std::string, base::ControlState> changes) {
        QMetaObject::invokeMethod(
            this, [this, changes = std::move(changes)] { applyMain(changes); }, Qt::QueuedConnection);
    };
    out.statusChanges = [this](std::map<std::string, base::ControlState> changes) {
        QMetaObject::invokeMethod(
            this,
            [this, changes = std::move(changes)] {
                if (!status_) showStatus();
                status_->apply(changes);
            },
            Qt::QueuedConnection);
    };
    out.afrChanges = [this](std::map<std::string, base::ControlState> changes) {
        QMetaObject::invokeMethod(
            this,
            [this, changes = std::move(changes)] {
                const auto shown = changes.find("frmAFR");
                if (!afr_ && (shown == changes.end() || !shown->second.visible.value_or(false))) return;
                afrWindowMade().apply(changes);
                emit afrChanged();
            },
            Qt::QueuedConnection);
    };
    out.traffic = [this](std::vector<std::string> lines) {
        QStringList text;
        text.reserve(static_cast<qsizetype>(lines.size()));
        for (const auto& line : lines) text << QString::fromStdString(line);
        QMetaObject::invokeMethod(
            this,
            [this, text = std::move(text)] {
                if (!traffic_) {
                    traffic_ = new TrafficWindow(window_);
                }
                traffic_->appendLines(text);
            },
            Qt::QueuedConnection);
    };
    out.graph = [this](display::TraceResult result) {
        QMetaObject::invokeMethod(
            this,
            [this, result = std::move(result)] {
                if (graph_) {
                    graph_->showResult(result);
                    emit graphDrawn();
                }
            },
            Qt::QueuedConnection);
    };
    out.map = [this](display::MapResult result) {
        QMetaObject::invokeMethod(
            this,
            [this, result = std::move(result)] {
                if (map_) {
                    map_->showResult(result);
                    emit mapDrawn();
                }
            },
            Qt::QueuedConnection);
    };
    out.ask = [this, &loop](const base::MessageBox& box) {
        auto answer = std::make_shared<std::atomic<int>>(-1);
        QMetaObject::invokeMethod(
            this,
            [this, box, answer] { answer->store(static_cast<int>(presenter_.ask(box, window_.data()))); },
            Qt::QueuedConnection);
        // The procedure waits for the user, its loop still running.
        while (answer->load() < 0 && !loop.quitRequested()) loop.runFor(kAnswerSlice);
        const int given = answer->load();
        return given < 0 ? base::MessageAnswer::Cancel : static_cast<base::MessageAnswer>(given);
    };
    out.beep = [this] { QMetaObject::invokeMethod(this, [] { QApplication::beep(); }, Qt::QueuedConnection); };
    out.writeEcuKey = [this](const std::string& key, const std::string& value) {
        QMetaObject::invokeMethod(
            this, [this, key, value] { ini_.writeString(keys::ECU, key, value); }, Qt::QueuedConnection);
    };
    out.settingsChanged = [this](const session::SessionSettings& session) {
        QMetaObject::invokeMethod(
            this, [this, session] { writeSettings(session); }, Qt::QueuedConnection);
    };
    out.graphSettingsChanged = [this](const display::GraphSettings& graph, display::SettingsWrite how) {
        QMetaObject::invokeMethod(
            this, [this, graph, how] { writeGraphSettings(graph, how); }, Qt::QueuedConnection);
    };
    return out;
}

void SessionController::open(MainWindow& window, session::SessionSetup setup) {
    window_ = &window;
    oneByte_ = new OneByteController(linkThread_, ini_, window, [this] {
        if (graph_) graph_->close();
    }, this);
    connectWindow(window);
    // The procedures report whole control states: they must start from what the window shows.
    for (auto& [name, state] : setup.controls) {
        if (model_.has(name)) state.enabled = model_.control(name).enabled;
    }
    rebuild(std::move(setup), false);
}

void SessionController::rebuild(session::SessionSetup setup, bool linkDown) {
    captions_ = setup.catalog;
    if (afr_) applyCaptions(*afr_, captions_);
    if (oneByte_) oneByte_->closeAll();
    auto shared = std::make_shared<session::SessionSetup>(std::move(setup));
    linkThread_.post([this, shared, linkDown](LinkHost& context) {
        auto build = [this, &context, shared, linkDown] {
            if (linkDown) {
                context.link.Timer_present().setEnabled(false);
                context.link.setShape1(link::kShape1Red);
            }
            context.startSession(*shared, outputs(context.loop));
        };
        if (context.session) {
            context.session->stopMeasuring();
            // The old session may be deep in a procedure: replace it once it is idle,
            // from a task of its own rather than from inside the old session's timer.
            context.session->whenIdle([&context, build] { context.loop.post(build); });
        } else {
            build();
        }
    });
    if (linkDown) {
        model_.control("cdintialisation").enabled = true;
        model_.control("cdparametre").enabled = false;
        model_.control("CdReInit").enabled = false;
        model_.apply({});
        render();
    }
}

void SessionController::close(std::function<void()> done) {
    if (responder_) responder_->close();
    // Windows still open at quit keep their place for the next start.
    if (graph_ && graph_->isVisible()) saveWindowPosition(*graph_, ini_, support::WindowId::Graph);
    if (map_ && map_->isVisible()) saveWindowPosition(*map_, ini_, support::WindowId::Map);
    if (status_ && status_->isVisible()) saveWindowPosition(*status_, ini_, support::WindowId::Statuts);
    linkThread_.post([this, done = std::move(done)](LinkHost& context) {
        auto finish = [this, &context, done] {
            context.close(false);
            QMetaObject::invokeMethod(this, done, Qt::QueuedConnection);
        };
        if (context.session) {
            context.session->abort();
            // Keep the session alive until its procedures have returned.
            auto session = context.session;
            session->whenIdle([session, finish] { finish(); });
        } else {
            finish();
        }
    });
}

void SessionController::replay(std::vector<convert::LiveValues> rows) {
    withSession([rows = std::move(rows)](session::Session& session) {
        for (const auto& row : rows) {
            if (!session.replayRow(row)) break;
        }
    });
}

void SessionController::stopMeasuring() {
    withSession([](session::Session& session) { session.stopMeasuring(); });
}

void SessionController::setCatalog(const support::Catalog& catalog) {
    catalog_ = &catalog;
    if (responder_) responder_->setCatalog(catalog);
}

void SessionController::pauseForOptions() {
    linkThread_.post([this](LinkHost& context) {
        resumeMeasuring_ = context.session && context.session->measuring();
        if (context.session) context.session->stopMeasuring();
    });
}

void SessionController::resumeAfterOptions(std::optional<session::SessionSetup> setup) {
    auto shared = setup ? std::make_shared<session::SessionSetup>(std::move(*setup)) : nullptr;
    linkThread_.post([this, shared](LinkHost& context) {
        if (!context.session) return;
        context.session->whenIdle([this, &context, shared] {
            if (!context.session) return;
            if (shared) context.session->reconfigure(*shared);
            if (!resumeMeasuring_) return;
            resumeMeasuring_ = false;
            // From a task of its own: the cycle must not run inside the idle watch's tick.
            context.loop.post([&context] {
                if (context.session && context.session->linkUp()) context.session->parametre();
            });
        });
    });
}

void SessionController::render() {
    if (window_) window_->render(model_);
}

void SessionController::applyMain(const std::map<std::string, base::ControlState>& changes) {
    model_.apply(changes);
    // Each family has its diagnostic windows; a model without one keeps them disabled,
    // so that no control is live without doing what it says.
    const auto ecu = proto::modelFromIndex(settings_.TypeECU);
    if (opensErreurWindow(ecu)) {
        model_.control("mndiag").enabled = model_.control("cddiag").enabled;
    } else if (ecu && proto::isKwp(*ecu)) {
        // The fault and test window of the KWP2000 and OBD-II models.
        model_.control("mndiag").enabled = model_.control("cddiag").enabled;
    } else {
        for (const char* name : {"cddiag", "mndiag"}) model_.control(name).enabled = false;
    }
    if (opensTrimmer15Window(ecu)) {
        // Both windows need the free line; opening either takes cddiag until it closes.
        model_.control("cdTrimer15").enabled = model_.control("cddiag").enabled;
        model_.control("mnTrim15M").enabled = model_.control("cddiag").enabled;
    } else {
        for (const char* name : {"cdTrimer15", "mnTrim15M"}) model_.control(name).enabled = false;
    }
    model_.control("mnTrim15M").visible = opensTrimmer15Window(ecu);
    if (const auto main = changes.find("frmparam"); main != changes.end() && main->second.enabled && window_) {
        setMainCommandsEnabled(*window_, *main->second.enabled);
    }
    render();
    if (afr_) {
        if (const auto it = changes.find("cdAFR"); it != changes.end()) afr_->apply({*it});
    }
    if (graph_) graph_->setTraceChecked(model_.control("chgraph").checked);
    emit mainChanged();
}

void SessionController::setCheck(const std::string& name, bool checked) {
    model_.control(name).checked = checked;
    render();
    withSession([name, checked](session::Session& session) { session.setChecked(name, checked); });
}

void SessionController::writeSettings(const session::SessionSettings& session) {
    const auto flag = [&](const char* key, bool& field) {
        if (const auto it = session.channels.find(key); it != session.channels.end()) field = it->second;
    };
    flag("Air", settings_.Air);
    flag("Eau", settings_.Eau);
    flag("Avance", settings_.Avance);
    flag("Pression", settings_.Pression);
    flag("Lambda", settings_.Lambda);
    flag("Injection", settings_.Injection);
    flag("Tension", settings_.Tension);
    flag("Potar", settings_.Potar);
    flag("Trimmer", settings_.Trimmer);
    flag("MoteurPP", settings_.MoteurPP);
    settings_.Tempo = session.cycle.Tempo;
    settings_.EcritConfig(ini_);
}

void SessionController::writeGraphSettings(const display::GraphSettings& graph, display::SettingsWrite how) {
    settings_.NbPoint = graph.NbPoint;
    settings_.zMax = graph.zMax;
    settings_.zMin = graph.zMin;
    if (how == display::SettingsWrite::EcritConfig) settings_.EcritConfig(ini_);
    if (how == display::SettingsWrite::NbPointKey) ini_.writeInt(keys::Graphe, keys::NbPoint, graph.NbPoint);
}

void SessionController::connectWindow(MainWindow& window) {
    for (const char* name : {"cdintialisation", "MnInit", "chgraph", "chMap", "chStatutSonde", "mngraphe", "mnralenti",
                             "mnMap", "mnStatuts", "mnrepond", "mnTrafic", "chCSV"}) {
        model_.control(name).enabled = true;
    }
    render();

    connect(&window, &MainWindow::initRequested, this,
            [this] { withSession([](session::Session& s) { s.initialise(); }); });
    connect(&window, &MainWindow::reinitRequested, this,
            [this] { withSession([](session::Session& s) { s.reinitialise(); }); });
    connect(&window, &MainWindow::parametreRequested, this,
            [this] { withSession([](session::Session& s) { s.parametre(); }); });
    connect(&window, &MainWindow::frameDoubleClicked, this, [this](const QString& frame) {
        withSession([frame = frame.toStdString()](session::Session& s) { s.frameDoubleClick(frame); });
    });
    connect(&window, &MainWindow::tempoChanged, this,
            [this](int tempo) { withSession([tempo](session::Session& s) { s.setTempo(tempo); }); });
    connect(&window, &MainWindow::tempoStep, this,
            [this](int delta) { withSession([delta](session::Session& s) { s.stepTempo(delta); }); });
    connect(&window, &MainWindow::checkToggled, this, [this](const QString& name, bool checked) {
        setCheck(name.toStdString(), checked);
        if (!checked) return;
        if (name == "chgraph") showGraph();
        if (name == "chMap") showMap();
        if (name == "chStatutSonde") showStatus();
    });
    connect(&window, &MainWindow::trimmerScrolled, this, [this](int value) {
        model_.control("HScrollTrimmer").value = value;
        withSession([value](session::Session& s) { s.trimmerScroll(value); });
    });
    connect(&window, &MainWindow::trimmerStep, this,
            [this](int delta) { withSession([delta](session::Session& s) { s.trimmerStep(delta); }); });
    connect(&window, &MainWindow::trimmerReset, this,
            [this] { withSession([](session::Session& s) { s.trimmerReset(); }); });
    connect(&window, &MainWindow::trimmerStore, this,
            [this] { withSession([](session::Session& s) { s.trimmerStore(); }); });
    connect(&window, &MainWindow::stepperTest, this,
            [this] { withSession([](session::Session& s) { s.stepperTest(); }); });
    connect(&window, &MainWindow::graphToggled, this, [this] {
        const bool checked = !model_.control("chgraph").checked;
        setCheck("chgraph", checked);
        if (checked) showGraph();
    });
    connect(&window, &MainWindow::idleToggled, this, [this] {
        showGraph();
        graph_->toggleIdle();
    });
    connect(&window, &MainWindow::mapRequested, this, &SessionController::showMap);
    connect(&window, &MainWindow::statusRequested, this, &SessionController::showStatus);
    connect(&window, &MainWindow::identificationRequested, this, &SessionController::showIdentification);
    connect(&window, &MainWindow::diagRequested, this, [this] {
        if (opensErreurWindow(proto::modelFromIndex(settings_.TypeECU))) {
            oneByte_->showErreur();
        } else {
            showDiagnostic();
        }
    });
    connect(&window, &MainWindow::trimmer15Requested, this, [this] {
        if (opensTrimmer15Window(proto::modelFromIndex(settings_.TypeECU))) oneByte_->showTrimmer();
    });
    connect(&window, &MainWindow::trafficRequested, this, &SessionController::showTraffic);
    connect(&window, &MainWindow::responderRequested, this, &SessionController::showResponder);
}

void SessionController::showGraph() {
    if (!graph_) {
        auto* graph = new GraphWindow(window_);
        graph_ = graph;
        const auto stored = support::readPosition(ini_, support::WindowId::Graph);
        const auto place = display::placeGraphWindow(
            {stored.top, stored.left, stored.height.value_or(display::kGraphDefaultHeight),
             stored.width.value_or(display::kGraphDefaultWidth)});
        placeWindowAt(*graph, QPoint(support::twipsToPixels(place.left), support::twipsToPixels(place.top)),
                      QSize(support::twipsToPixels(place.width), support::twipsToPixels(place.height)));
        graph->setPoints(settings_.NbPoint);
        graph->setTrimmerEntries(settings_.Trimmer && model_.control("Frtrimmer").visible);
        connect(graph, &GraphWindow::optionsChanged, this, [this](const display::GraphOptions& options) {
            withSession([options](session::Session& s) { s.setGraphOptions(options); });
        });
        connect(graph, &GraphWindow::surfaceChanged, this, [this](const display::GraphSurface& surface) {
            withSession([surface](session::Session& s) { s.setGraphSurface(surface); });
        });
        connect(graph, &GraphWindow::scaleClicked, this,
                [this](int index) { withSession([index](session::Session& s) { s.scaleButton(index); }); });
        connect(graph, &GraphWindow::pointsChosen, this, [this](const QString& text) {
            withSession([text = text.toStdString()](session::Session& s) { s.pointsChosen(text); });
        });
        connect(graph, &GraphWindow::idleClicked, this, [this](bool checked) {
            withSession([checked](session::Session& s) { s.idleMode(checked); });
        });
        connect(graph, &GraphWindow::traceToggled, this, [this](bool checked) {
            if (model_.control("chgraph").checked != checked) setCheck("chgraph", checked);
        });
        connect(graph, &GraphWindow::tempoStep, this, [this](int delta) {
            withSession([delta](session::Session& s) { s.setTempo(s.settings().cycle.Tempo + delta); });
        });
        connect(graph, &GraphWindow::trimmerStep, this,
                [this](int delta) { withSession([delta](session::Session& s) { s.trimmerStep(delta); }); });
        connect(graph, &GraphWindow::closed, this, [this] {
            saveWindowPosition(*graph_, ini_, support::WindowId::Graph);
            setCheck("chgraph", false);
        });
    }
    graph_->setTraceChecked(model_.control("chgraph").checked);
    raise(*graph_);
    const auto options = graph_->options();
    const auto surface = graph_->surface();
    withSession([options, surface](session::Session& s) {
        s.setGraphOptions(options);
        s.setGraphSurface(surface);
    });
}

void SessionController::showMap() {
    if (!map_) {
        auto* map = new MapWindow(window_);
        map_ = map;
        placeWindow(*map, ini_, support::WindowId::Map);
        connect(map, &MapWindow::closed, this, [this] {
            saveWindowPosition(*map_, ini_, support::WindowId::Map);
            withSession([](session::Session& s) { s.resetMap(); });
            setCheck("chMap", false);
        });
    }
    if (!model_.control("chMap").checked) setCheck("chMap", true);
    raise(*map_);
}

void SessionController::showIdentification() {
    linkThread_.request(
        this,
        [](LinkHost& host) {
            return host.session ? host.session->identifyFromMenu() : std::optional<diag::IdentificationLines>{};
        },
        [this](std::optional<diag::IdentificationLines> lines) {
            if (!lines) return;
            if (!identification_) {
                identification_ = new IdentificationWindow(window_);
                if (catalog_) applyCaptions(*identification_, *catalog_);
                connect(identification_, &QDialog::finished, this,
                        [this] { withSession([](session::Session& s) { s.identificationClosed(); }); });
                connect(identification_, &IdentificationWindow::logRequested, this, [this] {
                    const auto shown = shownIdentification_;
                    withSession([shown](session::Session& s) { s.logIdentification(shown); });
                });
            }
            shownIdentification_ = *lines;
            identification_->showLines(*lines);
            raise(*identification_);
            emit identificationShown();
        });
}

Dtc59Window* SessionController::dtc59Window() const { return dtc59_.data(); }

void SessionController::showDiagnostic() {
    if (!proto::isKwp(proto::modelOrDefault(settings_.TypeECU))) return;
    // The window's state, reported while it loads and at every command, drawn here.
    auto changes = [this](std::map<std::string, base::ControlState> batch) {
        QMetaObject::invokeMethod(
            this,
            [this, batch = std::move(batch)] {
                if (dtc59_) dtc59_->apply(batch);
            },
            Qt::QueuedConnection);
    };
    if (!dtc59_) {
        static const support::Catalog french;
        auto* window = new Dtc59Window(catalog_ ? *catalog_ : french, window_);
        dtc59_ = window;
        placeWindow(*window, ini_, support::WindowId::DTC59);
        connect(window, &Dtc59Window::command, this, [this](const Dtc59Command& command) {
            withSession([command](session::Session& s) { s.diagnostic(command); });
        });
        connect(window, &Dtc59Window::urlRequested, this, [this](const QUrl& url) { presenter_.openUrl(url); });
        connect(window, &QDialog::finished, this, [this] {
            saveWindowPosition(*dtc59_, ini_, support::WindowId::DTC59);
            withSession([](session::Session& s) { s.diagnosticClosed(); });
            dtc59_->deleteLater();
        });
    }
    linkThread_.request(
        dtc59_.data(), [changes](LinkHost& host) { return host.session && host.session->openDiagnostic(changes); },
        [this](bool opened) {
            if (!opened || !dtc59_) return;
            raise(*dtc59_);
            emit diagnosticShown();
        });
}

void SessionController::showStatus() {
    if (!status_) {
        auto* status = new StatusWindow(window_);
        status_ = status;
        placeWindow(*status, ini_, support::WindowId::Statuts);
        connect(status, &StatusWindow::closed, this, [this] {
            saveWindowPosition(*status_, ini_, support::WindowId::Statuts);
            setCheck("chStatutSonde", false);
        });
    }
    raise(*status_);
}

void SessionController::showTraffic() {
    if (!traffic_) traffic_ = new TrafficWindow(window_);
    raise(*traffic_);
}

void SessionController::showResponder() {
    if (!responder_) {
        responder_ = new ResponderWindow(window_);
        responder_->setCatalog(model_.catalog());
    }
    raise(*responder_);
}

}  // namespace dravio::gui

namespace dravio::gui {

void SessionController::showAfr() { raise(afrWindowMade()); }

AfrWindow& SessionController::afrWindowMade() {
    if (!afr_) {
        auto* afr = new AfrWindow(window_);
        afr_ = afr;
        placeWindow(*afr, ini_, support::WindowId::AFR);
        applyCaptions(*afr, captions_);
        connect(afr, &AfrWindow::checkToggled, this, [this](const QString& name, bool checked) {
            withSession([name = name.toStdString(), checked](session::Session& s) { s.afrChecked(name, checked); });
        });
        connect(afr, &AfrWindow::measureRequested, this,
                [this] { withSession([](session::Session& s) { s.parametre(); }); });
        connect(afr, &AfrWindow::closed, this, [this] { saveWindowPosition(*afr_, ini_, support::WindowId::AFR); });
    }
    return *afr_;
}

}  // namespace dravio::gui
