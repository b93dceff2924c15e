#include "display/ecu_lambda.h"

#include <string>

#include "proto/hex.h"

namespace dravio::display {

std::uint16_t GetLambda(bool iaw5a, const ecu::Exchange& EnvoieRequete, const ecu::Wait& Attente,
                        std::string_view EnteteReponse) {
    if (!iaw5a || !EnvoieRequete) return 0;
    if (Attente) Attente(0.06);
    const std::string demo = "84" + std::string(EnteteReponse) + "6147999909";
    const std::string reponse = EnvoieRequete("2145", demo, 8, 800);
    const std::string cherche = std::string(EnteteReponse) + "6145";
    const std::size_t p = reponse.find(cherche);
    if (p == std::string::npos || reponse.size() < p + 12) return 0;
    return static_cast<std::uint16_t>(proto::HexToByte(reponse.substr(p + 8, 2)) * 256 +
                                      proto::HexToByte(reponse.substr(p + 10, 2)));
}

}  // namespace dravio::display
