#include "gui/main_window_model.h"

#include <gtest/gtest.h>

#include "link/link.h"

namespace dravio::gui {
namespace {

struct ChannelCase {
    const char* label;
    bool support::Settings::*flag;
};

TEST(MainWindowModel, EachChannelSwitchedOffShowsDashesAndDisablesItsLabel) {
    const ChannelCase cases[] = {
        {"Potar", &support::Settings::Potar},         {"Injection", &support::Settings::Injection},
        {"Avance", &support::Settings::Avance},       {"Pression", &support::Settings::Pression},
        {"Air", &support::Settings::Air},             {"Eau", &support::Settings::Eau},
        {"Tension", &support::Settings::Tension},     {"lbLambda", &support::Settings::Lambda},
        {"Trimmer", &support::Settings::Trimmer},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        for (const bool on : {true, false}) {
            MainWindowModel model;
            support::Settings settings;
            settings.*c.flag = on;
            model.SetInitialisation(settings);
            EXPECT_EQ(model.control(c.label).enabled, on);
            EXPECT_EQ(model.control(c.label).caption, on ? "" : "--");
            if (c.flag == &support::Settings::Potar) {
                EXPECT_EQ(model.control("frTPS").enabled, on);
            }
        }
    }
}

TEST(MainWindowModel, StepperMotorOnlyForAnIaw5aModel4) {
    struct Case {
        int typeEcu;
        const char* identification;
        bool moteurPP;
        bool frameVisible;
        bool labelEnabled;
        bool moteurPPAfter;
    };
    const Case cases[] = {
        {4, "IAW5AM.HW", true, true, true, true},   {4, "IAW5AM.HW", false, true, false, false},
        {4, "IAW59M.HW", true, false, false, false}, {4, "", true, false, false, false},
        {3, "IAW5AM.HW", true, false, false, false}, {5, "IAW5AM", true, false, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.typeEcu << " " << c.identification << " " << c.moteurPP);
        MainWindowModel model;
        model.control("lbPanel5").caption = c.identification;
        support::Settings settings;
        settings.TypeECU = c.typeEcu;
        settings.MoteurPP = c.moteurPP;
        model.SetInitialisation(settings);
        EXPECT_EQ(model.control("frMoteurPP").visible, c.frameVisible);
        EXPECT_EQ(model.control("lbMoteurPP").enabled, c.labelEnabled);
        EXPECT_EQ(model.control("cdMoteurPP").enabled, c.labelEnabled);
        EXPECT_EQ(settings.MoteurPP, c.moteurPPAfter);
    }
}

TEST(MainWindowModel, UnitsGoAfterTheTemperatureAndPressureTitles) {
    struct Case {
        bool celsius, hpa;
        const char *air, *eau, *pression;
    };
    const Case cases[] = {
        {true, true, "Air (°C)", "Mot. (°C)", "Pression (hPa)"},
        {false, false, "Air (°F)", "Mot. (°F)", "Pression (mmHg)"},
        {true, false, "Air (°C)", "Mot. (°C)", "Pression (mmHg)"},
    };
    for (const auto& c : cases) {
        MainWindowModel model;
        support::Settings settings;
        settings.UniteTemp = c.celsius;
        settings.UnitePression = c.hpa;
        model.SetInitialisation(settings);
        EXPECT_EQ(model.control("Frair").caption, c.air);
        EXPECT_EQ(model.control("Freau").caption, c.eau);
        EXPECT_EQ(model.control("Frpression").caption, c.pression);
    }
}

TEST(MainWindowModel, FramesShownForEachModel) {
    struct Case {
        int typeEcu;
        bool tps, lambda, trimmer, trimmer15;
    };
    const Case cases[] = {
        {0, true, false, false, false}, {1, true, false, true, true},  {2, true, false, true, true},
        {3, false, false, false, false}, {4, false, true, true, false}, {5, false, false, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typeEcu);
        MainWindowModel model;
        support::Settings settings;
        settings.TypeECU = c.typeEcu;
        settings.Trimmer = true;
        model.SetInitialisation(settings);
        EXPECT_EQ(model.control("frTPS").visible, c.tps);
        EXPECT_EQ(model.control("frLambda").visible, c.lambda);
        EXPECT_EQ(model.control("Frtrimmer").visible, c.trimmer);
        EXPECT_EQ(model.control("mnTrimmer").visible, c.trimmer);
        EXPECT_EQ(model.control("cdTrimer15").visible, c.trimmer15);
    }
}

TEST(MainWindowModel, AveragingDepthStaysWithinTheHistory) {
    struct Case {
        int stored, shown;
    };
    for (const auto& c : {Case{5, 5}, Case{0, 1}, Case{-3, 1}, Case{61, 61}, Case{200, 61}}) {
        MainWindowModel model;
        support::Settings settings;
        settings.Tempo = c.stored;
        model.SetInitialisation(settings);
        EXPECT_EQ(model.control("HScrollMoyenne").value, c.shown) << c.stored;
        EXPECT_EQ(model.control("ltempo").caption, std::to_string(c.shown)) << c.stored;
    }
}

TEST(MainWindowModel, MovingTheAveragingBarReportsOnlyRealChanges) {
    MainWindowModel model;
    support::Settings settings;
    model.SetInitialisation(settings);
    EXPECT_TRUE(model.setTempo(8, settings));
    EXPECT_EQ(settings.Tempo, 8);
    EXPECT_EQ(model.control("ltempo").caption, "8");
    EXPECT_FALSE(model.setTempo(8, settings));
    EXPECT_TRUE(model.setTempo(99, settings));
    EXPECT_EQ(settings.Tempo, 61);
}

TEST(MainWindowModel, StartStatusLabels) {
    struct Case {
        InterfaceOutcome outcome;
        const char *panel3, *panel4;
    };
    const Case cases[] = {
        {{0, 1, true, "USB"}, "Démo", "USB"},
        {{0, 1, false, "USB enable"}, "", "USB enable"},
        {{3, 7, false, ""}, "", "7ELM sur COM"},
        {{4, 1, false, "USB enable"}, "", "USB enable"},
    };
    const support::Catalog none;
    for (const auto& c : cases) {
        MainWindowModel model;
        model.showStartStatus(c.outcome, none);
        EXPECT_EQ(model.control("lbPanel1").caption, "Défauts présents");
        EXPECT_EQ(model.control("lbPanel2").caption, "Attente");
        EXPECT_EQ(model.control("lbPanel3").caption, c.panel3);
        EXPECT_EQ(model.control("lbPanel4").caption, c.panel4);
    }
}

TEST(MainWindowModel, TextsWithAnIdComeFromTheCatalog) {
    const auto catalog = support::Catalog::parse("501=Titolo\n137=Wait\n148=Prova\n");
    MainWindowModel model;
    model.showTitle(catalog, " - 1.2.3 Linux");
    EXPECT_EQ(model.title, "Titolo - 1.2.3 Linux");
    model.showStartStatus({}, catalog);
    EXPECT_EQ(model.control("lbPanel2").caption, "Wait");

    bool modeDemo = false;
    model.toggleTest(modeDemo, catalog);
    EXPECT_TRUE(modeDemo);
    EXPECT_TRUE(model.control("mntest").checked);
    EXPECT_EQ(model.control("lbPanel3").caption, "Prova");
    model.toggleTest(modeDemo, catalog);
    EXPECT_FALSE(modeDemo);
    EXPECT_FALSE(model.control("mntest").checked);
    EXPECT_EQ(model.control("lbPanel3").caption, "");
}

}  // namespace
}  // namespace dravio::gui

