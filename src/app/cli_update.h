// app: "dravio-cli update", the update check of the about window on the
// command line: its questions, messages and status lines as text.
#pragma once

#include <iosfwd>

#include "app/cli_args.h"

namespace dravio::app {

inline constexpr const char* kUpdateUsage =
    "update --check [--server URL] | update --install [--server URL]\n"
    "        Run the update check against the server (default: UPDATE/Server of\n"
    "        ecu.ini). --check prints what it would offer and answers No to every\n"
    "        question; --install answers Yes and installs what is offered.\n";

int commandUpdate(CliArgs& args, std::ostream& out);

}  // namespace dravio::app
