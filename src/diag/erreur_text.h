// diag: frmerreur's findings as plain text lines, for the command line.
#pragma once

#include <string>

#include "diag/erreur_window.h"

namespace dravio::diag {

// The seven rows under their frames, a blank line, then Text1's lines.
std::string faultReadingToText(const FaultReading& reading);
// The frdialogue caption, the progress rows ("Mode Diag | Prêt"), the message
// boxes ("! Fin incorrecte") and the outcome with the end-of-test byte.
std::string testRunToText(const TestRun& run);

}  // namespace dravio::diag
