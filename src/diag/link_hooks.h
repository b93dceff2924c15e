// diag: what the diagnostic windows' procedures need of the link, as hooks:
// its exchange engine, wait, trace and keep-alive timer, and the language texts.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "ecu/exchange.h"

namespace dravio::link {
class Link;
}

namespace dravio::diag {

struct LinkHooks {
    ecu::Exchange EnvoieRequete;
    ecu::Wait Attente;
    ecu::ResourceText GetResourceString;
    // Trace writer: the text, and whether it also goes (time-stamped) to the file.
    std::function<void(std::string_view texte, bool avecTemps)> EcritTrace;
    // The main window's keep-alive timer Timer_present, off or on.
    std::function<void(bool enabled)> Timer_present;
    std::string EnteteReponse = "F110";
};

// The hooks onto a link.
LinkHooks linkHooks(link::Link& link, ecu::ResourceText GetResourceString);

}  // namespace dravio::diag
