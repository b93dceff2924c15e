#include "gui/application.h"

#include <QFileInfo>

#include "display/workbook_recording.h"
#include "gui/about_window.h"
#include "gui/caption_ids.h"
#include "gui/caption_walker.h"
#include "gui/interface_window.h"
#include "gui/main_window.h"
#include "gui/options_window.h"
#include "gui/session_controller.h"
#include "gui/trace_window.h"
#include "gui/window_placement.h"
#include "session/lambda_devices.h"
#include "session/recorder.h"
#include "support/data_dir.h"
#include "support/settings_keys.h"
#include "support/version_text.h"

namespace dravio::gui {

namespace {
constexpr const char* kDejaLance = "Dravio est déjà lancé";
constexpr const char* kFichierAbsent = "Fichier absent";

QString qs(const std::string& text) { return QString::fromStdString(text); }
}  // namespace

AppConfig AppConfig::fromProcess() {
    AppConfig config;
    config.environment = support::Environment::fromProcess();
    config.dataDir = support::programDataDir();
    return config;
}

Application::Application(AppConfig config, DialogPresenter& presenter, QObject* parent)
    : QObject(parent), config_(std::move(config)), presenter_(presenter), linkThread_(config_.devices) {}

Application::~Application() {
    // Windows first: they may still hold requests to the link thread.
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

Application::Start Application::start() {
    const auto setup = support::setUpFolders(config_.environment);
    folders_ = setup.folders;
    ini_ = std::make_unique<support::IniFile>(folders_.settingsFile());

    instance_ = std::make_unique<support::SingleInstance>(folders_.lockFile());
    if (instance_->tryAcquire() == support::SingleInstance::Result::AlreadyRunning) {
        presenter_.message(DialogPresenter::Icon::Critical, "Dravio", kDejaLance, nullptr);
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
    if (!instance_->held()) {
        linkThread_.post([why = instance_->error()](LinkHost& context) { context.trace.EcritTrace(why, false); });
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
    connect(window, &QDialog::finished, this, [this] {
        if (!quitting_) afterInterface();
    });
    applyCaptions(*window, language_.catalog);
    window->load();
    window->open();
    return Start::Running;
}

void Application::selectLanguage() {
    language_ = support::selectLanguage(settings_.Langue, config_.dataDir);
    if (language_.settingReplaced) settings_.Langue = language_.language;
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
    session_->open(*mainWindow_, sessionSetup());

    linkThread_.post([line = "Version : Dravio" + versionText_, file = traceFile_.FichierTrace](LinkHost& context) {
        context.trace.EcritTrace(line, false);
        context.trace.openFile(file);
    });
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
    if (mainWindow_) {
        render();
        applyCaptions(*mainWindow_, language_.catalog);
    }
    if (traceWindow_) applyCaptions(*traceWindow_, language_.catalog);
}

void Application::toggleTest() {
    model_.toggleTest(modeDemo_, language_.catalog);
    linkThread_.post([demo = modeDemo_](LinkHost& context) { context.link.ModeDemo = demo; });
    render();
}

void Application::openOptions() {
    if (!mainWindow_ || optionsWindow_) return;
    // The settings must not change under a running cycle.
    if (session_) session_->stopMeasuring();
    auto* window =
        new OptionsWindow(OptionsModel(settings_, modeles_, modeDemo_), *ini_, presenter_, mainWindow_.get());
    window->setAttribute(Qt::WA_DeleteOnClose);
    optionsWindow_ = window;
    connect(window, &OptionsWindow::settingsAccepted, this, &Application::settingsAccepted);
    applyCaptions(*window, language_.catalog);
    window->open();
}

void Application::settingsAccepted(const support::Settings& settings, bool modeDemo) {
    const bool languageChanged = settings.Langue != settings_.Langue;
    const bool linkDown = settings.TypeECU != settings_.TypeECU || modeDemo != modeDemo_;
    settings_ = settings;
    modeDemo_ = modeDemo;
    linkThread_.post([demo = modeDemo_, model = proto::modelOrDefault(settings_.TypeECU)](LinkHost& context) {
        context.link.ModeDemo = demo;
        context.link.TypeECU = model;
    });
    if (session_) session_->rebuild(sessionSetup(), linkDown);
    model_.showChannels(settings_);
    model_.showUnits(settings_);
    model_.showModel(settings_);
    model_.showDemo(modeDemo_);
    if (languageChanged) {
        selectLanguage();
        if (model_.MesuresArretees) {
            model_.control("lbPanel2").caption =
                language_.catalog.GetResourceString(text_id::Attente, main_text::Attente);
        }
    }
    applyLanguage();
}

void Application::showAbout() {
    if (aboutWindow_) return;
    auto* window = new AboutWindow(qs(versionText_), projectPage(), mainWindow_.get());
    window->setAttribute(Qt::WA_DeleteOnClose);
    aboutWindow_ = window;
    connect(window, &AboutWindow::linkActivated, this, &Application::openFile);
    window->open();
}

QUrl Application::projectPage() const { return QUrl::fromLocalFile(qs((config_.dataDir / "README.md").string())); }

void Application::openHelp() {
    for (const auto& candidate : {folders_.DossierFiles / "Dravio.html", config_.dataDir / "README.md"}) {
        if (QFileInfo::exists(qs(candidate.string()))) {
            openFile(QUrl::fromLocalFile(qs(candidate.string())));
            return;
        }
    }
    presenter_.message(DialogPresenter::Icon::Information, "Dravio", kFichierAbsent, mainWindow_.get());
}

void Application::openWeb() { openFile(projectPage()); }

void Application::openFile(const QUrl& url) {
    if (!presenter_.openUrl(url)) {
        presenter_.message(DialogPresenter::Icon::Information, "Dravio", "Impossible d'ouvrir " + url.toString(),
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
