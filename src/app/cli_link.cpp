#include "app/cli_link.h"

#include <iostream>

#include "app/cli_args.h"
#include "link/init_liaison.h"
#include "support/data_dir.h"
#include "support/language.h"

namespace dravio::app {

namespace {
// Message-box texts break lines with carriage returns.
std::string printable(std::string text) {
    for (auto& c : text) {
        if (c == '\r') c = '\n';
    }
    return text;
}
}  // namespace

proto::Model parseModel(const std::string& text) {
    if (const auto named = proto::modelFromCliName(text)) return *named;
    const int index = parseInt(text, "--ecu");
    if (const auto model = proto::modelFromIndex(index)) return *model;
    throw UsageError("--ecu " + text + " names no model (0 to 5, or mm16, mm15, 15rc, p8, 59m, 5am, obd)");
}

CliLink::CliLink(const session::InterfaceChoice& choice, proto::Model model, CliLinkOptions options)
    : options_(options) {
    base::RealClock::tightenTimerSlack();
    host_ = std::make_unique<session::LinkHost>(clock_, loop_, session::realDeviceFactory());
    host_->raiseScheduling();
    if (options_.trace) {
        host_->trace.setOnLine([](std::string_view line) { std::cout << "trace  " << line << '\n' << std::flush; });
    }
    std::string error;
    if (!host_->openDevices(choice, model, error, {options_.awake})) throw InterfaceError(error);
    // Nobody turns a simulated key: the simulated rider does it when asked.
    if (choice.kind == session::InterfaceKind::Simulator) options_.yes = true;

    session::SessionSetup setup;
    setup.model = model;
    setup.modeDemo = choice.kind == session::InterfaceKind::Demo;
    // The command line measures on its own terms: no automatic start.
    setup.settings.autoStart = 0;
    setup.DossierData = options_.DossierData;
    setup.lambda = options_.lambda;
    auto language = support::selectLanguage(options_.language, support::programDataDir());
    if (!language.problem.empty()) std::cerr << "dravio-cli: " << language.problem << '\n';
    setup.catalog = std::move(language.catalog);
    host_->startSession(std::move(setup), outputs());
}

CliLink::~CliLink() {
    try {
        close();
    } catch (...) {
        // Closing is best effort; the kernel releases the device anyway.
    }
}

session::SessionOutputs CliLink::outputs() {
    session::SessionOutputs out;
    out.ask = [this](const base::MessageBox& box) { return ask(box); };
    out.mainChanges = [this](std::map<std::string, base::ControlState> changes) {
        const auto it = changes.find("ProgressBar1");
        if (it == changes.end()) return;
        if (it->second.maximum) progressMaximum_ = *it->second.maximum;
        // The wake-up's attempts, while a silent line keeps the user waiting.
        if (it->second.value && progressMaximum_ == link::LinkInitialisation::kMaxAttempts &&
            *it->second.value != lastAttempt_) {
            lastAttempt_ = *it->second.value;
            std::cerr << "attempt " << *it->second.value << " of " << progressMaximum_ << '\n' << std::flush;
        }
    };
    if (options_.traffic) {
        out.traffic = [](std::vector<std::string> lines) {
            for (const auto& line : lines) std::cerr << "line   " << line << '\n';
            std::cerr << std::flush;
        };
    }
    // Said at once, not after the procedure that found out has ended.
    out.deviceLost = [](const std::string& message) { std::cerr << "dravio-cli: " << message << '\n' << std::flush; };
    out.record = [this](const ecu::CycleRecord& record) {
        if (record_) record_(record);
    };
    return out;
}

base::MessageAnswer CliLink::ask(const base::MessageBox& box) {
    std::cerr << printable(box.title) << ": " << printable(box.text) << '\n';
    const bool yesNo = box.buttons == base::MessageBox::Buttons::YesNo;
    const auto accept = yesNo ? base::MessageAnswer::Yes : base::MessageAnswer::Ok;
    const auto refuse = yesNo ? base::MessageAnswer::No : base::MessageAnswer::Cancel;
    if (options_.yes) return accept;
    const bool question = box.buttons != base::MessageBox::Buttons::Ok;
    std::cerr << (question ? "Press Enter for OK, or type n and Enter to cancel: " : "Press Enter: ") << std::flush;
    std::string line;
    if (!std::getline(std::cin, line)) return question ? refuse : accept;
    if (question && !line.empty() && (line[0] == 'n' || line[0] == 'N')) return refuse;
    return accept;
}

bool CliLink::initialise() {
    session().initialise();
    session().flush();
    return session().linkUp();
}

std::string CliLink::exchange(const std::string& request, const std::string& demoAnswer, std::int16_t length,
                              std::int16_t timeoutMs) {
    auto answer = link().EnvoieRequete(request, demoAnswer, length, timeoutMs);
    session().flush();
    return answer;
}

void CliLink::close() {
    if (closed_ || !host_) return;
    closed_ = true;
    host_->close(true);
    if (host_->session) host_->session->flush();
}

}  // namespace dravio::app
