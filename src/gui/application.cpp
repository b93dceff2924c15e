#include "gui/application.h"

#include <QFileInfo>

#include "ecu/request_table.h"
#include "gui/about_window.h"
#include "gui/caption_ids.h"
#include "gui/caption_walker.h"
#include "gui/interface_window.h"
#include "gui/link_shutdown.h"
#include "gui/main_window.h"
#include "gui/options_window.h"
#include "gui/trace_window.h"
#include "gui/window_placement.h"
#include "link/framing.h"
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
    linkThread_.post([](LinkContext& context) {
        context.link.EnteteRequete = link::kEnteteRequeteDefaut;
        context.link.EnteteReponse = link::kEnteteReponseDefaut;
    });

    traceWindow_ = std::make_unique<TraceWindow>();
    connect(&linkThread_, &LinkThread::traceChanged, traceWindow_.get(), &TraceWindow::showLines);
    placeWindow(*traceWindow_, *ini_, support::WindowId::Trace);
    traceWindow_->show();

    // Start-up carries on whatever the folders did; the trace says what went wrong.
    for (const auto& problem : setup.status.problems) {
        linkThread_.post([problem](LinkContext& context) { context.trace.EcritTrace(problem, false); });
    }
    if (!instance_->held()) {
        linkThread_.post([why = instance_->error()](LinkContext& context) { context.trace.EcritTrace(why, false); });
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
        linkThread_.post([why = language_.problem](LinkContext& context) { context.trace.EcritTrace(why, false); });
    }
}

void Application::afterInterface() {
    outcome_ = interfaceWindow_ ? interfaceWindow_->outcome() : outcome_;
    // The ELM327 path never runs on canned answers.
    if (outcome_.TypeInterface == link::kInterfaceElm) outcome_.ModeDemo = false;
    modeDemo_ = outcome_.ModeDemo;
    settings_.Port = ini_->readInt(support::keys::COM, support::keys::PORT, 1);

    linkThread_.post([outcome = outcome_, typeEcu = settings_.TypeECU](LinkContext& context) {
        context.link.TypeInterface = outcome.TypeInterface;
        context.link.ModeDemo = outcome.ModeDemo;
        context.link.TypeECU = static_cast<std::int16_t>(typeEcu);
        if (context.interfaceSelection) context.link.setCable(context.interfaceSelection->cable());
        context.interfaceSelection.reset();
    });

    modeles_ = ecu::InitModeles();
    model_.SetInitialisation(settings_);
    model_.showStartStatus(outcome_, language_.catalog);

    mainWindow_ = std::make_unique<MainWindow>(model_);
    placeWindow(*mainWindow_, *ini_, support::WindowId::Param);
    applyLanguage();
    mainWindow_->show();
    connectMainWindow();

    linkThread_.post([line = "Version : Dravio" + versionText_, file = traceFile_.FichierTrace](LinkContext& context) {
        context.trace.EcritTrace(line, false);
        context.trace.openFile(file);
    });
    emit mainWindowReady();
}

void Application::connectMainWindow() {
    auto* window = mainWindow_.get();
    connect(window, &MainWindow::quitRequested, this, &Application::quit);
    connect(window, &MainWindow::preferencesRequested, this, &Application::openOptions);
    connect(window, &MainWindow::testRequested, this, &Application::toggleTest);
    connect(window, &MainWindow::tempoChanged, this, &Application::setTempo);
    connect(window, &MainWindow::tempoStep, this,
            [this](int delta) { setTempo(model_.control("HScrollMoyenne").value + delta); });
    connect(window, &MainWindow::aboutRequested, this, &Application::showAbout);
    connect(window, &MainWindow::helpRequested, this, &Application::openHelp);
    connect(window, &MainWindow::webRequested, this, &Application::openWeb);
    connect(window, &MainWindow::resized, this, &Application::saveMainPosition);
    connect(&linkThread_, &LinkThread::shape1Changed, window, &MainWindow::showShape1);
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

void Application::setTempo(int tempo) {
    if (model_.setTempo(tempo, settings_)) settings_.EcritConfig(*ini_);
    render();
}

void Application::toggleTest() {
    model_.toggleTest(modeDemo_, language_.catalog);
    linkThread_.post([demo = modeDemo_](LinkContext& context) { context.link.ModeDemo = demo; });
    render();
}

void Application::openOptions() {
    if (!mainWindow_ || optionsWindow_) return;
    // A running cycle would be stopped here before the settings change.
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
    settings_ = settings;
    modeDemo_ = modeDemo;
    linkThread_.post([demo = modeDemo_, typeEcu = settings_.TypeECU](LinkContext& context) {
        context.link.ModeDemo = demo;
        context.link.TypeECU = static_cast<std::int16_t>(typeEcu);
    });
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
    // A running measurement cycle would be asked to stop here, and the CSV box cleared.
    model_.control("chCSV").checked = false;
    model_.control("cdquitter").enabled = false;
    render();
    if (optionsWindow_) optionsWindow_->reject();
    if (aboutWindow_) aboutWindow_->reject();
    if (interfaceWindow_) interfaceWindow_->reject();

    const auto typeEcu = static_cast<std::int16_t>(settings_.TypeECU);
    const auto typeInterface = outcome_.TypeInterface;
    linkThread_.request(
        this,
        [typeEcu, typeInterface](LinkContext& context) {
            closeLink(context.link, ecu::RequestTable{}, typeEcu, typeInterface);
            if (context.devices.elm && context.devices.elm->isOpen()) context.devices.elm->close();
            context.trace.closeFile();
            return true;
        },
        [this](bool) { finishQuit(); });
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
