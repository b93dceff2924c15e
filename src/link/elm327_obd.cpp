// link: OBD-II through the ELM327. The adapter searches the protocol itself (on
// these motorcycles ISO 14230 with fast or 5-baud initialisation, or ISO 9141-2)
// and addresses the engine functionally, as every generic scan tool does.
#include <string>

#include "link/elm327_link.h"

namespace dravio::link {

bool Elm327Link::InitComOBD() {
    Trace& trace = link_.trace();
    trace.EcritTrace("Ouverture réussie", true);
    // Headers on, so that the answers carry the ECU's address as on the cable;
    // protocol 0: automatic search, functional addressing by default. One line
    // end each: a second one would make the adapter repeat the command.
    static constexpr SetupCommand kSetup[] = {
        {"ATZ", "ELM", 2000}, {"ATE0", "OK", 400}, {"ATL0", "OK", 400},  {"ATS0", "OK", 400},
        {"ATH1", "OK", 400},  {"ATM0", "OK", 400}, {"ATSP0", "OK", 400},
    };
    int number = runSetup(kSetup, false);
    // The first request starts the search: several seconds through the slow initialisation.
    const auto answer = send("0100", "SEARCHING...\r83F11041000000000000\r\r>", 10000);
    trace.EcritTrace(std::to_string(++number) + " :0100: " + answer, false);
    const bool result = answer.find("4100") != std::string::npos;
    const auto protocol = send("ATDPN", "A5", 400);
    trace.EcritTrace(link_.text(2528, "Protocole : ") + protocol, false);
    if (!result) {
        trace.EcritTrace(link_.text(2529, "Echec init : l'ELM327 n'a trouvé aucun protocole OBD") + " (" + answer + ")",
                         false);
    }
    identification_.clear();
    if (port_.inputCount() > 0) port_.input();
    return result;
}

}  // namespace dravio::link
