#include "session/onebyte_windows.h"

#include <chrono>
#include <utility>

#include "diag/erreur_opening.h"
#include "link/link.h"
#include "proto/models.h"

namespace dravio::session {

namespace {
// Demonstration answers come at once: a loop that only asks would spin and flood
// the window, so it takes a breath between passes.
constexpr auto kDemoBreath = std::chrono::milliseconds(40);
}  // namespace

struct OneByteWindows::Window {
    base::ViewState view;
    OneByteSink sink;
    bool flushScheduled = false;
    bool closing = false;
    std::shared_ptr<bool> alive = std::make_shared<bool>(true);

    ~Window() { *alive = false; }
    void flush() {
        flushScheduled = false;
        if (auto changes = view.takeChanges(); !changes.empty() && sink.changes) sink.changes(std::move(changes));
    }
};

OneByteWindows::OneByteWindows(OneByteContext context) : context_(std::move(context)) {}

OneByteWindows::~OneByteWindows() = default;

std::optional<diag::OneByteModel> OneByteWindows::model() const {
    return diag::oneByteModelFromName(proto::rowOf(context_.link.TypeECU).name);
}

std::unique_ptr<OneByteWindows::Window> OneByteWindows::makeWindow(OneByteSink sink) {
    auto window = std::make_unique<Window>();
    window->sink = std::move(sink);
    Window* w = window.get();
    window->view.setOnChange([this, w] {
        if (w->flushScheduled) return;
        w->flushScheduled = true;
        context_.loop.post([w, alive = std::weak_ptr<bool>(w->alive)] {
            if (const auto token = alive.lock(); token && *token) w->flush();
        });
    });
    // The window shows where the procedure stands before the box that follows.
    window->view.setAsker([this, w](const base::MessageBox& box) {
        w->flush();
        return context_.ask ? context_.ask(box) : base::MessageAnswer::Ok;
    });
    window->view.setOnBeep([this] {
        if (context_.beep) context_.beep();
    });
    return window;
}

diag::OneByteHooks OneByteWindows::hooks(Window& window) {
    link::Link& link = context_.link;
    return {[&link](std::string_view r, std::string_view demo, std::int16_t n, std::int16_t ms) {
                return link.EnvoieRequete(r, demo, n, ms);
            },
            [&link](double s) { link.Attente(s); },
            [&link](std::string_view line) { link.trace().EcritTrace(std::string(line), false); }, context_.text,
            [this, &link, &window] {
                window.flush();
                if (link.ModeDemo) {
                    context_.loop.runFor(kDemoBreath);
                } else {
                    context_.loop.pump();
                }
            }};
}

diag::MainWindowHooks OneByteWindows::mainHooks(Window& window) {
    link::Link& link = context_.link;
    base::ViewState& frmparam = context_.frmparam;
    return {[&link](bool on) { link.Timer_present().setEnabled(on); },
            [&frmparam](bool on) { frmparam.setEnabled("frmparam", on); },
            [&window] {
                if (window.sink.unloadGraph) window.sink.unloadGraph();
            }};
}

void OneByteWindows::run(Window* window, const std::function<void()>& work) {
    if (window == nullptr || window->closing) return;
    ++depth_;
    context_.run(work);
    --depth_;
    window->flush();
    // A window closed while one of its loops ran goes once the loop has returned.
    if (depth_ == 0) {
        if (erreurView_ && erreurView_->closing) {
            erreur_.reset();
            erreurView_.reset();
        }
        if (trimmerView_ && trimmerView_->closing) {
            trimmer_.reset();
            trimmerView_.reset();
        }
    }
}

bool OneByteWindows::openErreur(OneByteSink sink) {
    const auto m = model();
    if (!m || *m == diag::OneByteModel::P8 || erreur_ || trimmer_) return false;
    bool open = false;
    context_.run([&] { open = diag::cddiagOneByte_Click(context_.frmparam, context_.gate, {}); });
    if (!open) return false;
    erreurView_ = makeWindow(std::move(sink));
    erreur_ = std::make_unique<diag::FrmErreur>(erreurView_->view, context_.frmparam, *m, hooks(*erreurView_),
                                                mainHooks(*erreurView_), context_.gate);
    erreur_->Form_Load();
    erreurView_->flush();
    return true;
}

void OneByteWindows::cderreur() {
    run(erreurView_.get(), [this] { erreur_->cderreur_Click(); });
}

void OneByteWindows::cddiag(int button) {
    if (button < 0 || button >= diag::kDiagButtons) return;
    run(erreurView_.get(), [this, button] { erreur_->cddiag_Click(button); });
}

void OneByteWindows::closeErreur() {
    if (!erreur_ || erreurView_->closing) return;
    context_.run([this] { erreur_->cdarret_Click(); });
    erreurView_->closing = true;
    if (depth_ == 0) {
        erreur_.reset();
        erreurView_.reset();
    }
}

bool OneByteWindows::openTrimmer(OneByteSink sink) {
    const auto m = model();
    if (!m || !diag::hasTrimmer15(*m) || trimmer_ || erreur_) return false;
    bool open = false;
    context_.run([&] {
        open = context_.gate.requestLine();
        // The cycle is asked to stop; the window opens on a click once it has ended.
        if (!open) context_.frmparam.setEnabled("cdparametre", false);
    });
    if (!open) return false;
    trimmerView_ = makeWindow(std::move(sink));
    trimmer_ = std::make_unique<diag::FrmTrimmer15>(trimmerView_->view, context_.frmparam, *m, hooks(*trimmerView_),
                                                    mainHooks(*trimmerView_), context_.gate);
    context_.run([this] { trimmer_->Form_Load(); });
    trimmerView_->flush();
    return true;
}

void OneByteWindows::cdMesures() {
    run(trimmerView_.get(), [this] { trimmer_->cdMesures_Click(); });
}

void OneByteWindows::cdAA() {
    run(trimmerView_.get(), [this] { trimmer_->cdAA_Click(); });
}

void OneByteWindows::cdTrim(int index) {
    if (index != 0 && index != 1) return;
    run(trimmerView_.get(), [this, index] { trimmer_->cdTrim_Click(index); });
}

void OneByteWindows::cdSave() {
    run(trimmerView_.get(), [this] { trimmer_->cdSave_Click(); });
}

void OneByteWindows::closeTrimmer() {
    if (!trimmer_ || trimmerView_->closing) return;
    // cdFin also stops a running Cycle15M; the window goes once it has returned.
    context_.run([this] { trimmer_->cdFin_Click(); });
    trimmerView_->closing = true;
    if (depth_ == 0) {
        trimmer_.reset();
        trimmerView_.reset();
    }
}

std::optional<diag::TestRun> OneByteWindows::runTest(int button) {
    const auto m = model();
    if (!m || erreur_ || trimmer_) return std::nullopt;
    std::optional<diag::TestRun> run;
    auto window = makeWindow({});
    diag::FrmErreur frm(window->view, context_.frmparam, *m, hooks(*window), mainHooks(*window), context_.gate);
    context_.run([&] {
        frm.Form_Load();
        run = frm.cddiag_Click(button);
    });
    return run;
}

std::optional<diag::Trim15Reading> OneByteWindows::readTrimmer() {
    const auto m = model();
    if (!m || !diag::hasTrimmer15(*m) || erreur_ || trimmer_) return std::nullopt;
    std::optional<diag::Trim15Reading> reading;
    auto window = makeWindow({});
    diag::FrmTrimmer15 frm(window->view, context_.frmparam, *m, hooks(*window), mainHooks(*window), context_.gate);
    context_.run([&] { reading = frm.pass(); });
    return reading;
}

std::optional<diag::Trim15Change> OneByteWindows::setTrimmer(int target) {
    const auto m = model();
    if (!m || !diag::hasTrimmer15(*m) || erreur_ || trimmer_) return std::nullopt;
    std::optional<diag::Trim15Change> change;
    auto window = makeWindow({});
    diag::FrmTrimmer15 frm(window->view, context_.frmparam, *m, hooks(*window), mainHooks(*window), context_.gate);
    context_.run([&] {
        frm.Form_Load();
        change = frm.setTrimmer(target);
        frm.cdFin_Click();
    });
    return change;
}

}  // namespace dravio::session
