// session: the one-byte ECUs' diagnostic windows while they are open, on the
// link thread: frmerreur (fault rows, status, diagnostic-mode tests) and
// frmTrimmer15 (its own measurement loop and the trimmer change). Each window's
// procedures report into its own view; what changed goes to the window through
// the sink given when it opens, in batches, and before every message box.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "base/event_loop.h"
#include "base/view_state.h"
#include "diag/erreur_window.h"
#include "diag/trimmer15_window.h"
#include "ecu/cycle_gate.h"
#include "ecu/exchange.h"

namespace dravio::link {
class Link;
}

namespace dravio::session {

using ViewChanges = std::function<void(std::map<std::string, base::ControlState>)>;

// What the session lends the windows.
struct OneByteContext {
    base::EventLoop& loop;
    link::Link& link;
    ecu::CycleGate gate;
    // The main window's state (frmparam).
    base::ViewState& frmparam;
    ecu::ResourceText text;
    std::function<base::MessageAnswer(const base::MessageBox&)> ask;
    std::function<void()> beep;
    // Runs a procedure as one of the session's (closing waits for it) and sends
    // the main window's changes afterwards.
    std::function<void(const std::function<void()>&)> run;
};

// What a window hears back: its own changes, and the RPM graph window to close.
struct OneByteSink {
    ViewChanges changes;
    std::function<void()> unloadGraph;
};

class OneByteWindows {
public:
    explicit OneByteWindows(OneByteContext context);
    ~OneByteWindows();
    OneByteWindows(const OneByteWindows&) = delete;
    OneByteWindows& operator=(const OneByteWindows&) = delete;

    // cddiag (F4) and mndiag for an MM16, MM15 or 15RC: while a cycle runs the click
    // only asks it to stop (false); once it has ended frmerreur opens (true).
    bool openErreur(OneByteSink sink);
    void cderreur();
    void cddiag(int button);
    void closeErreur();
    bool erreurOpen() const { return erreur_ != nullptr; }

    // cdTrimer15 (F8) and mnTrim15M for the 15M family, with the same rule.
    bool openTrimmer(OneByteSink sink);
    void cdMesures();
    void cdAA();
    void cdTrim(int index);
    void cdSave();
    void closeTrimmer();
    bool trimmerOpen() const { return trimmer_ != nullptr; }

    // The command line: a procedure of a window that is not shown. None for a
    // model without that window.
    std::optional<diag::TestRun> runTest(int button);
    std::optional<diag::Trim15Reading> readTrimmer();
    std::optional<diag::Trim15Change> setTrimmer(int target);

private:
    struct Window;
    std::optional<diag::OneByteModel> model() const;
    std::unique_ptr<Window> makeWindow(OneByteSink sink);
    diag::OneByteHooks hooks(Window& window);
    diag::MainWindowHooks mainHooks(Window& window);
    void run(Window* window, const std::function<void()>& work);

    OneByteContext context_;
    std::unique_ptr<Window> erreurView_;
    std::unique_ptr<diag::FrmErreur> erreur_;
    std::unique_ptr<Window> trimmerView_;
    std::unique_ptr<diag::FrmTrimmer15> trimmer_;
    // Procedures of this object still on the stack (a click while a loop runs).
    int depth_ = 0;
};

}  // namespace dravio::session
