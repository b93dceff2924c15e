#include "diag/actuator_tests.h"

#include "proto/hex.h"
#include "diag/dtc59_text.h"

namespace dravio::diag {

namespace {

// The language text of `id`, the built-in French without a catalog.
struct Texts {
    const ecu::ResourceText& text;
    std::string GetResourceString(int id, const std::string& french) const { return text ? text(id, french) : french; }
};

}  // namespace

const std::array<ActuatorTest, 9>& actuatorTests() {
    static const std::array<ActuatorTest, 9> tests{{
        {540, "Compte Tour", 550, "Vérifiez que le compte tour monte à 3750 tr/mn.", 2000, 0x06},
        {541, "Pompe à essence", 551, "Vérifiez que vous entendez la pompe à essence.", 30000, 0x05},
        {542, "Bobine 1", 552, "Test bobine cylindre horizontal", 5000, 0x02},
        {543, "Bobine 2", 553, "Test bobine cylindre Vertical", 5000, 0x03},
        {544, "Injecteur 1", 554, "Test injecteur cylindre horizontal", 5000, 0x08},
        {545, "Injecteur 2", 555, "Test injecteur cyindre Vertical", 5000, 0x09},
        {546, "Ventilateur 1", 556, "Test ventilateur 1", 10000, 0x0E},
        {547, "Ventilateur 2", 557, "Test ventilateur 2", 10000, 0x0D},
        {564, "AntiDemarrage", 572, "Statut Antidémarrage", 200, std::nullopt},
    }};
    return tests;
}

std::string refusalCause(std::string_view answer, std::string_view service, const ecu::ResourceText& text) {
    const Texts t{text};
    const long p = kwptext::instr(answer, "7F" + std::string(service));
    const std::string cause = p > 0 ? kwptext::mid(answer, p + 4, 2) : std::string();
    if (cause == "10") return t.GetResourceString(531, "Cause générale");
    if (cause == "12") return t.GetResourceString(532, "Sous fonction non supportée");
    if (cause == "22") return t.GetResourceString(533, "Conditions incorrectes");
    return t.GetResourceString(534, "Cause inconnue");
}

std::string immobiliserText(std::uint8_t status, const ecu::ResourceText& text) {
    const Texts t{text};
    switch (status) {
        case 0x00:
            return t.GetResourceString(563, "Système OK");
        case 0x01:
            return t.GetResourceString(565, "ECU Vierge");
        case 0x02:
            return t.GetResourceString(566, "ECU Bloqué");
        case 0x04:
            return t.GetResourceString(567, "Code Universel");
        case 0x10:
            return t.GetResourceString(568, "Recu Backdoor code");
        case 0x20:
            return t.GetResourceString(569, "Erreur code key");
        case 0x40:
            return t.GetResourceString(571, "Code Non Noto");
        case 0x80:
            return t.GetResourceString(570, "Aucun code reçu");
        default:
            return {};
    }
}

}  // namespace dravio::diag
