// session: one link session, the one both the windows and the command line
// drive: the initialisation and keep-alive, the measurement cycle with the
// engine status, trimmer and stepper motor, the RPM graph and map cores, the raw
// traffic, and closing. It runs on the thread that owns the link; the windows
// post calls to it and hear back through SessionOutputs, in batches.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/event_loop.h"
#include "base/view_state.h"
#include "convert/recording.h"
#include "diag/dtc59_faults.h"
#include "diag/dtc59_window.h"
#include "diag/erreur_window.h"
#include "diag/identification.h"
#include "display/lambda_sources.h"
#include "display/operating_map.h"
#include "display/rpm_graph.h"
#include "ecu/engine_status.h"
#include "ecu/measurement_cycle.h"
#include "ecu/stepper_motor.h"
#include "ecu/trimmer.h"
#include "link/elm327_link.h"
#include "link/init_liaison.h"
#include "link/init_procedure.h"
#include "link/link.h"
#include "proto/models.h"
#include "session/devices.h"
#include "session/lambda_devices.h"
#include "session/recorder.h"
#include "session/onebyte_windows.h"
#include "support/catalog.h"

namespace dravio::session {

// The settings the session works with, and gives back when a procedure changes them.
struct SessionSettings {
    ecu::CycleSettings cycle;
    display::GraphSettings graph;
    // [Mesures] flags by key name: Air, Eau, Avance, Pression, Lambda, Injection,
    // Tension, Potar, Trimmer, MoteurPP.
    std::map<std::string, bool> channels;
    int autoStart = 1;
    // Re-initialise by itself, every few seconds, once the link of a KWP2000 or
    // OBD-II ECU went down (off unless the rider asks for it).
    bool autoReinit = false;
};

struct SessionSetup {
    proto::Model model = proto::Model::MM16;
    bool modeDemo = true;
    SessionSettings settings;
    // The ECU keys of the settings file the initialisation reads (Init, InitB, Chrono).
    std::map<std::string, std::string> ecuMemory;
    link::TraceFileNames traceFiles;
    std::string versionText;
    support::Catalog catalog;
    // The main window's state the procedures read back (enabled channels, check boxes).
    std::map<std::string, base::ControlState> controls;
    // Where the recordings go; none without it.
    std::filesystem::path DossierData;
    // The external AFR source of the AFR window.
    display::LambdaConfig lambda;
};

// How the session reaches the windows. Every output is called on the link thread.
struct SessionOutputs {
    std::function<void(std::map<std::string, base::ControlState>)> mainChanges;
    std::function<void(std::map<std::string, base::ControlState>)> statusChanges;
    std::function<void(std::vector<std::string>)> traffic;
    std::function<void(display::TraceResult)> graph;
    std::function<void(display::MapResult)> map;
    // Shows a message box and returns the user's answer (the caller may pump the loop).
    std::function<base::MessageAnswer(const base::MessageBox&)> ask;
    std::function<void()> beep;
    std::function<void(const std::string& key, const std::string& value)> writeEcuKey;
    std::function<void(const SessionSettings&)> settingsChanged;
    std::function<void(const display::GraphSettings&, display::SettingsWrite)> graphSettingsChanged;
    // Every finished measurement cycle.
    std::function<void(const ecu::CycleRecord&)> record;
    // The AFR window's state (frmAFR).
    std::function<void(std::map<std::string, base::ControlState>)> afrChanges;
    // The device went away, with the text to show; without it the session shows a message box.
    std::function<void(const std::string&)> deviceLost;
};

// The simulated rider's question: the box that asks to turn the key.
inline constexpr const char* kKeyOnTitle = "Attention/Caution";


class Session {
public:
    // `devices` are the interface's, opened by the factory; they outlive the
    // session (a new session takes them over when the settings change).
    Session(base::EventLoop& loop, link::Link& link, Devices& devices, SessionSetup setup, SessionOutputs outputs);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Commands of the main window.
    void initialise();
    void reinitialise();
    void parametre();
    void frameDoubleClick(const std::string& frame);
    void setTempo(int tempo);
    void stepTempo(int delta);
    // A check box, a scroll bar or a label's state the user changed on the window.
    void setChecked(const std::string& control, bool checked);
    void setValue(const std::string& control, int value);
    void trimmerScroll(int value);
    void trimmerStep(int delta);
    void trimmerReset();
    void trimmerStore();
    void stepperTest();
    // A box of the AFR window: chDLP (acquisition) or chTest (the test packet).
    void afrChecked(const std::string& control, bool checked);

    // The graph window.
    void setGraphOptions(const display::GraphOptions& options);
    void setGraphSurface(const display::GraphSurface& surface);
    void scaleButton(int index);
    void pointsChosen(const std::string& text);
    void idleMode(bool checked);
    // The map window closed: the visited cells are forgotten.
    void resetMap();

    // Replay: one recorded row shown on the main window as the cycle shows its
    // values ("--" where the recording has none), and given to the graph and the
    // map when their boxes are checked. Nothing is sent. Refused (false) while
    // the cycle runs.
    bool replayRow(const convert::LiveValues& values);

