#include "diag/dtc59_hooks.h"

#include "link/link.h"

namespace dravio::diag {

Dtc59Hooks dtc59Hooks(link::Link& link, ecu::ResourceText GetResourceString) {
    Dtc59Hooks h;
    h.EnvoieRequete = [&link](std::string_view requete, std::string_view reponseDemo, std::int16_t longueur,
                              std::int16_t delaiMs) {
        return link.EnvoieRequete(requete, reponseDemo, longueur, delaiMs);
    };
    h.Attente = [&link](double secondes) { link.Attente(secondes); };
    h.GetResourceString = std::move(GetResourceString);
    h.EcritTrace = [&link](std::string_view texte, bool avecTemps) { link.trace().EcritTrace(texte, avecTemps); };
    h.Timer_present = [&link](bool enabled) { link.Timer_present().setEnabled(enabled); };
    h.EnteteReponse = link.EnteteReponse;
    return h;
}

Dtc59Requests dtc59Requests(const ecu::RequestTable& table, int typeEcu) {
    auto get = [&](ecu::Slot slot) { return KwpRequest{table.request(slot, typeEcu), table.length(slot, typeEcu)}; };
    Dtc59Requests r;
    r.ReqDefauts = get(ecu::Slot::ReqDefauts);
    r.ReqStatutDefaut = get(ecu::Slot::ReqStatutDefaut);
    r.ReqEffaceDefauts = get(ecu::Slot::ReqEffaceDefauts);
    r.ReqActionneur = get(ecu::Slot::ReqActionneur);
    r.ReqActionneurFin = get(ecu::Slot::ReqActionneurFin);
    r.ReqAntiDemarrage = get(ecu::Slot::ReqAntiDemarrage);
    r.ReqLit57 = get(ecu::Slot::ReqLit57);
    r.ReqStartCom = get(ecu::Slot::ReqStartCom);
    r.ReqRoutine = get(ecu::Slot::ReqRoutine);
    r.ReqRoutineResult = get(ecu::Slot::ReqRoutineResult);
    return r;
}

std::string withLocalId(std::string_view request, std::string_view id) {
    std::string out(request);
    if (const auto p = out.find("xx"); p != std::string::npos) out.replace(p, 2, id);
    return out;
}

}  // namespace dravio::diag
