#include "diag/erreur_decode.h"

#include <array>
#include <optional>

#include "proto/hex.h"

namespace dravio::diag {

namespace {

struct Text {
    int id;
    std::string_view french;
};

struct FaultBit {
    std::uint8_t bit;
    Text component;
    std::optional<Text> typeSet;
    std::optional<Text> typeClear;
};

constexpr Text kCcGnd{366, "   en C.C GND"};
constexpr Text kOpenVbat{367, "   Open or V.Bat."};
constexpr Text kCcVbat{368, "   en C.C V.Bat."};
constexpr Text kOpenGnd{369, "   Open or GND"};
constexpr Text kOpen{372, "   Open"};
constexpr Text kOpenCcGnd{373, "   Open or C.C.GND"};

constexpr std::array<FaultBit, 5> kSensors{{
    {0x01, {355, "Défaut Capteur Papillon"}, kCcGnd, kOpenVbat},
    {0x02, {356, "Défaut Capteur de Pression"}, kCcVbat, kOpenGnd},
    {0x08, {357, "Défaut Capteur Température Moteur"}, kCcGnd, kOpenVbat},
    {0x10, {358, "Défaut Capteur Température Air"}, kCcGnd, kOpenVbat},
    {0x20, {359, "Défaut Tension Batterie"}, Text{370, "   Tension trop élevée"}, Text{371, "   Tension trop faible"}},
}};

constexpr std::array<FaultBit, 5> kActuators{{
    {0x01, {360, "Défaut Injecteur"}, kCcGnd, kOpen},
    {0x02, {361, "Défaut Bobine 1"}, kCcVbat, kOpenCcGnd},
    {0x04, {362, "Défaut Bobine 2"}, kCcVbat, kOpenCcGnd},
    {0x40, {363, "Défaut Pompe Essence"}, kCcVbat, kOpenCcGnd},
    {0x80, {364, "Défaut Relais Général"}, kCcVbat, kOpenCcGnd},
}};

constexpr std::array<FaultBit, 6> kInternal{{
    {0x01, {365, "Défaut Paramètre Trimmer"}, Text{374, "   Au Max"}, Text{375, "   Au Min"}},
    {0x02, {376, "Erreur Mémoire RAM"}, std::nullopt, std::nullopt},
    {0x04, {377, "Erreur Mémoire ROM"}, std::nullopt, std::nullopt},
    {0x08, {378, "Erreur Mémoire EEPROM"}, std::nullopt, std::nullopt},
    {0x10, {379, "Erreur Microprocesseur"}, std::nullopt, std::nullopt},
    {0x20, {380, "Défaut Capteur Tours"}, std::nullopt, std::nullopt},
}};

template <std::size_t N>
void decode(const std::array<FaultBit, N>& table, std::uint8_t fault, std::uint8_t type, const ecu::ResourceText& text,
            std::vector<std::string>& lines) {
    const auto say = [&](const Text& t) {
        const std::string french(t.french);
        lines.push_back(text ? text(t.id, french) : french);
    };
    for (const FaultBit& f : table) {
        if ((fault & f.bit) == 0) continue;
        say(f.component);
        const auto& kind = (type & f.bit) != 0 ? f.typeSet : f.typeClear;
        if (kind) say(*kind);
    }
}

}  // namespace

std::string erreurRowTitle(int row) {
    constexpr std::array<std::string_view, kErreurRows> kTitles{"Capteurs", "Commandes", "Défaut", "Statut Moteur",
                                                                "Capteurs", "Commandes", "Défaut"};
    return row >= 0 && row < kErreurRows ? std::string(kTitles[static_cast<std::size_t>(row)]) : std::string();
}

std::string faultByteRequest(int row) { return proto::ByteToHex(0x10 + row); }
std::string typeByteRequest(int row) { return proto::ByteToHex(0x2B + row); }

bool isNoFault(std::string_view answer) { return answer == "00" || answer == "FF"; }

std::vector<std::string> gestion_erreur1516(int row, std::uint8_t fault, std::uint8_t type,
                                            const ecu::ResourceText& text) {
    std::vector<std::string> lines;
    switch (row) {
        case 0:
        case 4:
            decode(kSensors, fault, type, text, lines);
            break;
        case 1:
        case 5:
            decode(kActuators, fault, type, text, lines);
            break;
        case 2:
        case 6:
            decode(kInternal, fault, type, text, lines);
            break;
        default:
            break;
    }
    return lines;
}

std::vector<std::string> statusLines(std::uint8_t status, const ecu::ResourceText& text) {
    std::vector<std::string> lines;
    const auto say = [&](int id, const char* french) { lines.push_back(text ? text(id, french) : french); };
    if ((status & 0x01) != 0) say(3212, "Habilitation Stepper OK");
    if ((status & 0x02) != 0) {
        say(3213, "Moteur en marche");
    } else {
        say(3214, "Moteur arrêté");
    }
    if ((status & 0x08) != 0) {
        say(3215, "Papillon au maxi ou mini / TPS max or min");
    } else {
        say(3216, "Papillon en position intermédiaire / TPS medium");
    }
    if ((status & 0x80) != 0) say(3217, "Test Stepper en action");
    return lines;
}

std::string statusValueText(std::uint8_t status) {
    if (status == 0) return "00";
    std::string hex = proto::ByteToHex(status);
    if (hex[0] == '0') hex.erase(0, 1);
    return hex;
}

}  // namespace dravio::diag
