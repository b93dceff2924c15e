#include "diag/erreur_decode.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace dravio::diag {
namespace {

using Lines = std::vector<std::string>;

TEST(GestionErreur1516, EachRowDecodesItsOwnTableWithTheTypeBit) {
    const struct {
        int row;
        std::uint8_t fault, type;
        Lines lines;
    } cases[] = {
        {0, 0x03, 0x03, {"Défaut Capteur Papillon", "   en C.C GND", "Défaut Capteur de Pression", "   en C.C V.Bat."}},
        {4,
         0x03,
         0x00,
         {"Défaut Capteur Papillon", "   Open or V.Bat.", "Défaut Capteur de Pression", "   Open or GND"}},
        {0,
         0x38,
         0x20,
         {"Défaut Capteur Température Moteur", "   Open or V.Bat.", "Défaut Capteur Température Air",
          "   Open or V.Bat.", "Défaut Tension Batterie", "   Tension trop élevée"}},
        {4, 0x20, 0x00, {"Défaut Tension Batterie", "   Tension trop faible"}},
        // Sensor bits 0x04, 0x40, 0x80 and actuator bits 0x08, 0x10, 0x20 say nothing.
        {0, 0xC4, 0xFF, {}},
        {5, 0x38, 0xFF, {}},
        {1,
         0xC7,
         0x41,
         {"Défaut Injecteur", "   en C.C GND", "Défaut Bobine 1", "   Open or C.C.GND", "Défaut Bobine 2",
          "   Open or C.C.GND", "Défaut Pompe Essence", "   en C.C V.Bat.", "Défaut Relais Général",
          "   Open or C.C.GND"}},
        {5, 0x01, 0x00, {"Défaut Injecteur", "   Open"}},
        {2, 0x03, 0x03, {"Défaut Paramètre Trimmer", "   Au Max", "Erreur Mémoire RAM"}},
        {6,
         0x3D,
         0x00,
         {"Défaut Paramètre Trimmer", "   Au Min", "Erreur Mémoire ROM", "Erreur Mémoire EEPROM",
          "Erreur Microprocesseur", "Défaut Capteur Tours"}},
        {6, 0xC0, 0xFF, {}},
        {3, 0xFF, 0xFF, {}},
        {7, 0xFF, 0xFF, {}},
        {-1, 0xFF, 0xFF, {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(gestion_erreur1516(c.row, c.fault, c.type), c.lines)
            << "row " << c.row << " fault " << int(c.fault) << " type " << int(c.type);
    }
}

TEST(GestionErreur1516, TextsComeFromTheLanguageById) {
    const auto english = [](int id, const std::string& french) {
        return id == 355 ? std::string("Throttle sensor fault") : id == 366 ? std::string("   short to GND") : french;
    };
    EXPECT_EQ(gestion_erreur1516(0, 0x01, 0x01, english), (Lines{"Throttle sensor fault", "   short to GND"}));
    EXPECT_EQ(gestion_erreur1516(2, 0x20, 0, english), (Lines{"Défaut Capteur Tours"}));
}

TEST(StatusByte, LinesAndShownValue) {
    const struct {
        std::uint8_t status;
        const char* shown;
        Lines lines;
    } cases[] = {
        {0x48, "48", {"Moteur arrêté", "Papillon au maxi ou mini / TPS max or min"}},
        {0x00, "00", {"Moteur arrêté", "Papillon en position intermédiaire / TPS medium"}},
        {0x05, "5", {"Habilitation Stepper OK", "Moteur arrêté", "Papillon en position intermédiaire / TPS medium"}},
        {0x8B,
         "8B",
         {"Habilitation Stepper OK", "Moteur en marche", "Papillon au maxi ou mini / TPS max or min",
          "Test Stepper en action"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(statusValueText(c.status), c.shown);
        EXPECT_EQ(statusLines(c.status), c.lines) << c.shown;
    }
}

TEST(FaultRows, CommandsAndNoFaultAnswers) {
    const char* fault[] = {"10", "11", "12", "13", "14", "15", "16"};
    const char* type[] = {"2B", "2C", "2D", "2E", "2F", "30", "31"};
    for (int r = 0; r < kErreurRows; ++r) {
        EXPECT_EQ(faultByteRequest(r), fault[r]);
        EXPECT_EQ(typeByteRequest(r), type[r]);
    }
    EXPECT_TRUE(isNoFault("00"));
    EXPECT_TRUE(isNoFault("FF"));
    EXPECT_FALSE(isNoFault(""));
    EXPECT_FALSE(isNoFault("01"));
}

}  // namespace
}  // namespace dravio::diag
