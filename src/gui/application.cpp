#include "gui/application.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <chrono>
#include <cstdlib>

#include "display/workbook_recording.h"
#include "gui/about_window.h"
#include "gui/caption_ids.h"
#include "gui/caption_walker.h"
#include "gui/interface_window.h"
#include "gui/logwork_window.h"
#include "gui/main_window.h"
#include "gui/options_window.h"
#include "gui/replay_window.h"
#include "gui/session_controller.h"
#include "gui/trace_window.h"
#include "gui/update_check.h"
#include "gui/window_placement.h"
#include "session/lambda_devices.h"
#include "session/recorder.h"
#include "support/data_dir.h"
#include "support/help_pages.h"
#include "support/settings_keys.h"
#include "support/update/update_list.h"
#include "support/version_text.h"

namespace dravio::gui {

namespace {
constexpr const char* kDejaLance = "Dravio est déjà lancé";

QString qs(const std::string& text) { return QString::fromStdString(text); }
}  // namespace

AppConfig AppConfig::fromProcess() {
    AppConfig config;
    config.environment = support::Environment::fromProcess();
    config.dataDir = support::programDataDir();
    config.updateCheckAtStart = true;
    return config;
}

Application::Application(AppConfig config, DialogPresenter& presenter, QObject* parent)
    : QObject(parent), config_(std::move(config)), presenter_(presenter), linkThread_(config_.devices) {}

Application::~Application() {
    // Windows first: they may still hold requests to the link thread.
    updateCheck_.reset();
    delete logWorkWindow_.data();
    delete replayWindow_.data();
    delete optionsWindow_.data();
    delete aboutWindow_.data();
    delete interfaceWindow_.data();
    mainWindow_.reset();
    traceWindow_.reset();
    linkThread_.stop();
}

InterfaceWindow* Application::interfaceWindow() const { return interfaceWindow_.data(); }
OptionsWindow* Application::optionsWindow() const { return optionsWindow_.data(); }
AboutWindow* Application::aboutWindow() const { return aboutWindow_.data(); }
LogWorkWindow* Application::logWorkWindow() const { return logWorkWindow_.data(); }
ReplayWindow* Application::replayWindow() const { return replayWindow_.data(); }

Application::Start Application::start() {
    const auto setup = support::setUpFolders(config_.environment);
    folders_ = setup.folders;
    ini_ = std::make_unique<support::IniFile>(folders_.settingsFile());

    // The language first, so that even the refusals below speak it.
    settings_.load(*ini_);
    language_ = support::selectLanguage(settings_.Langue, config_.dataDir);
    const auto& catalog = language_.catalog;

    instance_ = std::make_unique<support::SingleInstance>(support::lockFile(config_.environment, folders_.DossierDravio));
    const auto lock = instance_->tryAcquire();
    if (lock == support::SingleInstance::Result::AlreadyRunning) {
        presenter_.message(DialogPresenter::Icon::Critical, "Dravio", qs(catalog.GetResourceString(2501, kDejaLance)),
                           nullptr);
        return Start::AlreadyRunning;
    }
    if (lock == support::SingleInstance::Result::Error) {
        // Unguarded, two programs could talk on one cable at once.
        presenter_.message(DialogPresenter::Icon::Critical, "Dravio",
                           qs(catalog.GetResourceString(2502, "Dravio ne peut pas vérifier qu'il est seul lancé : ") +
                              instance_->error()),
                           nullptr);
        return Start::AlreadyRunning;
    }

    linkThread_.start();
    linkThread_.post([](LinkHost& context) {
        context.link.EnteteRequete = std::string(proto::kEnteteRequeteDefaut);
        context.link.EnteteReponse = std::string(proto::kEnteteReponseDefaut);
    });

    traceWindow_ = std::make_unique<TraceWindow>();
    connect(&linkThread_, &LinkThread::traceChanged, traceWindow_.get(), &TraceWindow::showLines);
    placeWindow(*traceWindow_, *ini_, support::WindowId::Trace);
    traceWindow_->show();

    // Start-up carries on whatever the folders did; the trace says what went wrong.
    for (const auto& problem : setup.status.problems) {
        linkThread_.post([problem](LinkHost& context) { context.trace.EcritTrace(problem, false); });
    }

    traceFile_ = support::rotateTraceFile(*ini_, folders_.DossierLog);
    const std::string osName = config_.osName.empty() ? support::operatingSystemName() : config_.osName;
    versionText_ = support::versionText(support::programVersion(), osName);

    settings_.load(*ini_);
    selectLanguage();
    model_.showTitle(language_.catalog, versionText_);

    auto* window = new InterfaceWindow(linkThread_, *ini_, presenter_, projectPage());
    window->setAttribute(Qt::WA_DeleteOnClose);
    interfaceWindow_ = window;
    connect(window, &InterfaceWindow::firstShown, this, &Application::interfaceWindowShown);
    // Closing the window or Escape chooses nothing: the program ends.
    connect(window, &QDialog::finished, this, [this](int result) {
        if (quitting_) return;
        if (result == QDialog::Accepted) {
            afterInterface();
        } else {
            quit();
        }
    });
    applyCaptions(*window, language_.catalog);
    window->setCatalog(language_.catalog);
    window->load();
    window->open();
    return Start::Running;
}

void Application::selectLanguage() {
    language_ = support::selectLanguage(settings_.Langue, config_.dataDir);
    if (language_.settingReplaced) settings_.Langue = language_.language;
    model_.translate(language_.catalog);
    languageApplier_.setCatalog(language_.catalog);
    if (!language_.problem.empty()) {
        linkThread_.post([why = language_.problem](LinkHost& context) { context.trace.EcritTrace(why, false); });
    }
}

void Application::afterInterface() {
    outcome_ = interfaceWindow_ ? interfaceWindow_->outcome() : outcome_;
    // The ELM327 path never runs on canned answers.
    if (outcome_.TypeInterface == session::kInterfaceElm) outcome_.ModeDemo = false;
    modeDemo_ = outcome_.ModeDemo;
    settings_.Port = ini_->readInt(support::keys::COM, support::keys::PORT, 1);

    linkThread_.post([outcome = outcome_, model = proto::modelOrDefault(settings_.TypeECU)](LinkHost& context) {
        context.link.TypeInterface = outcome.TypeInterface;
        context.link.ModeDemo = outcome.ModeDemo;
        context.link.TypeECU = model;
        if (context.interfaceSelection) context.devices = context.interfaceSelection->takeDevices();
        context.interfaceSelection.reset();
    });

    modeles_ = proto::InitModeles();
    model_.SetInitialisation(settings_);
    model_.showStartStatus(outcome_, language_.catalog);
    model_.control("Chenregistre").enabled = display::ExcelPresent(folders_.DossierData);

    mainWindow_ = std::make_unique<MainWindow>(model_);
    placeWindow(*mainWindow_, *ini_, support::WindowId::Param);
    applyLanguage();
    mainWindow_->show();
    connectMainWindow();
    session_ = std::make_unique<SessionController>(linkThread_, presenter_, model_, settings_, *ini_);
    session_->setCatalog(languageApplier_.catalog());
    connect(&languageApplier_, &LanguageApplier::languageChanged, session_.get(), &SessionController::setCatalog);
    // The trace file first: the session's first lines (its scheduling mode) belong in it.
    linkThread_.post([line = "Version : Dravio" + versionText_, file = traceFile_.FichierTrace](LinkHost& context) {
        context.trace.EcritTrace(line, false);
        context.trace.openFile(file);
    });
    session_->open(*mainWindow_, sessionSetup());
    if (config_.updateCheckAtStart) checkForUpdates(false);
    // A text recording a crash left behind becomes its ".csv" now.
    linkThread_.post([data = folders_.DossierData](LinkHost& context) { session::recoverRecordings(context.trace, data); });
    emit mainWindowReady();
}

void Application::connectMainWindow() {
    auto* window = mainWindow_.get();
    connect(window, &MainWindow::quitRequested, this, &Application::quit);
    connect(window, &MainWindow::preferencesRequested, this, &Application::openOptions);
    connect(window, &MainWindow::testRequested, this, &Application::toggleTest);
    connect(window, &MainWindow::aboutRequested, this, &Application::showAbout);
    connect(window, &MainWindow::helpRequested, this, &Application::openHelp);
    connect(window, &MainWindow::webRequested, this, &Application::openWeb);
    connect(window, &MainWindow::traceRequested, this, [this] {
        if (!traceWindow_) return;
        traceWindow_->show();
        traceWindow_->raise();
        traceWindow_->activateWindow();
    });
    connect(window, &MainWindow::convertRequested, this, &Application::openConvert);
    connect(window, &MainWindow::replayRequested, this, &Application::openReplay);
    connect(window, &MainWindow::resized, this, &Application::saveMainPosition);
    connect(&linkThread_, &LinkThread::shape1Changed, window, [this](quint32 bgr) {
        model_.Shape1 = bgr;
        if (mainWindow_) mainWindow_->showShape1(bgr);
    });
}

void Application::render() {
    if (mainWindow_) mainWindow_->render(model_);
}

void Application::applyLanguage() {
    model_.showTitle(language_.catalog, versionText_);
    model_.translate(language_.catalog);
    render();
    languageApplier_.setCatalog(language_.catalog);
}

void Application::toggleTest() {
    model_.toggleTest(modeDemo_, language_.catalog);
    linkThread_.post([demo = modeDemo_](LinkHost& context) { context.link.ModeDemo = demo; });
    render();
}

void Application::openOptions() {
    if (!mainWindow_ || optionsWindow_) return;
    // The settings must not change under a running cycle.
    if (session_) session_->pauseForOptions();
    auto* window =
        new OptionsWindow(OptionsModel(settings_, modeles_, modeDemo_), *ini_, presenter_, mainWindow_.get());
    window->setAttribute(Qt::WA_DeleteOnClose);
    optionsWindow_ = window;
    connect(window, &OptionsWindow::settingsAccepted, this, &Application::settingsAccepted);
    connect(window, &QDialog::rejected, this, [this] {
        if (session_) session_->resumeAfterOptions(std::nullopt);
    });
    applyCaptions(*window, language_.catalog);
    window->open();
}

void Application::settingsAccepted(const support::Settings& settings, bool modeDemo) {
    const bool languageChanged = settings.Langue != settings_.Langue;
    const bool linkDown = settings.TypeECU != settings_.TypeECU || modeDemo != modeDemo_;
    settings_ = settings;
    modeDemo_ = modeDemo;
    if (languageChanged) {
        selectLanguage();
        if (model_.MesuresArretees) {
            model_.control("lbPanel2").caption =
                language_.catalog.GetResourceString(text_id::Attente, main_text::Attente);
        }
    }
    model_.showChannels(settings_);
    model_.showUnits(settings_);
    model_.showModel(settings_);
    model_.showDemo(modeDemo_);
    applyLanguage();
    if (!session_) return;
    if (!linkDown) {
        session_->resumeAfterOptions(sessionSetup());
        return;
    }
    // A new model or mode needs a new initialisation: the link goes down where the rider sees it.
    model_.showLinkDown(language_.catalog);
    render();
    linkThread_.post([demo = modeDemo_, model = proto::modelOrDefault(settings_.TypeECU),
                      why = language_.catalog.GetResourceString(
                          text_id::LinkDownOptions, "Liaison coupée : le modèle d'ECU ou le mode a changé, "
                                                    "une nouvelle initialisation est nécessaire")](LinkHost& context) {
        context.link.ModeDemo = demo;
        context.link.TypeECU = model;
        context.trace.EcritTrace(why, false);
    });
    session_->rebuild(sessionSetup(), true);
}

void Application::showAbout() {
    if (aboutWindow_) return;
    auto* window = new AboutWindow(qs(versionText_), projectPage(), mainWindow_.get());
    window->setAttribute(Qt::WA_DeleteOnClose);
    aboutWindow_ = window;
    connect(window, &AboutWindow::linkActivated, this, &Application::openFile);
    connect(window, &AboutWindow::updateRequested, this, [this] { checkForUpdates(true); });
    applyCaptions(*window, language_.catalog);
    window->open();
}

QUrl Application::projectPage() const { return QUrl::fromLocalFile(qs((config_.dataDir / "README.md").string())); }

void Application::openHelp() {
    const auto page = support::findHelpPage(support::kHelpIndex, language_.language, folders_.DossierFiles / "help",
                                            config_.dataDir / "help");
    if (page.path) {
        openFile(QUrl::fromLocalFile(qs(page.path->string())));
        return;
    }
    presenter_.message(DialogPresenter::Icon::Information, "Dravio", qs(page.message), mainWindow_.get());
    // The help comes with the update list: fetched now, it is there next time.
    checkForUpdates(true);
}

void Application::openWeb() { openFile(QUrl(qs(std::string(support::kProjectWebPage)))); }

void Application::openConvert() {
    if (!mainWindow_) return;
    if (!logWorkWindow_) {
        auto* window =
            new LogWorkWindow(*ini_, folders_.DossierFiles, language_.catalog, presenter_, mainWindow_.get());
        window->setAttribute(Qt::WA_DeleteOnClose);
        logWorkWindow_ = window;
        applyCaptions(*window, language_.catalog);
    }
    logWorkWindow_->show();
    logWorkWindow_->raise();
}

void Application::openReplay() {
    if (!mainWindow_) return;
    if (!replayWindow_) {
        auto* window = new ReplayWindow(language_.catalog, mainWindow_.get());
        window->setAttribute(Qt::WA_DeleteOnClose);
        replayWindow_ = window;
        connect(window, &ReplayWindow::rowsDue, this, [this](const std::vector<convert::LiveValues>& rows) {
            if (session_) session_->replay(rows);
        });
        applyCaptions(*window, language_.catalog);
    }
    replayWindow_->show();
    replayWindow_->raise();
}

void Application::checkForUpdates(bool evenIfNotDue) {
    const auto today = std::chrono::floor<std::chrono::days>(std::chrono::system_clock::now());
    if (!evenIfNotDue && !support::startupCheckDue(*ini_, today)) return;
    if (!updateCheck_) {
        updateCheck_ = std::make_unique<UpdateCheck>(
            presenter_,
            [this](const std::string& line) {
                linkThread_.post([line](LinkHost& context) { context.trace.EcritTrace(line, false); });
            },
            mainWindow_.get());
        connect(updateCheck_.get(), &UpdateCheck::finished, this, [this, today](bool listLoaded) {
            // No list, no check: the next start tries again.
            if (listLoaded && ini_) support::recordCheck(*ini_, today);
        });
    }
    const char* xdgDataHome = std::getenv("XDG_DATA_HOME");
    const auto places = support::updatePlacesFor(
        folders_, config_.dataDir, std::filesystem::path(QCoreApplication::applicationDirPath().toStdString()),
        support::applicationsFolder(xdgDataHome ? std::optional<std::string>(xdgDataHome) : std::nullopt,
                                    config_.environment.home));
    updateCheck_->start(support::updateServer(*ini_), places, support::programVersion(), language_.catalog);
}

void Application::openFile(const QUrl& url) {
    if (!presenter_.openUrl(url)) {
        presenter_.message(DialogPresenter::Icon::Information, "Dravio",
                           qs(language_.catalog.GetResourceString(2310, "Impossible d'ouvrir ")) + url.toString(),
                           mainWindow_.get());
    }
}

void Application::saveMainPosition() {
    if (mainWindow_ && mainWindow_->isVisible() && !quitting_) {
        saveWindowPosition(*mainWindow_, *ini_, support::WindowId::Param);
    }
}

void Application::quit() {
    if (quitting_ || finished_) return;
    quitting_ = true;
    if (!linkThread_.running()) {
        finishQuit();
        return;
    }
    model_.control("chCSV").checked = false;
    model_.control("cdquitter").enabled = false;
    render();
    if (optionsWindow_) optionsWindow_->reject();
    if (aboutWindow_) aboutWindow_->reject();
    if (logWorkWindow_) logWorkWindow_->close();
    if (replayWindow_) replayWindow_->close();
    updateCheck_.reset();
    if (interfaceWindow_) interfaceWindow_->reject();

    if (session_) {
        // Stops a running cycle and waits for it before the link is closed.
        session_->close([this] { finishQuit(); });
        return;
    }
    linkThread_.request(
        this,
        [](LinkHost& context) {
            context.close(false);
            return true;
        },
        [this](bool) { finishQuit(); });
}

session::SessionSetup Application::sessionSetup() const {
    session::SessionSetup setup;
    setup.model = proto::modelOrDefault(settings_.TypeECU);
    setup.modeDemo = modeDemo_;
    auto& s = setup.settings;
    s.cycle.Tempo = static_cast<std::int16_t>(settings_.Tempo);
    s.cycle.UniteTemp = settings_.UniteTemp;
    s.cycle.UnitePression = settings_.UnitePression;
    s.cycle.Trimmer = settings_.Trimmer;
    s.cycle.zMin = static_cast<std::int16_t>(settings_.zMin);
    s.graph = {static_cast<std::int16_t>(settings_.NbPoint), static_cast<std::int16_t>(settings_.zMax),
               static_cast<std::int16_t>(settings_.zMin)};
    s.channels = {{"Air", settings_.Air},         {"Eau", settings_.Eau},       {"Avance", settings_.Avance},
                  {"Pression", settings_.Pression}, {"Lambda", settings_.Lambda}, {"Injection", settings_.Injection},
                  {"Tension", settings_.Tension}, {"Potar", settings_.Potar},   {"Trimmer", settings_.Trimmer},
                  {"MoteurPP", settings_.MoteurPP}};
    s.autoStart = settings_.Auto;
    s.autoReinit = settings_.ReInitAuto;
    for (const auto key : {support::keys::Init, support::keys::InitB, support::keys::Chrono}) {
        if (ini_->hasKey(support::keys::ECU, key)) {
            setup.ecuMemory[std::string(key)] = ini_->readString(support::keys::ECU, key, "");
        }
    }
    setup.traceFiles = {folders_.DossierLog, traceFile_.number};
    setup.versionText = versionText_;
    setup.catalog = language_.catalog;
    setup.DossierData = folders_.DossierData;
    setup.lambda = session::lambdaConfig(settings_);
    for (const auto& [name, control] : model_.controls()) {
        base::ControlState state;
        state.text = control.caption;
        state.visible = control.visible;
        state.enabled = control.enabled;
        state.checked = control.checked;
        state.value = control.value;
        setup.controls[name] = state;
    }
    return setup;
}

void Application::finishQuit() {
    if (ini_) {
        if (mainWindow_) saveWindowPosition(*mainWindow_, *ini_, support::WindowId::Param);
        if (traceWindow_) saveWindowPosition(*traceWindow_, *ini_, support::WindowId::Trace);
    }
    linkThread_.stop();
    if (mainWindow_) {
        mainWindow_->allowClose();
        mainWindow_->close();
    }
    if (traceWindow_) traceWindow_->close();
    finished_ = true;
    emit finished();
}

}  // namespace dravio::gui
