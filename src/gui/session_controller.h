// gui: the main window's link procedures wired to the windows. It creates the
// session on the link thread, posts the user's commands to it, mirrors what
// the procedures report into the main window's model and the status, graph, map
// and traffic windows, answers the procedures' message boxes through the
// DialogPresenter, and writes the settings they change (the settings file belongs
// to this, the GUI, side: the link thread never writes it).
#pragma once

#include <optional>

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <functional>
#include <map>
#include <string>

#include "gui/dialog_presenter.h"
#include "gui/link_thread.h"
#include "gui/main_window_model.h"
#include "gui/onebyte_controller.h"
#include "session/session.h"
#include "support/ini_file.h"
#include "support/settings.h"

namespace dravio::gui {

class Dtc59Window;
class AfrWindow;
class GraphWindow;
class IdentificationWindow;
class MainWindow;
class MapWindow;
class ResponderWindow;
class StatusWindow;
class TrafficWindow;

class SessionController : public QObject {
    Q_OBJECT
public:
    SessionController(LinkThread& linkThread, DialogPresenter& presenter, MainWindowModel& model,
                      support::Settings& settings, support::IniFile& ini, QObject* parent = nullptr);
    ~SessionController() override;

    // Connects the main window and creates the session on the link thread.
    void open(MainWindow& window, session::SessionSetup setup);
    // The settings changed: a new session once no procedure runs. A new model or
    // mode takes the link down.
    void rebuild(session::SessionSetup setup, bool linkDown);
    // Stops a running cycle, waits for it, ends a KWP2000 session and closes the
    // devices and the trace file; `done` then runs on the GUI thread.
    void close(std::function<void()> done);
    // Recorded rows shown as the cycle shows its values (not while it runs).
    void replay(std::vector<convert::LiveValues> rows);
    // Asks a running measurement cycle to stop.
    void stopMeasuring();
    // The options window: measuring pauses while it is open, and resumes after it
    // when it was running and nothing that concerns the link changed.
    void pauseForOptions();
    // The windows that set texts as their state changes follow the new language.
    void setCatalog(const support::Catalog& catalog);
    void resumeAfterOptions(std::optional<session::SessionSetup> setup);

    void showGraph();
    void showMap();
    void showStatus();
    // The identification menu entry: the window once the session has read the ECU.
    void showIdentification();
    // The diagnostic button and menu entry of a KWP2000 or OBD-II model: the fault and
    // test window once the cycle has ended and the session has read the memory.
    void showDiagnostic();
    // The texts of the windows this opens.
    Dtc59Window* dtc59Window() const;
    void showTraffic();
    void showResponder();
    // The AFR window (frmAFR), placed where it was left.
    void showAfr();

    GraphWindow* graphWindow() const;
    MapWindow* mapWindow() const;
    StatusWindow* statusWindow() const;
    TrafficWindow* trafficWindow() const;
    ResponderWindow* responderWindow() const;
    AfrWindow* afrWindow() const;
    OneByteController* oneByte() const { return oneByte_.data(); }

signals:
    // The main window's model took the procedures' changes (tests wait on it).
    void mainChanged();
    void graphDrawn();
    void mapDrawn();
    void identificationShown();
    void diagnosticShown();
    // The AFR window took the session's changes.
    void afrChanged();

private:
    bool resumeMeasuring_ = false;  // link thread only
    // Runs `work` on the link thread with the session, when there is one.
    void withSession(std::function<void(session::Session&)> work);
    session::SessionOutputs outputs(base::EventLoop& loop);
    void applyMain(const std::map<std::string, base::ControlState>& changes);
    void setCheck(const std::string& name, bool checked);
    void connectWindow(MainWindow& window);
    void writeSettings(const session::SessionSettings& session);
    void writeGraphSettings(const display::GraphSettings& graph, display::SettingsWrite how);
    void render();
    AfrWindow& afrWindowMade();

    LinkThread& linkThread_;
    DialogPresenter& presenter_;
    MainWindowModel& model_;
    support::Settings& settings_;
    support::IniFile& ini_;
    QPointer<MainWindow> window_;
    QPointer<GraphWindow> graph_;
    QPointer<MapWindow> map_;
    QPointer<StatusWindow> status_;
    QPointer<TrafficWindow> traffic_;
    QPointer<ResponderWindow> responder_;
    QPointer<AfrWindow> afr_;
    support::Catalog captions_;
    QPointer<IdentificationWindow> identification_;
    QPointer<OneByteController> oneByte_;
    diag::IdentificationLines shownIdentification_{};
    QPointer<Dtc59Window> dtc59_;
    const support::Catalog* catalog_ = nullptr;
};

}  // namespace dravio::gui
