#include "diag/dtc59_window.h"

namespace dravio::diag {

FrmDTC59::FrmDTC59(base::EventLoop& loop, base::ViewState& view, Dtc59Hooks hooks, Dtc59Requests requests,
                   Dtc59Form form, std::string ecuType)
    : view_(view),
      hooks_(hooks),
      form_(form),
      faults_(view, hooks, requests, form),
      tests_(loop, view, std::move(hooks), std::move(requests), std::move(ecuType)) {}

void FrmDTC59::Form_Load() {
    // Quiet while the memory is read; the fault part starts the keep-alive again.
    if (hooks_.Timer_present) hooks_.Timer_present(false);
    tests_.Form_Load(form_ == Dtc59Form::Kwp2000);
    faults_.Form_Load();
    view_.setEnabled("ButtonTest", true);
}

void FrmDTC59::CleanError_Click() {
    faults_.CleanError_Click();
    Form_Load();
}

void FrmDTC59::ButtonClose_Click() { tests_.ButtonClose_Click(); }

}  // namespace dravio::diag
