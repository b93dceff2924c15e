// app: "dravio-cli replay", a recording played back as the live command prints
// the measurement cycle, one line (or JSON object) per row.
#pragma once

#include <iosfwd>

#include "app/cli_args.h"

namespace dravio::app {

inline constexpr const char* kReplayUsage =
    "replay FILE [--json] [--speed 1|4|16]\n"
    "        Play a recording (CSV or TXT) back: one line per row with the values\n"
    "        the main window would show, or one JSON object per row with --json.\n"
    "        --speed keeps the recorded pace (x1, x4, x16); without it the rows\n"
    "        are printed at once. Unreadable lines are reported on stderr.\n";

int commandReplay(CliArgs& args, std::ostream& out, std::ostream& err);

}  // namespace dravio::app
