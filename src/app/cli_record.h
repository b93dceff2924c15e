// app: the recordings and the AFR source of "dravio-cli live": --csv and --xlsx
// tick the main window's boxes on the session, so the files are the ones the
// window writes, in the same data folder; --afr picks the external source the
// AFR window would read (its simulated twin with a simulated interface).
#pragma once

#include <filesystem>
#include <ostream>
#include <string>

#include "app/cli_args.h"
#include "display/lambda_sources.h"
#include "session/session.h"

namespace dravio::app {

struct LiveRecording {
    bool csv = false;
    bool xlsx = false;
    std::filesystem::path DossierData;
    display::LambdaConfig lambda;

    bool any() const { return csv || xlsx; }
};

// Takes --csv, --xlsx and --afr SOURCE[:PATH] (dlp, mts or usb1208); the data
// folder is the program's, made when missing.
LiveRecording takeLiveRecording(CliArgs& args);

// Before measuring: recovers what a crash left (reported on `err` and in the
// trace), ticks the recording boxes and the AFR window's acquisition box.
void startLiveRecording(const LiveRecording& recording, session::Session& session, link::Trace& trace,
                        std::ostream& err);

// After measuring: unticks the boxes and prints each file the recordings left.
void stopLiveRecording(const LiveRecording& recording, session::Session& session, std::ostream& out);

// The AFR labels as the window shows them, for the cycle lines.
std::string afrShown(session::Session& session);

}  // namespace dravio::app
