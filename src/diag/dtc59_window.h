// diag: the fault-code and test window of the KWP2000 and OBD-II models
// (FrmDTC59): the fault codes above, the actuator tests and resets below.
//
//   FrmDTC59 w(loop, view, dtc59Hooks(link, text), dtc59Requests(table, typeEcu),
//               Dtc59Form::Kwp2000, mainWindow.text("lbPanel6"));
//   w.Form_Load();                 // reads the fault memory, shows DTC 1
//   w.faults().ButtonNext_Click();
//   w.tests().ComboChoixTest_Click(0); w.tests().CdeStartTest_Click();
#pragma once

#include <string>

#include "base/event_loop.h"
#include "base/view_state.h"
#include "diag/actuator_panel.h"
#include "diag/dtc59_faults.h"
#include "diag/dtc59_hooks.h"

namespace dravio::diag {

class FrmDTC59 {
public:
    FrmDTC59(base::EventLoop& loop, base::ViewState& view, Dtc59Hooks hooks, Dtc59Requests requests, Dtc59Form form,
             std::string ecuType);

    void Form_Load();
    // Clears the memory, then loads the window again: the user sees what the ECU still reports.
    void CleanError_Click();
    void ButtonClose_Click();

    Dtc59Faults& faults() { return faults_; }
    ActuatorPanel& tests() { return tests_; }
    Dtc59Form form() const { return form_; }

private:
    base::ViewState& view_;
    Dtc59Hooks hooks_;
    Dtc59Form form_;
    Dtc59Faults faults_;
    ActuatorPanel tests_;
};

}  // namespace dravio::diag