namespace dravio::gui {
namespace {

base::ControlState withText(std::string text) {
    base::ControlState s;
    s.text = std::move(text);
    return s;
}

TEST(MainWindowModel, ProcedureChangesLandOnTheirControls) {
    MainWindowModel model;
    base::ControlState progress;
    progress.value = 12;
    progress.maximum = 150;
    progress.visible = true;
    base::ControlState shape;
    shape.backColour = 0x00FF00;
    base::ControlState enable;
    enable.enabled = true;
    base::ControlState check;
    check.checked = true;
    model.apply({{"lbPanel5", withText("IAW59MHW010")},
                 {"frmparam", withText("Dravio - 0.1.0  (8.3 Hz)D=0.120")},
                 {"Frinject", withText("LOAD %")},
                 {"ProgressBar1", progress},
                 {"Shape1", shape},
                 {"cdparametre", enable},
                 {"chgraph", check},
                 {"MousePointer", withText("ignored: the window has no such control")}});
    EXPECT_EQ(model.control("lbPanel5").caption, "IAW59MHW010");
    EXPECT_EQ(model.title, "Dravio - 0.1.0  (8.3 Hz)D=0.120");
    EXPECT_EQ(model.control("Frinject").caption, "LOAD %");
    EXPECT_EQ(model.control("ProgressBar1").value, 12);
    EXPECT_EQ(model.control("ProgressBar1").maximum, 150);
    EXPECT_TRUE(model.control("ProgressBar1").visible);
    EXPECT_EQ(model.Shape1, 0x00FF00u);
    EXPECT_TRUE(model.control("chgraph").checked);
    EXPECT_FALSE(model.has("MousePointer"));
}

TEST(MainWindowModel, MenuEntriesFollowTheButtonsTheyStandFor) {
    struct Case {
        const char* button;
        const char* entry;
    };
    const Case cases[] = {{"cdintialisation", "MnInit"}, {"cdparametre", "mnparam"}, {"CdReInit", "MnRreInit"}};
    for (const auto& c : cases) {
        MainWindowModel model;
        base::ControlState on;
        on.enabled = true;
        model.apply({{c.button, on}});
        EXPECT_TRUE(model.control(c.entry).enabled) << c.entry;
        base::ControlState hidden;
        hidden.visible = false;
        model.apply({{c.button, hidden}});
        EXPECT_FALSE(model.control(c.entry).enabled) << c.entry << " of a hidden button";
    }
}

}  // namespace
}  // namespace dravio::gui
