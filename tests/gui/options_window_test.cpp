#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>

#include "gui/options_window.h"
#include "gui_fixture.h"
#include "support/ini_file.h"
#include "support/settings_keys.h"

namespace dravio::gui::testing {
namespace {

namespace keys = support::keys;

class OptionsTest : public AppTest {
protected:
    OptionsWindow& openOptions() {
        startToMainWindow();
        presenter.messages.clear();  // the demonstration explanation
        app->mainWindow()->action("mnpreferences")->trigger();
        auto* window = app->optionsWindow();
        EXPECT_NE(window, nullptr);
        return *window;
    }
    template <class T>
    static T& child(QWidget& window, const char* name) {
        auto* widget = window.findChild<T*>(name);
        if (widget == nullptr) throw std::runtime_error(std::string("no control ") + name);
        return *widget;
    }
};

TEST_F(OptionsTest, ShowsTheCurrentModelAndItsParts) {
    writeIni("[ECU]\nType=3\n");
    auto& window = openOptions();
    EXPECT_EQ(window.windowTitle(), "Paramétrages");
    EXPECT_EQ(child<QGroupBox>(window, "frTypeEcu").title(), "Type ECU");
    auto& model = child<QComboBox>(window, "TypeEcu");
    EXPECT_EQ(model.count(), 5);
    EXPECT_EQ(model.currentText(), "P8");
    EXPECT_TRUE(child<QCheckBox>(window, "ChTrimmer").isVisibleTo(&window));
    EXPECT_TRUE(child<QGroupBox>(window, "frTPSAdjust").isVisibleTo(&window));

    // Picking another model shows its parts at once.
    model.setCurrentText("M59/M5A");
    emit model.activated(model.currentIndex());
    EXPECT_FALSE(child<QGroupBox>(window, "frTPSAdjust").isVisibleTo(&window));
}

TEST_F(OptionsTest, EqualVoltPointsAreRefusedAndTheWindowStays) {
    auto& window = openOptions();
    child<QDoubleSpinBox>(window, "txV2L").setValue(1.5);
    child<QDoubleSpinBox>(window, "txV2H").setValue(1.5);
    child<QPushButton>(window, "cdOK").click();
    ASSERT_EQ(presenter.messages.size(), 1u);
    EXPECT_EQ(presenter.messages[0].text, "2 dictinct points needed");
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(support::IniFile(ini()).hasKey(keys::ECU, keys::Type));
}

TEST_F(OptionsTest, OkStoresTheSettingsAndUpdatesTheMainWindow) {
    auto& window = openOptions();
    auto& model = child<QComboBox>(window, "TypeEcu");
    model.setCurrentText("M59/M5A");
    emit model.activated(model.currentIndex());
    child<QRadioButton>(window, "opFahrenheit").setChecked(true);
    child<QRadioButton>(window, "opMmHg").setChecked(true);
    child<QCheckBox>(window, "chInjection").setChecked(false);
    child<QCheckBox>(window, "chModeTest").setChecked(false);
    child<QComboBox>(window, "cbLcDlp").setCurrentText("LC-LM");
    child<QPushButton>(window, "cdOK").click();
    EXPECT_TRUE(presenter.messages.empty());
    EXPECT_FALSE(window.isVisible());

    const support::IniFile stored(ini());
    EXPECT_EQ(stored.readInt(keys::ECU, keys::Type, -1), 4);
    EXPECT_EQ(stored.readString(keys::Unite, keys::Temp, ""), "0");
    EXPECT_EQ(stored.readString(keys::Mesures, keys::Injection, ""), "0");
    EXPECT_EQ(stored.readString(keys::COM, keys::LcDlp, ""), "LC-LM");
    EXPECT_TRUE(stored.hasKey(keys::POSITIONS, "ChoixLeft"));

    auto& main = *app->mainWindow();
    EXPECT_EQ(main.findChild<QGroupBox*>("Frair")->title(), "Air (°F)");
    EXPECT_EQ(main.findChild<QGroupBox*>("Freau")->title(), "Mot. (°F)");
    EXPECT_EQ(main.findChild<QGroupBox*>("Frpression")->title(), "Pression (mmHg)");
    EXPECT_TRUE(main.findChild<QGroupBox*>("frLambda")->isVisibleTo(&main));
    EXPECT_FALSE(main.findChild<QGroupBox*>("frTPS")->isVisibleTo(&main));
    EXPECT_EQ(labelText(main, "Injection"), "--");
    EXPECT_EQ(labelText(main, "lbPanel3"), "");
    EXPECT_FALSE(app->modeDemo());
}

TEST_F(OptionsTest, ChoosingEnglishTranslatesTheMainWindowAtOnce) {
    auto& window = openOptions();
    child<QComboBox>(window, "cbLangue").setCurrentText("English");
    child<QPushButton>(window, "cdOK").click();
    EXPECT_EQ(support::IniFile(ini()).readString(keys::Affichage, keys::Langue, ""), "English");
    EXPECT_EQ(labelText(*app->mainWindow(), "lbPanel2"), qs(catalog("English").GetResourceString(137, "Attente")));
}

}  // namespace
}  // namespace dravio::gui::testing
