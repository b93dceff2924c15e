// diag: frmerreur's findings as one-line JSON objects, for the command line.
#pragma once

#include <string>

#include "diag/erreur_window.h"

namespace dravio::diag {

// {"rows":["03","03","RAS","48",...],"lines":["Défauts Présents :",...]}
std::string faultReadingToJson(const FaultReading& reading);
// {"outcome":"passed","endOfTest":"FF","confirmed":true,"frdialogue":...,
//  "lenvoie":[...],"lrecu":[...],"messages":[...]}
std::string testRunToJson(const TestRun& run);

}  // namespace dravio::diag
