#include "support/settings.h"

#include <climits>
#include <cmath>
#include <cstdio>

#include "support/settings_keys.h"
#include "support/text_utils.h"

namespace dravio::support {

namespace {

constexpr std::size_t kMaxLanguageLength = 100;

bool readBool(const IniFile& ini, std::string_view section, std::string_view key, bool defaultValue) {
    return ini.readInt(section, key, defaultValue ? -1 : 0) != 0;
}

float readDlp(const IniFile& ini, std::string_view key, int storedDefault) {
    return static_cast<float>(ini.readInt(keys::DLP, key, storedDefault)) / 100.0f;
}

}  // namespace

std::string formatBoolean(bool value) { return value ? "-1" : "0"; }

std::string formatFourDigits(int value) {
    char buffer[16];
    if (value < 0) {
        std::snprintf(buffer, sizeof buffer, "-%04lld", -static_cast<long long>(value));
    } else {
        std::snprintf(buffer, sizeof buffer, "%04d", value);
    }
    return buffer;
}

std::string formatDlp(float value) {
    double scaled = std::round(static_cast<double>(value) * 100.0);
    if (!(scaled >= INT_MIN && scaled <= INT_MAX)) scaled = 0;  // NaN or absurd: store 0
    return formatFourDigits(static_cast<int>(scaled));
}

void Settings::load(const IniFile& ini) {
    const Settings defaults;
    Air = readBool(ini, keys::Mesures, keys::Air, defaults.Air);
    Eau = readBool(ini, keys::Mesures, keys::Eau, defaults.Eau);
    Avance = readBool(ini, keys::Mesures, keys::Avance, defaults.Avance);
    Pression = readBool(ini, keys::Mesures, keys::Pression, defaults.Pression);
    Lambda = readBool(ini, keys::Mesures, keys::Lambda, defaults.Lambda);
    Injection = readBool(ini, keys::Mesures, keys::Injection, defaults.Injection);
    Tension = readBool(ini, keys::Mesures, keys::Tension, defaults.Tension);
    Potar = readBool(ini, keys::Mesures, keys::Potar, defaults.Potar);
    Trimmer = readBool(ini, keys::Mesures, keys::Trimmer, defaults.Trimmer);
    MoteurPP = readBool(ini, keys::Mesures, keys::MoteurPP, defaults.MoteurPP);

    UniteTemp = readBool(ini, keys::Unite, keys::Temp, defaults.UniteTemp);
    UnitePression = readBool(ini, keys::Unite, keys::Pression, defaults.UnitePression);

    Port = ini.readInt(keys::COM, keys::PORT, defaults.Port);
    LcDlp = ini.readString(keys::COM, keys::LcDlp, defaults.LcDlp);

    Auto = ini.readInt(keys::Menu, keys::Auto, defaults.Auto);
    ReInitAuto = ini.readInt(keys::Menu, keys::ReInitAuto, 0) != 0;
    Log = ini.readInt(keys::MENU, keys::Log, defaults.Log);

    Tempo = ini.readInt(keys::Affichage, keys::Tempo, defaults.Tempo);
    Langue = std::string(cutUtf8(ini.readString(keys::Affichage, keys::Langue, defaults.Langue), kMaxLanguageLength));

    NbPoint = ini.readInt(keys::Graphe, keys::NbPoint, defaults.NbPoint);
    zMax = ini.readInt(keys::Graphe, keys::zMax, defaults.zMax);
    zMin = ini.readInt(keys::Graphe, keys::zMin, defaults.zMin);

    TypeECU = ini.readInt(keys::ECU, keys::Type, defaults.TypeECU);

    // Stored defaults (x 100) are divided like stored values: a missing V1H is 0.05.
    LowVolts = {readDlp(ini, keys::V1L, 0), readDlp(ini, keys::V2L, 0)};
    HighVolts = {readDlp(ini, keys::V1H, 5), readDlp(ini, keys::V2H, 5)};
    LowAfr = {readDlp(ini, keys::FR1L, 10), readDlp(ini, keys::FR2L, 10)};
    HighAfr = {readDlp(ini, keys::FR1H, 20), readDlp(ini, keys::FR2H, 20)};

    Steep = ini.readInt(keys::TPS, keys::Steep, defaults.Steep);
    mVolt = ini.readInt(keys::TPS, keys::mVolt, defaults.mVolt);

    InterfaceType = ini.readInt(keys::Interface, keys::Type, defaults.InterfaceType);
    InterfacePort = ini.readInt(keys::Interface, keys::PORT, defaults.InterfacePort);
    InterfaceDescription = ini.readString(keys::Interface, keys::Description, defaults.InterfaceDescription);

    LogworksFolder = ini.readString(keys::Logworks, keys::Folder, defaults.LogworksFolder);
    LogworksExt = ini.readString(keys::Logworks, keys::Ext, defaults.LogworksExt);

    CoefA = ini.readString(keys::Coef, keys::A, defaults.CoefA);
    CoefB = ini.readString(keys::Coef, keys::B, defaults.CoefB);

    Revision = ini.readString(keys::UPDATE, keys::Revision, defaults.Revision);
}

bool Settings::EcritConfig(IniFile& ini) const {
    bool ok = true;
    auto set = [&](std::string_view section, std::string_view key, const std::string& value) {
        ok = ini.setString(section, key, value) && ok;
    };
    set(keys::Mesures, keys::Air, formatBoolean(Air));
    set(keys::Mesures, keys::Avance, formatBoolean(Avance));
    set(keys::Mesures, keys::Eau, formatBoolean(Eau));
    set(keys::Mesures, keys::Potar, formatBoolean(Potar));
    set(keys::Mesures, keys::Injection, formatBoolean(Injection));
    set(keys::Mesures, keys::Pression, formatBoolean(Pression));
    set(keys::Mesures, keys::Lambda, formatBoolean(Lambda));
    set(keys::Mesures, keys::Tension, formatBoolean(Tension));
    set(keys::Mesures, keys::Trimmer, formatBoolean(Trimmer));
    set(keys::Mesures, keys::MoteurPP, formatBoolean(MoteurPP));
    set(keys::Unite, keys::Temp, formatBoolean(UniteTemp));
    set(keys::Unite, keys::Pression, formatBoolean(UnitePression));
    set(keys::COM, keys::PORT, std::to_string(Port));
    set(keys::Mesures, keys::ALFAU22, "0");
    set(keys::Menu, keys::Auto, std::to_string(Auto));
    // Our own key: written once the rider has turned it on, so that a settings file of
    // the described layout stays as it was until then.
    if (ReInitAuto || ini.hasKey(keys::Menu, keys::ReInitAuto)) set(keys::Menu, keys::ReInitAuto, ReInitAuto ? "1" : "0");
    set(keys::Affichage, keys::Tempo, std::to_string(Tempo));
    set(keys::Graphe, keys::NbPoint, std::to_string(NbPoint));
    set(keys::Graphe, keys::zMax, formatFourDigits(zMax));
    set(keys::Graphe, keys::zMin, formatFourDigits(zMin));
    set(keys::Affichage, keys::Langue, Langue);
    set(keys::ECU, keys::Type, std::to_string(TypeECU));
    set(keys::DLP, keys::V1L, formatDlp(LowVolts[0]));
    set(keys::DLP, keys::V2L, formatDlp(LowVolts[1]));
    set(keys::DLP, keys::V1H, formatDlp(HighVolts[0]));
    set(keys::DLP, keys::V2H, formatDlp(HighVolts[1]));
    set(keys::DLP, keys::FR1L, formatDlp(LowAfr[0]));
    set(keys::DLP, keys::FR1H, formatDlp(HighAfr[0]));
    set(keys::DLP, keys::FR2L, formatDlp(LowAfr[1]));
    set(keys::DLP, keys::FR2H, formatDlp(HighAfr[1]));
    return ini.commit() && ok;
}

}  // namespace dravio::support
