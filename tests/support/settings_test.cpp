#include "support/settings.h"

#include <gtest/gtest.h>

#include "support/settings_keys.h"
#include "support/trace_rotation.h"
#include "temp_folder.h"

namespace dravio::support {
namespace {

using testing::readBytes;
using testing::TempFolder;
using testing::writeBytes;

TEST(Settings, FirstStartWithoutSettingsFileGivesTheTableDefaults) {
    TempFolder dir;
    IniFile ini(dir / "ecu.ini");
    Settings s;
    s.Air = s.Eau = false;  // load must overwrite, not keep what was there
    s.Port = 9;
    s.load(ini);

    EXPECT_TRUE(s.Air && s.Eau && s.Avance && s.Pression && s.Lambda && s.Injection && s.Tension && s.Potar);
    EXPECT_FALSE(s.Trimmer);
    EXPECT_FALSE(s.MoteurPP);
    EXPECT_TRUE(s.UniteTemp);
    EXPECT_TRUE(s.UnitePression);
    EXPECT_EQ(s.Port, 1);
    EXPECT_EQ(s.LcDlp, "Nothing");
    EXPECT_EQ(s.Auto, 1);
    EXPECT_EQ(s.Log, 0);
    EXPECT_EQ(s.Tempo, 5);
    EXPECT_EQ(s.Langue, "Francais");
    EXPECT_EQ(s.NbPoint, 30);
    EXPECT_EQ(s.zMax, 1500);
    EXPECT_EQ(s.zMin, 1000);
    EXPECT_EQ(s.TypeECU, 0);
    EXPECT_FLOAT_EQ(s.LowVolts[0], 0.0f);
    EXPECT_FLOAT_EQ(s.LowVolts[1], 0.0f);
    EXPECT_FLOAT_EQ(s.HighVolts[0], 0.05f);
    EXPECT_FLOAT_EQ(s.HighVolts[1], 0.05f);
    EXPECT_FLOAT_EQ(s.LowAfr[0], 0.10f);
    EXPECT_FLOAT_EQ(s.LowAfr[1], 0.10f);
    EXPECT_FLOAT_EQ(s.HighAfr[0], 0.20f);
    EXPECT_FLOAT_EQ(s.HighAfr[1], 0.20f);
    EXPECT_EQ(s.Steep, 245);
    EXPECT_EQ(s.mVolt, 4720);
    EXPECT_EQ(s.InterfaceType, 0);
    EXPECT_EQ(s.InterfacePort, 1);
    EXPECT_EQ(s.InterfaceDescription, "Mode Demo");
    EXPECT_EQ(s.LogworksFolder, "");
    EXPECT_EQ(s.LogworksExt, "TXT");
    EXPECT_EQ(s.CoefA, "3.008");
    EXPECT_EQ(s.CoefB, "7.35");
    EXPECT_EQ(s.Revision, "24/02/2008");

    TraceFileChoice trace = rotateTraceFile(ini, dir / "Log");
    EXPECT_EQ(trace.number, 1);
    EXPECT_EQ(trace.FichierTrace, dir / "Log" / "dravio1.log");
    EXPECT_TRUE(trace.saved);
    EXPECT_EQ(IniFile(dir / "ecu.ini").readString("MENU", "log", ""), "1");
}

TEST(Settings, EcritConfigOfTheDefaultsMatchesTheReviewedFile) {
    TempFolder dir;
    IniFile ini(dir / "ecu.ini");
    ASSERT_TRUE(Settings{}.EcritConfig(ini));
    EXPECT_EQ(readBytes(dir / "ecu.ini"), readBytes(DRAVIO_SOURCE_DATA_DIR "/tests/support/data/ecu_defaults.ini"));
}

TEST(Settings, EcritConfigWritesOnlyItsKeysAndTheyReadBack) {
    TempFolder dir;
    writeBytes(dir / "ecu.ini", "[TPS]\r\nSteep=200\r\n[ECU]\r\nInit=3\r\n[COM]\r\nLC-DLP=DLP-IO8\r\n");
    IniFile ini(dir / "ecu.ini");
    Settings s;
    s.load(ini);
    s.Air = false;
    s.Trimmer = true;
    s.UnitePression = false;
    s.Port = 7;
    s.Auto = 0;
    s.Tempo = 12;
    s.NbPoint = 60;
    s.zMax = 900;
    s.zMin = -5;
    s.Langue = "English";
    s.TypeECU = 4;
    s.LowVolts = {0.5f, 1.25f};
    s.HighVolts = {4.5f, 5.0f};
    s.LowAfr = {7.35f, 10.0f};
    s.HighAfr = {22.39f, 20.0f};
    ASSERT_TRUE(s.EcritConfig(ini));

    IniFile again(dir / "ecu.ini");
    Settings back;
    back.load(again);
    EXPECT_EQ(back, s);
    EXPECT_EQ(again.readString("Graphe", "zMax", ""), "0900");
    EXPECT_EQ(again.readString("Graphe", "zMin", ""), "-0005");
    EXPECT_EQ(again.readString("DLP", "V2L", ""), "0125");
    EXPECT_EQ(again.readString("DLP", "FR1H", ""), "2239");
    EXPECT_EQ(again.readString("Mesures", "ALFAU22", ""), "0");
    EXPECT_EQ(again.readString("Mesures", "Air", ""), "0");
    EXPECT_EQ(again.readString("Mesures", "Trimmer", ""), "-1");
    // Keys with other writers are left as they were.
    EXPECT_EQ(again.readString("TPS", "Steep", ""), "200");
    EXPECT_EQ(again.readString("ECU", "Init", ""), "3");
    EXPECT_EQ(again.readString("COM", "LC-DLP", ""), "DLP-IO8");
    EXPECT_FALSE(again.hasKey("Interface", "Type"));
    EXPECT_FALSE(again.hasKey("UPDATE", "Revision"));
}

TEST(Settings, StoredValuesAreReadWithTheirRules) {
    TempFolder dir;
    writeBytes(dir / "ecu.ini",
               "[Mesures]\nAir=0\nEau=1\nTrimmer=-1\nMoteurPP=abc\n"
               "[Unite]\nTemp=0\nPression=0\n"
               "[DLP]\nV1L=0050\nFR2H=2239\n"
               "[Menu]\nauto=0\nlog=7\n"
               "[Affichage]\nLangue=" +
                   std::string(150, 'L') + "\n");
    IniFile ini(dir / "ecu.ini");
    Settings s;
    s.load(ini);
    EXPECT_FALSE(s.Air);
    EXPECT_TRUE(s.Eau);  // any non-zero value is true
    EXPECT_TRUE(s.Trimmer);
    EXPECT_FALSE(s.MoteurPP);  // unreadable: the default
    EXPECT_FALSE(s.UniteTemp);
    EXPECT_FALSE(s.UnitePression);
    EXPECT_FLOAT_EQ(s.LowVolts[0], 0.5f);
    EXPECT_FLOAT_EQ(s.HighVolts[0], 0.05f);  // V1H missing
    EXPECT_FLOAT_EQ(s.HighAfr[1], 22.39f);
    EXPECT_EQ(s.Auto, 0);
    EXPECT_EQ(s.Log, 7);
    EXPECT_EQ(s.Langue, std::string(100, 'L'));
}

TEST(SettingsFormat, PatternsOfTheStoredTexts) {
    EXPECT_EQ(formatBoolean(true), "-1");
    EXPECT_EQ(formatBoolean(false), "0");
    struct Case {
        int value;
        const char* text;
    };
    for (Case c : {Case{0, "0000"}, Case{5, "0005"}, Case{900, "0900"}, Case{1500, "1500"}, Case{12345, "12345"},
                   Case{-5, "-0005"}}) {
        EXPECT_EQ(formatFourDigits(c.value), c.text) << c.value;
    }
    struct DlpCase {
        float value;
        const char* text;
    };
    for (DlpCase c : {DlpCase{0.05f, "0005"}, DlpCase{4.72f, "0472"}, DlpCase{14.7f, "1470"}, DlpCase{0.125f, "0013"},
                      DlpCase{-0.5f, "-0050"}}) {
        EXPECT_EQ(formatDlp(c.value), c.text) << c.value;
    }
}

TEST(TraceRotation, NextNumberFromTheStoredOne) {
    struct Case {
        const char* stored;  // nullptr: key absent
        int number;
    };
    const Case cases[] = {{nullptr, 1}, {"0", 1},  {"4", 5}, {"8", 9}, {"9", 0},
                          {"57", 8},    {"-3", 1}, {"x", 1}, {"", 1},  {"9junk", 0}};
    for (const Case& c : cases) {
        TempFolder dir;
        if (c.stored) writeBytes(dir / "ecu.ini", std::string("[MENU]\r\nlog=") + c.stored + "\r\n");
        IniFile ini(dir / "ecu.ini");
        TraceFileChoice t = rotateTraceFile(ini, dir / "Log");
        const char* shown = c.stored ? c.stored : "(absent)";
        EXPECT_EQ(t.number, c.number) << shown;
        EXPECT_EQ(t.FichierTrace, dir / "Log" / ("dravio" + std::to_string(c.number) + ".log")) << shown;
        EXPECT_EQ(IniFile(dir / "ecu.ini").readInt("menu", "LOG", -7), c.number) << shown;
    }
}

TEST(TraceRotation, MenuAndMENUAreOneSectionHoldingBothKeys) {
    TempFolder dir;
    IniFile ini(dir / "ecu.ini");
    rotateTraceFile(ini, dir / "Log");
    Settings s;
    s.Auto = 0;
    ASSERT_TRUE(s.EcritConfig(ini));
    rotateTraceFile(ini, dir / "Log");
    const std::string text = readBytes(dir / "ecu.ini");
    EXPECT_EQ(text.find("[Menu]"), std::string::npos);
    EXPECT_NE(text.find("[MENU]\nlog=2\nauto=0\n"), std::string::npos) << text;
}

}  // namespace
}  // namespace dravio::support
