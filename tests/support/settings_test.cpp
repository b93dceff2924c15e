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

// The defaults themselves are pinned by the reviewed file below; here load must
// give them for every key, written or not, and overwrite what was there.
TEST(Settings, FirstStartWithoutSettingsFileGivesTheDefaults) {
    TempFolder dir;
    IniFile ini(dir / "ecu.ini");
    Settings s;
    s.Air = s.Eau = false;
    s.Port = 9;
    s.Revision = "x";
    s.load(ini);
    EXPECT_EQ(s, Settings{});
    // Keys EcritConfig never writes, which the reviewed file cannot pin.
    EXPECT_EQ((std::vector<int>{s.Steep, s.mVolt, s.InterfaceType, s.InterfacePort}),
              (std::vector<int>{245, 4720, 0, 1}));
    EXPECT_EQ((std::vector<std::string>{s.LcDlp, s.InterfaceDescription, s.LogworksExt, s.CoefA, s.CoefB, s.Revision}),
              (std::vector<std::string>{"Nothing", "Mode Demo", "TXT", "3.008", "7.35", "24/02/2008"}));

    EXPECT_TRUE(rotateTraceFile(ini, dir / "Log").saved);
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
    s.Air = s.UnitePression = false;
    s.Trimmer = true;
    s.Port = 7;
    s.Auto = 0;
    s.zMax = 900;
    s.zMin = -5;
    s.Langue = "English";
    s.LowVolts = {0.5f, 1.25f};
    s.HighVolts = {4.5f, 5.0f};
    s.LowAfr = {7.35f, 10.0f};
    s.HighAfr = {22.39f, 20.0f};
    ASSERT_TRUE(s.EcritConfig(ini));

    IniFile again(dir / "ecu.ini");
    Settings back;
    back.load(again);
    EXPECT_EQ(back, s);
    // The stored texts; the keys of other writers are left as they were.
    const struct {
        const char *section, *key, *text;
    } stored[] = {{"Graphe", "zMax", "0900"},   {"Graphe", "zMin", "-0005"}, {"DLP", "V2L", "0125"},
                  {"DLP", "FR1H", "2239"},      {"Mesures", "ALFAU22", "0"}, {"Mesures", "Air", "0"},
                  {"Mesures", "Trimmer", "-1"}, {"TPS", "Steep", "200"},     {"ECU", "Init", "3"},
                  {"COM", "LC-DLP", "DLP-IO8"}};
    for (const auto& k : stored) EXPECT_EQ(again.readString(k.section, k.key, ""), k.text) << k.key;
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
    // Any non-zero value is true; unreadable MoteurPP keeps its default.
    EXPECT_EQ((std::vector<bool>{s.Air, s.Eau, s.Trimmer, s.MoteurPP, s.UniteTemp, s.UnitePression}),
              (std::vector<bool>{false, true, true, false, false, false}));
    EXPECT_FLOAT_EQ(s.LowVolts[0], 0.5f);
    EXPECT_FLOAT_EQ(s.HighVolts[0], 0.05f);  // V1H missing
    EXPECT_FLOAT_EQ(s.HighAfr[1], 22.39f);
    EXPECT_EQ((std::pair{s.Auto, s.Log}), (std::pair{0, 7}));
    EXPECT_EQ(s.Langue, std::string(100, 'L'));
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

}  // namespace
}  // namespace dravio::support
