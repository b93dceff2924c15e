#include "gui/options_model.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "support/settings_keys.h"

namespace dravio::gui {
namespace {

namespace keys = support::keys;

OptionsModel modelFor(int typeEcu) {
    support::Settings settings;
    settings.TypeECU = typeEcu;
    return OptionsModel(settings, proto::InitModeles(), false);
}

TEST(OptionsModel, ListsTheNamedModelsAndSelectsTheCurrentOne) {
    const auto model = modelFor(3);
    EXPECT_EQ(model.TypeEcuList(), (std::vector<std::string>{"MM16", "MM15", "15RC", "P8", "M59/M5A"}));
    EXPECT_EQ(model.TypeEcuRow(), 3);
    // Model 5 has no name: nothing is selected, and the setting stays 5.
    EXPECT_EQ(modelFor(5).TypeEcuRow(), -1);
    EXPECT_EQ(modelFor(5).settings().TypeECU, 5);
}

TEST(OptionsModel, ChoosingANameStoresTheIndexOfTheFirstModelSoNamed) {
    struct Case {
        const char* chosen;
        int typeEcu;
    };
    for (const auto& c : {Case{"MM16", 0}, Case{"15RC", 2}, Case{"M59/M5A", 4}, Case{"", 5}, Case{"XYZ", 5}}) {
        auto model = modelFor(5);
        model.chooseModel(c.chosen);
        EXPECT_EQ(model.settings().TypeECU, c.typeEcu) << c.chosen;
    }
}

TEST(OptionsModel, TrimmerBoxAndThrottleAdjustmentFollowTheModel) {
    const bool trimmer[] = {false, true, false, true, true, false, false, false};
    const bool tps[] = {true, true, true, true, false, false, false, false};
    for (int t = 0; t < 8; ++t) {
        const auto model = modelFor(t);
        EXPECT_EQ(model.ChTrimmerVisible(), trimmer[t]) << t;
        EXPECT_EQ(model.frTPSAdjustVisible(), tps[t]) << t;
    }
}

TEST(OptionsModel, AConversionLineNeedsTwoDistinctVoltPoints) {
    struct Case {
        float low1, high1, low2, high2;
        bool refused;
    };
    const Case cases[] = {
        {0.0f, 5.0f, 0.0f, 5.0f, false}, {1.0f, 1.0f, 0.0f, 5.0f, true},  {0.0f, 5.0f, 2.5f, 2.5f, true},
        {5.0f, 0.0f, 4.0f, 1.0f, false}, {0.0f, 0.0f, 0.0f, 0.0f, true},
    };
    for (const auto& c : cases) {
        auto model = modelFor(0);
        model.settings().LowVolts = {c.low1, c.low2};
        model.settings().HighVolts = {c.high1, c.high2};
        const auto refusal = model.check();
        EXPECT_EQ(refusal.has_value(), c.refused);
        if (refusal) {
            EXPECT_EQ(*refusal, "2 dictinct points needed");
        }
    }
}

class OptionsWriteTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = std::filesystem::temp_directory_path() / ("dravio-options-" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder);
    }
    void TearDown() override { std::filesystem::remove_all(folder); }
    std::filesystem::path folder;
};

TEST_F(OptionsWriteTest, OkWritesTheSettingsAndTheKeysOfThisWindow) {
    auto model = modelFor(4);
    auto& s = model.settings();
    s.LcDlp = "DLP-IO8";
    s.Steep = 250;
    s.mVolt = 5000;
    s.LogworksFolder = "/data/logs";
    s.Langue = "English";
    s.UniteTemp = false;
    support::IniFile ini(folder / "ecu.ini");
    ASSERT_TRUE(model.write(ini));

    const support::IniFile reread(folder / "ecu.ini");
    EXPECT_EQ(reread.readString(keys::COM, keys::LcDlp, ""), "DLP-IO8");
    EXPECT_EQ(reread.readInt(keys::TPS, keys::Steep, 0), 250);
    EXPECT_EQ(reread.readInt(keys::TPS, keys::mVolt, 0), 5000);
    EXPECT_EQ(reread.readString(keys::Logworks, keys::Folder, ""), "/data/logs");
    EXPECT_EQ(reread.readInt(keys::ECU, keys::Type, -1), 4);
    EXPECT_EQ(reread.readString(keys::Affichage, keys::Langue, ""), "English");
    EXPECT_EQ(reread.readString(keys::Unite, keys::Temp, ""), "0");
}

TEST_F(OptionsWriteTest, SaveRatioWritesOnlyTheThrottleRatio) {
    auto model = modelFor(0);
    model.settings().Steep = 300;
    model.settings().mVolt = 4800;
    support::IniFile ini(folder / "ecu.ini");
    ASSERT_TRUE(model.writeRatio(ini));
    const support::IniFile reread(folder / "ecu.ini");
    EXPECT_EQ(reread.readInt(keys::TPS, keys::Steep, 0), 300);
    EXPECT_EQ(reread.readInt(keys::TPS, keys::mVolt, 0), 4800);
    EXPECT_FALSE(reread.hasKey(keys::ECU, keys::Type));
}

}  // namespace
}  // namespace dravio::gui
