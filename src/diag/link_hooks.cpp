#include "diag/link_hooks.h"

#include "link/link.h"

namespace dravio::diag {

LinkHooks linkHooks(link::Link& link, ecu::ResourceText GetResourceString) {
    LinkHooks h;
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

}  // namespace dravio::diag
