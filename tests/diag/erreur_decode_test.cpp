#include "diag/erreur_decode.h"

#include <gtest/gtest.h>

namespace dravio::diag {
namespace {

using Lines = std::vector<std::string>;

TEST(GestionErreur1516, EachRowDecodesItsOwnTableWithTheTypeBit) {
    const struct {
        int row;
        std::uint8_t fault, type;
        Lines lines;
    } cases[] = {
        // clang-format off
        {4, 0x03, 0x01, {"Défaut Capteur Papillon", "   en C.C GND", "Défaut Capteur de Pression", "   Open or GND"}},
        {0, 0x38, 0x20, {"Défaut Capteur Température Moteur", "   Open or V.Bat.", "Défaut Capteur Température Air",
                         "   Open or V.Bat.", "Défaut Tension Batterie", "   Tension trop élevée"}},
        // Sensor bits 0x04, 0x40, 0x80 and actuator bits 0x08, 0x10, 0x20 say nothing.
        {0, 0xC4, 0xFF, {}},
        {5, 0x38, 0xFF, {}},
        {1, 0xC7, 0x41, {"Défaut Injecteur", "   en C.C GND", "Défaut Bobine 1", "   Open or C.C.GND", "Défaut Bobine 2",
                         "   Open or C.C.GND", "Défaut Pompe Essence", "   en C.C V.Bat.", "Défaut Relais Général",
                         "   Open or C.C.GND"}},
        {6, 0x3D, 0x00, {"Défaut Paramètre Trimmer", "   Au Min", "Erreur Mémoire ROM", "Erreur Mémoire EEPROM",
                         "Erreur Microprocesseur", "Défaut Capteur Tours"}},
        {3, 0xFF, 0xFF, {}},
        // clang-format on
    };
    for (const auto& c : cases) {
        EXPECT_EQ(gestion_erreur1516(c.row, c.fault, c.type), c.lines) << "row " << c.row << " " << int(c.fault);
    }
}

}  // namespace
}  // namespace dravio::diag
