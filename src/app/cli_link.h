// app: the command line's side of a link session: the interface named on the
// command line opened through the session's device factory, the session on the
// calling thread, and what the session reports turned into printed lines. The
// procedures themselves are the session's, the same as the window's.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

#include "base/clock.h"
#include "base/event_loop.h"
#include "display/lambda_sources.h"
#include "ecu/measurement_cycle.h"
#include "proto/models.h"
#include "session/interface_choice.h"
#include "session/link_host.h"

namespace dravio::app {

// The line could not be reached, or went away: one line on stderr, status 1.
struct InterfaceError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct CliLinkOptions {
    // Simulated ECUs start communicating at once (no wake-up needed).
    bool awake = false;
    // Answer the procedure's questions with OK at once instead of waiting for Enter.
    bool yes = false;
    // Every trace line, as it is written.
    bool trace = false;
    // Every byte on the K-line, as "seconds direction bytes (baud)", on stderr.
    bool traffic = false;
    // The language of the texts the procedures show ("Francais", "English", ...).
    std::string language = "Francais";
    // Where recordings go (none when empty), and the AFR window's source.
    std::filesystem::path DossierData;
    display::LambdaConfig lambda;
};

class CliLink {
public:
    // Opens the interface for `model`; throws InterfaceError when it cannot.
    CliLink(const session::InterfaceChoice& choice, proto::Model model, CliLinkOptions options);
    ~CliLink();
    CliLink(const CliLink&) = delete;
    CliLink& operator=(const CliLink&) = delete;

    session::LinkHost& host() { return *host_; }
    link::Link& link() { return host_->link; }
    session::Session& session() { return *host_->session; }
    base::Clock& clock() { return clock_; }

    // Every finished measurement cycle.
    void onRecord(std::function<void(const ecu::CycleRecord&)> record) { record_ = std::move(record); }

    // Runs the initialisation button's procedure; true when the link is up.
    bool initialise();
    // Sends one request as it stands; the answer text, "" when none came.
    std::string exchange(const std::string& request, const std::string& demoAnswer, std::int16_t length,
                         std::int16_t timeoutMs);
    // Ends the session: the stop requests of a KWP2000 link only while it is up.
    void close();

private:
    session::SessionOutputs outputs();
    base::MessageAnswer ask(const base::MessageBox& box);

    base::RealClock clock_;
    base::EventLoop loop_{clock_};
    std::unique_ptr<session::LinkHost> host_;
    CliLinkOptions options_;
    std::function<void(const ecu::CycleRecord&)> record_;
    int progressMaximum_ = 0;
    int lastAttempt_ = 0;
    bool closed_ = false;
};

// The model an --ecu value names: a settings number (0-5) or a name (mm16,
// mm15, 15rc, p8, 59m, 5am, obd); throws UsageError otherwise.
proto::Model parseModel(const std::string& text);

}  // namespace dravio::app
