// support: the settings object, one field per ecu.ini key, with the defaults a
// missing key yields, and EcritConfig, which writes its fixed list of keys back.
#pragma once

#include <array>
#include <string>

#include "support/ini_file.h"

namespace dravio::support {

struct Settings {
    // [Mesures]: channels shown (stored "-1"/"0"; any non-zero value reads true).
    bool Air = true;        // Air
    bool Eau = true;        // Eau
    bool Avance = true;     // Avance
    bool Pression = true;   // Pression
    bool Lambda = true;     // Lambda
    bool Injection = true;  // Injection
    bool Tension = true;    // Tension
    bool Potar = true;      // Potar
    bool Trimmer = false;   // Trimmer
    bool MoteurPP = false;  // MoteurPP
    // [Mesures] ALFAU22 has no field: EcritConfig always writes "0".

    // [Unite]
    bool UniteTemp = true;      // Temp: true = °C, false = °F
    bool UnitePression = true;  // Pression: true = hPa, false = mmHg

    // [COM]
    int Port = 1;                   // PORT: serial port number
    std::string LcDlp = "Nothing";  // LC-DLP: "Nothing", "DLP-IO8", "LC-LM" or "USB-1208"

    // [Menu] / [MENU] (one section)
    int Auto = 1;  // auto: 1 starts the measurement cycle after a successful initialisation
    int Log = 0;   // log: number of the last trace file (see rotateTraceFile)
    bool ReInitAuto = false;  // ReInitAuto: re-initialise by itself after the link went down

    // [Affichage]
    int Tempo = 5;                    // Tempo: averaging depth in cycles
    std::string Langue = "Francais";  // Langue: cut to 100 bytes when read

    // [Graphe]
    int NbPoint = 30;  // NbPoint
    int zMax = 1500;   // zMax, written as "0000"
    int zMin = 1000;   // zMin, written as "0000"

    // [ECU]
    int TypeECU = 0;  // Type: ECU model index

    // [DLP]: the two volt-to-AFR lines; element 0 is line 1, element 1 line 2.
    // Stored x 100 as "0000"; the stored defaults are 0, 5, 0, 5 and 10, 20, 10, 20.
    std::array<float, 2> LowVolts{0.0f, 0.0f};     // V1L, V2L
    std::array<float, 2> HighVolts{0.05f, 0.05f};  // V1H, V2H
    std::array<float, 2> LowAfr{0.10f, 0.10f};     // FR1L, FR2L
    std::array<float, 2> HighAfr{0.20f, 0.20f};    // FR1H, FR2H

    // [TPS]
    int Steep = 245;   // Steep: throttle converter steps at mVolt
    int mVolt = 4720;  // mVolt: throttle supply voltage in mV

    // [Interface]
    int InterfaceType = 0;                           // Type
    int InterfacePort = 1;                           // PORT
    std::string InterfaceDescription = "Mode Demo";  // Description

    // [Logworks]
    std::string LogworksFolder;       // Folder
    std::string LogworksExt = "TXT";  // Ext

    // [Coef]
    std::string CoefA = "3.008";  // A
    std::string CoefB = "7.35";   // B

    // [UPDATE]
    std::string Revision = "24/02/2008";  // Revision: date of the last update check

    // Fills every field from the file, with the defaults above for missing keys.
    void load(const IniFile& ini);

    // Writes, in one atomic rewrite, exactly these keys in this order:
    // Mesures Air, Avance, Eau, Potar, Injection, Pression, Lambda, Tension, Trimmer,
    // MoteurPP; Unite Temp, Pression; COM PORT; Mesures ALFAU22; Menu auto;
    // Affichage Tempo; Graphe NbPoint, zMax, zMin; Affichage Langue; ECU Type;
    // DLP V1L, V2L, V1H, V2H, FR1L, FR1H, FR2L, FR2H.
    // False (see ini.lastError()) when the file cannot be written.
    bool EcritConfig(IniFile& ini) const;

    bool operator==(const Settings&) const = default;
};

// Texts as stored: "-1"/"0" for booleans; the pattern "0000" (at least four digits,
// a leading '-' for negatives) for zMax, zMin and the DLP values.
std::string formatBoolean(bool value);
std::string formatFourDigits(int value);
// A DLP value as stored: value x 100, rounded half away from zero, as "0000".
std::string formatDlp(float value);

}  // namespace dravio::support
