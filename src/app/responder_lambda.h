// app: the bench responder as a wideband lambda source instead of an ECU.
#pragma once

#include <string>

namespace dravio::app {

// Plays two chained LC-1 controllers (`mts`) or a DLP-IO8 module on a new
// pseudo-terminal (`pty`, its path printed) or on `device`, logging to
// `logPath`, until `stopFd` closes (when >= 0). Returns the exit status.
int serveLambdaSource(bool mts, bool pty, const std::string& device, const std::string& logPath, int stopFd);

}  // namespace dravio::app