    // Ends a running measurement cycle; `then` runs once no procedure is running.
    void stopMeasuring();
    // New settings and language that need no new initialisation (units, channels,
    // averaging, captions): the link, its keep-alive and the ECU state stay.
    void reconfigure(const SessionSetup& setup);
    void whenIdle(std::function<void()> then);
    // The program is going away: stop the cycle and refuse further boxes.
    void abort();
    // Ends the session: stops the cycle, sends the stop requests of a KWP2000
    // link (always, or only while it is up) and closes the devices.
    void close(bool stopRequestsOnlyWhenUp);

    // The identification the initialisation read ("" when none).
    std::string identification() const;
    // The identification window's eight lines, read from the ECU now.
    diag::IdentificationLines identify();
    // The identification menu entry: a running cycle is asked to stop first (and the
    // user to click again); none until it has ended.
    std::optional<diag::IdentificationLines> identifyFromMenu();
    // The identification window closed: the main window gets its entry and its
    // measurement button back.
    void identificationClosed();
    // Copies the identification lines to the trace, framed by blank lines.
    void logIdentification(const diag::IdentificationLines& lines);
    // Every fault in a KWP2000 or OBD-II memory, cleared first on request (the
    // window's clear, which reads the memory again); none for other models.
    std::vector<diag::Dtc59Record> readFaults(bool clearFirst);
    // The present and stored faults of an MM16, MM15 or 15RC (frmerreur's reading);
    // none for other models.
    std::optional<diag::FaultReading> readOneByteFaults();
    // frmerreur and frmTrimmer15 of the one-byte models.
    OneByteWindows& oneByte() { return *oneByte_; }
    // Why the link is down, in one line.
    std::string failure() const;
    // The cable or adapter went away: what the user was told, "" while it is there.
    std::string deviceLostText() const;

    // The diagnostic button of a KWP2000 or OBD-II model (cddiag, mndiag): a running
    // cycle is asked to stop first; once it has ended the fault and test window loads
    // here (reading the fault memory) and reports its state through `changes`.
    // False when nothing opened.
    using DiagChanges = std::function<void(std::map<std::string, base::ControlState>)>;
    bool openDiagnostic(DiagChanges changes);
    // A command of the open fault and test window; nothing when none is open.
    void diagnostic(const std::function<void(diag::FrmDTC59&)>& command);
    // The window closed: the keep-alive runs again and the main window gets its buttons back.
    void diagnosticClosed();

    bool busy() const { return depth_ > 0; }
    bool measuring() const { return !cycle_->MesuresArretees; }
    bool linkUp() const { return init_->linkUp(); }
    base::ViewState& view() { return view_; }
    base::ViewState& statusView() { return statusView_; }
    base::ViewState& afrView() { return afrView_; }
    // The recordings; null without a data folder.
    Recorder* recorder() { return recorder_.get(); }
    ecu::MeasurementCycle& cycle() { return *cycle_; }
    const display::RpmGraph& graph() const { return graph_; }
    const SessionSettings& settings() const { return settings_; }
    // Sends what changed since the last flush to the windows.
    void flush();

private:
    struct Running;
    std::string text(int id, const std::string& french) const;
    std::int16_t readTrimmerInitial();
    void scheduleFlush();
    base::MessageAnswer ask(const base::MessageBox& box);
    void keyOn();
    void writeSettings();
    void onTraffic(std::string line);
    void onDeviceLost();
    void automaticReinitialisation();
    // Before an initialisation: opens a device that went away again; false when it is still gone.
    bool reopenLostDevice();
    ecu::Exchange exchange();
    ecu::Wait wait();
    void setUpLambdaAndRecordings(ecu::CycleHooks& hooks);
    display::RecordTexts recordTexts() const;

    base::EventLoop& loop_;
    link::Link& link_;
    Devices& devices_;
    SessionSetup setup_;
    SessionOutputs outputs_;
    SessionSettings& settings_;
    base::ViewState view_;
    base::ViewState statusView_;
    link::InitChannels channels_;
    base::Clock::TimePoint origin_;

    std::vector<std::string> trafficLines_;
    std::unique_ptr<link::LinkInitialisation> kwp_;
    std::unique_ptr<link::Elm327Link> elm_;
    std::unique_ptr<link::InitProcedure> init_;
    std::unique_ptr<ecu::MeasurementCycle> cycle_;
    std::unique_ptr<ecu::EngineStatus> status_;
    std::unique_ptr<ecu::LiveTrimmer> trimmer_;
    std::unique_ptr<ecu::StepperMotor> stepper_;
    display::RpmGraph graph_;
    std::int16_t graphIndex_ = 0;
    display::OperatingMap map_;
    base::ViewState afrView_;
    LambdaDevices lambdaDevices_;
    std::unique_ptr<display::LambdaAcquisition> lambda_;
    base::Clock::TimePoint lastLambda_{};
    std::unique_ptr<Recorder> recorder_;

    base::Timer idleWatch_;
    base::Timer reinitTimer_;
    std::vector<std::function<void()>> whenIdle_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    bool flushScheduled_ = false;
    bool aborted_ = false;
    bool closed_ = false;
    bool initialised_ = false;
    int depth_ = 0;
    struct Diag59;
    std::shared_ptr<Diag59> diag59_;
    std::unique_ptr<OneByteWindows> oneByte_;
};

}  // namespace dravio::session
