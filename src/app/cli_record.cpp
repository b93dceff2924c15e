#include "app/cli_record.h"

#include "app/cli_link.h"
#include "session/recorder.h"
#include "support/folders.h"

namespace dravio::app {

namespace {
display::AfrSource afrSourceNamed(const std::string& name) {
    if (name == "dlp") return display::AfrSource::DlpIo8;
    if (name == "mts") return display::AfrSource::Mts;
    if (name == "usb1208") return display::AfrSource::Usb1208;
    throw UsageError("--afr takes dlp, mts or usb1208, with :PATH for a serial device, not '" + name + "'");
}
}  // namespace

LiveRecording takeLiveRecording(CliArgs& args) {
    LiveRecording recording;
    recording.csv = args.takeFlag("csv");
    recording.xlsx = args.takeFlag("xlsx");
    if (const auto afr = args.takeOption("afr")) {
        const auto colon = afr->find(':');
        recording.lambda.SourceAFR = afrSourceNamed(afr->substr(0, colon));
        // The port number only says "a port is chosen"; the path names it.
        recording.lambda.PortAFR = 1;
        if (colon != std::string::npos) recording.lambda.devicePath = afr->substr(colon + 1);
        for (auto& line : recording.lambda.lines) line = line.withSlope();
    }
    if (recording.any()) {
        const auto setup = support::setUpFolders(support::Environment::fromProcess());
        if (!setup.status.problems.empty()) throw InterfaceError(setup.status.problems.front());
        recording.DossierData = setup.folders.DossierData;
    }
    return recording;
}

void startLiveRecording(const LiveRecording& recording, session::Session& session, link::Trace& trace,
                        std::ostream& err) {
    if (recording.any()) {
        for (const auto& line : session::recoverRecordings(trace, recording.DossierData)) {
            err << "dravio-cli: " << line << '\n';
        }
    }
    if (recording.lambda.SourceAFR != display::AfrSource::None) session.afrChecked("chDLP", true);
    if (recording.csv) session.setChecked("chCSV", true);
    if (recording.xlsx) session.setChecked("Chenregistre", true);
    session.flush();
}

void stopLiveRecording(const LiveRecording& recording, session::Session& session, std::ostream& out) {
    if (!recording.any() || session.recorder() == nullptr) return;
    session.setChecked("chCSV", false);
    session.setChecked("Chenregistre", false);
    for (const auto& file : session.recorder()->files()) out << file.string() << '\n';
    out << std::flush;
}

std::string afrShown(session::Session& session) {
    const auto& afr = session.afrView();
    return "AFR " + afr.text("lbAFR0") + " " + afr.text("lbAFR1");
}

}  // namespace dravio::app
