// app: the actuator tests, resets and immobiliser status of the KWP2000 and
// OBD-II models on the command line: the fault and test window's procedures,
// run by the session, with the window's texts printed as they appear.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "app/cli_link.h"
#include "proto/models.h"

namespace dravio::app {

inline constexpr const char* kDiag59Usage =
    R"(  --interface IF [--ecu M] test NAME [--yes]
        Initialise the link, then run one actuator test of a 59M/5AM (NAME:
        rev-counter, fuel-pump, coil1, coil2, injector1, injector2, fan1,
        fan2, or its list number 0-7) for its duration, printing its texts.
  --interface IF [--ecu M] tps-reset [--yes]
        Reset the throttle-position adaptation; asks for the confirmation on
        the terminal unless --yes is given.
  --interface IF [--ecu M] service-reset [--yes]
        Reset the service counter (5AM only).
  --interface IF [--ecu M] immobiliser [--yes]
        Print the immobiliser status.
)";

// True for the commands this file runs.
bool isDiag59Command(const std::string& command);

// Checks the arguments of `command` for `model` before the line is opened;
// throws UsageError when they are wrong.
void checkDiag59Arguments(const std::string& command, const std::vector<std::string>& words, proto::Model model);

// Runs `command` on an initialised line. `confirmed`: the TPS reset's confirmation
// is given (--yes); otherwise it is read from `in`. Returns the exit status: 0
// when the ECU accepted the procedure.
int runDiag59(CliLink& line, const std::string& command, const std::vector<std::string>& words, bool confirmed,
              std::istream& in, std::ostream& out);

}  // namespace dravio::app
