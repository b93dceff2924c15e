// gui: the program's start-up and shutdown, as steps driven by the Qt event loop.
// start() runs up to the interface window and returns; the rest of start-up runs
// when that window closes. quit() ends the link's session on the link thread and
// writes the window positions, then emits finished(). Nothing here runs a modal
// loop: message boxes go through the DialogPresenter, which tests replace.
#pragma once

#include <QObject>
#include <QPointer>
#include <QUrl>
#include <filesystem>
#include <memory>
#include <string>

#include "proto/models.h"
#include "gui/dialog_presenter.h"
#include "gui/language_applier.h"
#include "gui/link_thread.h"
#include "gui/main_window_model.h"
#include "session/session.h"
#include "support/folders.h"
#include "support/ini_file.h"
#include "support/language.h"
#include "support/settings.h"
#include "support/single_instance.h"
#include "support/trace_rotation.h"

namespace dravio::gui {

class AboutWindow;
class InterfaceWindow;
class LogWorkWindow;
class ReplayWindow;
class UpdateCheck;
class MainWindow;
class OptionsWindow;
class SessionController;
class TraceWindow;

struct AppConfig {
    support::Environment environment;
    std::filesystem::path dataDir;    // holds lang/ and the README shown as help
    DeviceFactoryMaker devices = realDevices;
    std::string osName;               // "" = the running system's name
    // The update check at start when due (UPDATE/Revision); off unless from the process.
    bool updateCheckAtStart = false;

    static AppConfig fromProcess();
};

class Application : public QObject {
    Q_OBJECT
public:
    enum class Start { Running, AlreadyRunning };

    Application(AppConfig config, DialogPresenter& presenter, QObject* parent = nullptr);
    ~Application() override;

    // Folders, single instance, link thread, trace window, trace file choice,
    // settings, language, title, then opens the interface window.
    Start start();
    // Quits as the quit button does; finished() follows once all is closed.
    void quit();

    InterfaceWindow* interfaceWindow() const;
    MainWindow* mainWindow() const { return mainWindow_.get(); }
    TraceWindow* traceWindow() const { return traceWindow_.get(); }
    OptionsWindow* optionsWindow() const;
    AboutWindow* aboutWindow() const;
    LogWorkWindow* logWorkWindow() const;
    ReplayWindow* replayWindow() const;
    UpdateCheck* updateCheck() const { return updateCheck_.get(); }
    const MainWindowModel& model() const { return model_; }
    const support::Settings& settings() const { return settings_; }
    const support::Folders& folders() const { return folders_; }
    const support::TraceFileChoice& traceFile() const { return traceFile_; }
    const std::string& versionText() const { return versionText_; }
    const support::Catalog& catalog() const { return language_.catalog; }
    bool modeDemo() const { return modeDemo_; }
    LinkThread& linkThread() { return linkThread_; }
    // The main window's link procedures and the windows they feed; null before the
    // interface is chosen.
    SessionController* session() const { return session_.get(); }

    // Menu commands that work today.
    void openOptions();
    void toggleTest();
    void showAbout();
    void openHelp();
    void openWeb();
    void openConvert();
    void openReplay();
    // Find_Update on its worker, when UPDATE/Revision says it is due (or always).
    void checkForUpdates(bool evenIfNotDue);

    // The README stands for the release notes, the help and the project page.
    QUrl projectPage() const;

signals:
    void interfaceWindowShown();
    void mainWindowReady();
    void finished();

private:
    void afterInterface();
    void connectMainWindow();
    void render();
    void selectLanguage();
    void applyLanguage();
    void settingsAccepted(const support::Settings& settings, bool modeDemo);
    void saveMainPosition();
    void finishQuit();
    void openFile(const QUrl& url);
    session::SessionSetup sessionSetup() const;

    AppConfig config_;
    DialogPresenter& presenter_;
    LinkThread linkThread_;
    support::Folders folders_;
    std::unique_ptr<support::IniFile> ini_;
    std::unique_ptr<support::SingleInstance> instance_;
    support::TraceFileChoice traceFile_;
    support::Settings settings_;
    support::LanguageSelection language_;
    LanguageApplier languageApplier_;
    proto::Modeles modeles_;
    std::string versionText_;
    MainWindowModel model_;
    InterfaceOutcome outcome_;
    bool modeDemo_ = true;
    bool quitting_ = false;
    bool finished_ = false;

    std::unique_ptr<SessionController> session_;
    std::unique_ptr<TraceWindow> traceWindow_;
    std::unique_ptr<MainWindow> mainWindow_;
    QPointer<InterfaceWindow> interfaceWindow_;
    QPointer<OptionsWindow> optionsWindow_;
    QPointer<AboutWindow> aboutWindow_;
    QPointer<LogWorkWindow> logWorkWindow_;
    QPointer<ReplayWindow> replayWindow_;
    std::unique_ptr<UpdateCheck> updateCheck_;
};

}  // namespace dravio::gui
