// support: the section and key names of ecu.ini, for readers and writers that use
// IniFile directly (the link initialisation memory, the interface window, ...).
// Names are matched without regard to case: "Menu" and "MENU" are one section.
#pragma once

#include <string_view>

namespace dravio::support::keys {

inline constexpr std::string_view Mesures = "Mesures";
inline constexpr std::string_view Air = "Air";
inline constexpr std::string_view Eau = "Eau";
inline constexpr std::string_view Avance = "Avance";
inline constexpr std::string_view Pression = "Pression";
inline constexpr std::string_view Lambda = "Lambda";
inline constexpr std::string_view Injection = "Injection";
inline constexpr std::string_view Tension = "Tension";
inline constexpr std::string_view Potar = "Potar";
inline constexpr std::string_view Trimmer = "Trimmer";
inline constexpr std::string_view MoteurPP = "MoteurPP";
inline constexpr std::string_view ALFAU22 = "ALFAU22";

inline constexpr std::string_view Unite = "Unite";
inline constexpr std::string_view Temp = "Temp";
// Unite also holds a "Pression" key (see Pression above).

inline constexpr std::string_view COM = "COM";
inline constexpr std::string_view PORT = "PORT";
inline constexpr std::string_view LcDlp = "LC-DLP";

// The program spells the section "Menu" for `auto` and "MENU" for `log`.
inline constexpr std::string_view Menu = "Menu";
inline constexpr std::string_view MENU = "MENU";
inline constexpr std::string_view Auto = "auto";
inline constexpr std::string_view Log = "log";
inline constexpr std::string_view ReInitAuto = "ReInitAuto";

inline constexpr std::string_view Affichage = "Affichage";
inline constexpr std::string_view Tempo = "Tempo";
inline constexpr std::string_view Langue = "Langue";

inline constexpr std::string_view Graphe = "Graphe";
inline constexpr std::string_view NbPoint = "NbPoint";
inline constexpr std::string_view zMax = "zMax";
inline constexpr std::string_view zMin = "zMin";

inline constexpr std::string_view ECU = "ECU";
inline constexpr std::string_view Type = "Type";
// Link initialisation memory, read and written by the link initialisation.
inline constexpr std::string_view Init = "Init";
inline constexpr std::string_view InitB = "InitB";
inline constexpr std::string_view Chrono = "Chrono";

inline constexpr std::string_view DLP = "DLP";
inline constexpr std::string_view V1L = "V1L";
inline constexpr std::string_view V1H = "V1H";
inline constexpr std::string_view V2L = "V2L";
inline constexpr std::string_view V2H = "V2H";
inline constexpr std::string_view FR1L = "FR1L";
inline constexpr std::string_view FR1H = "FR1H";
inline constexpr std::string_view FR2L = "FR2L";
inline constexpr std::string_view FR2H = "FR2H";

inline constexpr std::string_view TPS = "TPS";
inline constexpr std::string_view Steep = "Steep";
inline constexpr std::string_view mVolt = "mVolt";

// Interface also uses "Type" and "PORT".
inline constexpr std::string_view Interface = "Interface";
inline constexpr std::string_view Description = "Description";
// The serial K-line cable's path, and an ELM327 path typed instead of a Com number.
inline constexpr std::string_view Device = "Device";
inline constexpr std::string_view ElmDevice = "ElmDevice";

inline constexpr std::string_view Logworks = "Logworks";
inline constexpr std::string_view Folder = "Folder";
inline constexpr std::string_view Ext = "Ext";

inline constexpr std::string_view Coef = "Coef";
inline constexpr std::string_view A = "A";
inline constexpr std::string_view B = "B";

inline constexpr std::string_view UPDATE = "UPDATE";
inline constexpr std::string_view Revision = "Revision";

inline constexpr std::string_view POSITIONS = "POSITIONS";

}  // namespace dravio::support::keys
