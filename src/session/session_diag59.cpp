// session: the fault and test window of the KWP2000 and OBD-II models
// (FrmDTC59) while it is open. Its procedures run here, on the link thread; what
// they change reaches the window in batches, as the main window's changes do.
#include <optional>

#include "diag/identification_gate.h"
#include "proto/request_table.h"
#include "session/session.h"

namespace dravio::session {

struct Session::Diag59 {
    base::ViewState view;
    std::optional<diag::FrmDTC59> frm;
    DiagChanges changes;
    bool flushScheduled = false;

    void flush() {
        flushScheduled = false;
        auto batch = view.takeChanges();
        if (!batch.empty() && changes) changes(std::move(batch));
    }
};

namespace {
// Closing waits for a procedure of the window as it does for the session's own.
class Depth {
public:
    explicit Depth(int& depth) : depth_(depth) { ++depth_; }
    ~Depth() { --depth_; }
    Depth(const Depth&) = delete;
    Depth& operator=(const Depth&) = delete;

private:
    int& depth_;
};
}  // namespace

bool Session::openDiagnostic(DiagChanges changes) {
    if (aborted_ || !proto::isKwp(link_.TypeECU)) return false;
    // An earlier instance goes first.
    if (diag59_) diagnosticClosed();
    if (!diag::stopCycleBeforeOpening(cycle_->StopMesures, cycle_->MesuresArretees, view_, "cddiag")) {
        flush();
        return false;
    }

    auto d = std::make_shared<Diag59>();
    d->changes = std::move(changes);
    const auto form = link_.TypeECU == proto::Model::Obd ? diag::Dtc59Form::ObdII : diag::Dtc59Form::Kwp2000;
    d->frm.emplace(loop_, d->view,
                   diag::dtc59Hooks(link_, [this](int id, const std::string& french) { return text(id, french); }),
                   diag::dtc59Requests(proto::RequestTable{}, link_.TypeECU), form, identification());
    const std::weak_ptr<Diag59> weak = d;
    d->view.setOnChange([this, weak] {
        const auto w = weak.lock();
        if (!w || w->flushScheduled) return;
        w->flushScheduled = true;
        loop_.post([weak] {
            if (const auto again = weak.lock()) again->flush();
        });
    });
    // The window's boxes come after what it shows.
    d->view.setAsker([this, weak](const base::MessageBox& box) {
        if (const auto w = weak.lock()) w->flush();
        return ask(box);
    });
    // The test timer's runs exchange too: closing waits for them.
    d->frm->tests().TimerTestActif().setOnTick([this, weak] {
        const auto w = weak.lock();
        if (!w || !w->frm) return;
        Depth depth(depth_);
        w->frm->tests().TimerTestActif_Timer();
    });
    diag59_ = d;
    // The window holds the line: no measurement cycle starts until it closes.
    cycle_->LiaisonLibre = false;
    diagnostic([](diag::FrmDTC59& w) { w.Form_Load(); });
    flush();
    return true;
}

void Session::diagnostic(const std::function<void(diag::FrmDTC59&)>& command) {
    // A close made meanwhile (the confirmation waits for the user) ends the
    // window once the command has returned.
    const auto d = diag59_;
    if (!d || !d->frm) return;
    Depth depth(depth_);
    command(*d->frm);
    d->flush();
}

void Session::diagnosticClosed() {
    const auto d = std::move(diag59_);
    if (!d) return;
    d->changes = {};
    if (d->frm) {
        Depth depth(depth_);
        d->frm->ButtonClose_Click();
    }
    cycle_->LiaisonLibre = true;
    view_.setEnabled("cddiag", true);
    view_.setEnabled("cdparametre", true);
    flush();
}

}  // namespace dravio::session
