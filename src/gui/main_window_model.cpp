#include "gui/main_window_model.h"

#include <algorithm>
#include <stdexcept>

#include "gui/caption_ids.h"
#include "link/link.h"
#include "link/value_labels.h"
#include "proto/models.h"
#include "session/interface_selection.h"

namespace dravio::gui {

namespace {

// The double-clickable measurement frames and the value label each switches.
struct Channel {
    std::string_view frame;
    std::string_view label;
    bool support::Settings::*flag;
};
constexpr Channel kChannels[] = {
    {"Frgaz", "Potar", &support::Settings::Potar},
    {"Frinject", "Injection", &support::Settings::Injection},
    {"Fravance", "Avance", &support::Settings::Avance},
    {"Frpression", "Pression", &support::Settings::Pression},
    {"Frair", "Air", &support::Settings::Air},
    {"Freau", "Eau", &support::Settings::Eau},
    {"Frbatterie", "Tension", &support::Settings::Tension},
    {"frLambda", "lbLambda", &support::Settings::Lambda},
};

// The fixed text id of each control whose caption does not change with the state
// (the measurement frames with a unit get theirs in showUnits).
constexpr std::pair<std::string_view, int> kCaptionIds[] = {
    {"frcde", 2000},  // Commandes
    {"cdintialisation", 2001},  // Initialisation F2
    {"cdparametre", 2002},  // Paramètres F3
    {"cddiag", 2003},  // Diagnostic F4
    {"cdTrimer15", 2004},  // Trimmer F8
    {"cdquitter", 2005},  // Quitter  F9
    {"CdReInit", 2006},  // -Initialisation
    {"Frrmp", 2007},  // RMP (tr/mn)
    {"Frgaz", 2008},  // Angle Gaz (deg)
    {"frTPS", 2009},  // TPS
    {"Frinject", 2010},  // Injection (ms)
    {"Fravance", 2011},  // Avance (deg)
    {"Frbatterie", 2015},  // Batterie (V)
    {"frLambda", 2016},  // Lambda (mV)
    {"Frtrimmer", 2017},  // Trimmer
    {"FrChgTrimmer", 2018},  // Modif Trimmer
    {"Label2", 2019},  // F6 = - 1
    {"Label1", 2020},  // F7 = + 1
    {"cdTrimmer", 2021},  // Reset
    {"CdMemorise", 2022},  // Mémorise
    {"frMoteurPP", 2023},  // Moteur PP
    {"cdMoteurPP", 2024},  // Test Stepper
    {"frMoyenne", 2025},  // Moyenne
    {"chgraph", 2026},  // Graphe - Ctrl+ G
    {"chMap", 2027},  // Mapping
    {"Chenregistre", 2028},  // Excel
    {"chStatutSonde", 2029},  // Statuts
    {"chMoteur", 2030},  // test Moteur
    {"mnfichier", 2031},  // &Fichier
    {"mnquitter", 2032},  // &Quitter
    {"mnpreferences", 2033},  // P&aramétrages
    {"mnacquisition", 2034},  // Ac&quisitions
    {"MnInit", 2035},  // &Initialisation
    {"mnparam", 2036},  // Paramètres
    {"mndiag", 2037},  // Diagnostic actif
    {"MnRreInit", 2038},  // -Initialisation
    {"mnMap", 2039},  // Mapping
    {"mngraphe", 2040},  // Graphe
    {"mnralenti", 2041},  // Ralenti
    {"mnmoyplus", 2042},  // Moyenne +
    {"mnmoymoins", 2043},  // Moyenne -
    {"mnrepond", 2044},  // Répondeur
    {"mnTrafic", 2045},  // Trafic K-line
    {"mntest", 2046},  // Test
    {"mnTrimmer", 2047},  // Trimmer
    {"mnPlus", 2048},  // Plus 1
    {"mnMoinsUn", 2049},  // Moins 1
    {"mnTrim15M", 2050},  // Trimmer 15M
    {"mnIdentification", 2051},  // &Identification de l'ECU
    {"mnConvert", 2052},  // &Converter
    {"mnStatuts", 2053},  // S&tatuts
    {"mnaide", 2054},  // &Aide
    {"mnabout", 2055},  // A propos
    {"mnExploreAide", 2056},  // Aide
    {"mnweb", 2057},  // Support en ligne
    {"mnTrace", 2058},  // Trace
};

bool modelIn(std::optional<proto::Model> model, std::initializer_list<proto::Model> models) {
    return std::find(models.begin(), models.end(), model) != models.end();
}
}  // namespace

MainWindowModel::MainWindowModel() : Shape1(link::kShape1Red) {
    using K = ControlKind;
    // Commands.
    add("frcde", K::Frame, "Commandes");
    add("cdintialisation", K::Button, "Initialisation F2", false);
    add("cdparametre", K::Button, "Paramètres F3", false);
    add("cddiag", K::Button, "Diagnostic F4", false);
    add("cdTrimer15", K::Button, "Trimmer F8", false);
    add("cdquitter", K::Button, "Quitter  F9");
    add("CdReInit", K::Button, "-Initialisation", false);
    add("Shape1", K::Shape, "");
    add("contact", K::Image, "");
    control("contact").visible = false;
    add("imDonate", K::Image, "");
    control("imDonate").visible = false;

    // Measurement frames and their value labels.
    add("Frrmp", K::Frame, "RMP (tr/mn)");
    add("Rmp", K::Label, "");
    add("Frgaz", K::Frame, "Angle Gaz (deg)");
    add("Potar", K::Label, "");
    add("frTPS", K::Frame, "TPS");
    add("lbLsbTPS", K::Label, "");
    add("lbTPSVolt", K::Label, "");
    add("Frinject", K::Frame, "Injection (ms)");
    add("Injection", K::Label, "");
    add("Fravance", K::Frame, "Avance (deg)");
    add("Avance", K::Label, "");
    add("Frpression", K::Frame, "Pression (mmHg)");
    add("Pression", K::Label, "");
    add("Frair", K::Frame, "Air (°C)");
    add("Air", K::Label, "");
    add("Freau", K::Frame, "Mot. (°C)");
    add("Eau", K::Label, "");
    add("Frbatterie", K::Frame, "Batterie (V)");
    add("Tension", K::Label, "");
    add("frLambda", K::Frame, "Lambda (mV)");
    add("lbLambda", K::Label, "");

    // Trimmer and stepper motor.
    add("Frtrimmer", K::Frame, "Trimmer");
    add("Trimmer", K::Label, "");
    add("FrChgTrimmer", K::Frame, "Modif Trimmer");
    control("FrChgTrimmer").visible = false;
    add("HScrollTrimmer", K::ScrollBar, "");
    add("lbTrimmer", K::Label, "0");
    add("Label2", K::Label, "F6 = - 1");
    add("Label1", K::Label, "F7 = + 1");
    add("cdTrimmer", K::Button, "Reset", false);
    add("CdMemorise", K::Button, "Mémorise", false);
    add("frMoteurPP", K::Frame, "Moteur PP");
    add("lbMoteurPP", K::Label, "");
    add("cdMoteurPP", K::Button, "Test Stepper", false);

    // Averaging, display and recording boxes.
    add("frMoyenne", K::Frame, "Moyenne");
    add("HScrollMoyenne", K::ScrollBar, "");
    add("ltempo", K::Label, "");
    add("chgraph", K::CheckBox, "Graphe - Ctrl+ G", false);
    add("chMap", K::CheckBox, "Mapping", false);
    add("chCSV", K::CheckBox, "CSV", false);
    add("Chenregistre", K::CheckBox, "Excel", false);
    add("chStatutSonde", K::CheckBox, "Statuts", false);
    add("chMoteur", K::CheckBox, "test Moteur", false);

    // Progress, instructions and status.
    add("ProgressBar1", K::BarGraph, "");
    control("ProgressBar1").visible = false;
    add("Lbtest", K::Label, "");
    control("Lbtest").visible = false;  // developer mode is always off
    add("lpresent", K::Label, "");
    add("lmemo", K::Label, "");
    for (int i = 1; i <= 5; ++i) add("lbPanel" + std::to_string(i), K::Label, "");

    // Menus.
    add("mnfichier", K::Menu, "&Fichier");
    add("mnquitter", K::MenuEntry, "&Quitter", true, "F9");
    add("mnpreferences", K::MenuEntry, "P&aramétrages");
    add("mnacquisition", K::Menu, "Ac&quisitions");
    add("MnInit", K::MenuEntry, "&Initialisation", false, "F2");
    add("mnparam", K::MenuEntry, "Paramètres", false, "F3");
    add("mndiag", K::MenuEntry, "Diagnostic actif", false, "F4");
    add("MnRreInit", K::MenuEntry, "-Initialisation", false);
    add("mnMap", K::MenuEntry, "Mapping", false);
    add("mngraphe", K::MenuEntry, "Graphe", false, "Ctrl+G");
    add("mnralenti", K::MenuEntry, "Ralenti", false, "Ctrl+R");
    add("mnmoyplus", K::MenuEntry, "Moyenne +", true, "Ctrl+P");
    add("mnmoymoins", K::MenuEntry, "Moyenne -", true, "Ctrl+M");
    add("mnrepond", K::MenuEntry, "Répondeur", false);
    add("mnTrafic", K::MenuEntry, "Trafic K-line", false);
    add("mnTrace", K::MenuEntry, "Trace");
    add("mntest", K::MenuEntry, "Test");
    add("mnTrimmer", K::Menu, "Trimmer", false);
    add("mnPlus", K::MenuEntry, "Plus 1", false, "F7");
    add("mnMoinsUn", K::MenuEntry, "Moins 1", false, "F6");
    add("mnTrim15M", K::MenuEntry, "Trimmer 15M", false);
    control("mnTrim15M").visible = false;
    add("mnIdentification", K::Menu, "&Identification de l'ECU", false);
    add("mnConvert", K::Menu, "&Converter");
    add("mnStatuts", K::Menu, "S&tatuts", false);
    add("mnaide", K::Menu, "&Aide");
    add("mnabout", K::MenuEntry, "A propos");
    add("mnExploreAide", K::MenuEntry, "Aide");
    add("mnweb", K::MenuEntry, "Support en ligne");
}

void MainWindowModel::add(std::string name, ControlKind kind, std::string caption, bool enabled,
                          std::string shortcut) {
    ControlState state;
    state.kind = kind;
    state.caption = std::move(caption);
    state.enabled = enabled;
    state.shortcut = std::move(shortcut);
    order_.push_back(name);
    controls_.emplace(std::move(name), std::move(state));
}

bool MainWindowModel::has(std::string_view name) const { return controls_.find(name) != controls_.end(); }

const ControlState& MainWindowModel::control(std::string_view name) const {
    const auto it = controls_.find(name);
    if (it == controls_.end()) throw std::out_of_range("no control named " + std::string(name));
    return it->second;
}

ControlState& MainWindowModel::control(std::string_view name) {
    return const_cast<ControlState&>(static_cast<const MainWindowModel&>(*this).control(name));
}

void MainWindowModel::showTitle(const support::Catalog& catalog, std::string_view versionText) {
    title = catalog.GetResourceString(text_id::Titre, "Dravio") + std::string(versionText);
}

void MainWindowModel::SetInitialisation(support::Settings& settings) {
    Shape1 = link::kShape1Red;

    const bool iaw5a = control("lbPanel5").caption.find("IAW5A") != std::string::npos;
    if (proto::modelFromIndex(settings.TypeECU) == proto::Model::M59 && iaw5a) {
        control("frMoteurPP").visible = true;
        control("lbMoteurPP").enabled = settings.MoteurPP;
        control("cdMoteurPP").enabled = settings.MoteurPP;
    } else {
        control("frMoteurPP").visible = false;
        control("lbMoteurPP").enabled = false;
        control("cdMoteurPP").enabled = false;
        settings.MoteurPP = false;
    }

    showChannels(settings);
    MesuresArretees = true;
    LiaisonLibre = true;

    for (const auto& channel : kChannels) control(channel.frame).toolTip = tr(text_id::ToolTipMesure, main_text::ToolTipMesure);
    control("FrChgTrimmer").toolTip = tr(text_id::ToolTipMoteur, main_text::ToolTipMoteur);
    control("CdMemorise").toolTip = tr(text_id::ToolTipMoteur, main_text::ToolTipMoteur);
    control("cdintialisation").toolTip = tr(text_id::ToolTipInit, main_text::ToolTipInit);
    control("frMoyenne").toolTip = tr(text_id::ToolTipMoyenne, main_text::ToolTipMoyenne);
    control("HScrollMoyenne").toolTip = tr(text_id::ToolTipMoyenne, main_text::ToolTipMoyenne);
    control("chgraph").toolTip = tr(text_id::ToolTipCourbes, main_text::ToolTipCourbes);
    control("chMap").toolTip = tr(text_id::ToolTipCourbes, main_text::ToolTipCourbes);
    control("chCSV").toolTip = tr(text_id::ToolTipEnregistre, main_text::ToolTipEnregistre);
    control("Chenregistre").toolTip = tr(text_id::ToolTipEnregistre, main_text::ToolTipEnregistre);

    const int tempo = std::clamp(settings.Tempo, kTempoMin, kTempoMax);
    control("ltempo").caption = std::to_string(tempo);
    control("HScrollMoyenne").value = tempo;

    showUnits(settings);
    showModel(settings);
}

void MainWindowModel::showChannels(const support::Settings& settings) {
    for (const auto& channel : kChannels) {
        auto& label = control(channel.label);
        label.enabled = settings.*channel.flag;
        label.caption = label.enabled ? "" : std::string(main_text::Off);
    }
    control("frTPS").enabled = settings.Potar;
    control("lbLsbTPS").enabled = settings.Potar;
    control("lbTPSVolt").enabled = settings.Potar;
    auto& trimmer = control("Trimmer");
    trimmer.enabled = settings.Trimmer;
    trimmer.caption = trimmer.enabled ? "" : std::string(main_text::Off);
    control("FrChgTrimmer").enabled = settings.Trimmer;
    auto& moteur = control("lbMoteurPP");
    if (!moteur.enabled) moteur.caption = main_text::Off;
}

void MainWindowModel::showUnits(const support::Settings& settings) {
    const std::string temp = settings.UniteTemp ? " (°C)" : " (°F)";
    control("Frair").caption = tr(text_id::Air, "Air") + temp;
    control("Freau").caption = tr(text_id::Mot, "Mot.") + temp;
    control("Frpression").caption = tr(text_id::Pression, "Pression") + (settings.UnitePression ? " (hPa)" : " (mmHg)");
}

void MainWindowModel::showModel(const support::Settings& settings) {
    using proto::Model;
    const auto model = proto::modelFromIndex(settings.TypeECU);
    // The throttle converter step and voltage exist on the one-byte ECUs but the P8.
    control("frTPS").visible = modelIn(model, {Model::MM16, Model::MM15, Model::RC15});
    control("frLambda").visible = model == Model::M59;
    // The ECUs whose trimmer the program reads while measuring.
    const bool trimmer = modelIn(model, {Model::MM15, Model::RC15, Model::M59});
    control("Frtrimmer").visible = trimmer;
    control("mnTrimmer").visible = trimmer && settings.Trimmer;
    // "test Moteur" holds the live trimmer back; only the model-4 cycle sends one.
    control("chMoteur").enabled = model == Model::M59;
    // The 15M trimmer window serves the 15M family.
    control("cdTrimer15").visible = modelIn(model, {Model::MM15, Model::RC15});
}

void MainWindowModel::showStartStatus(const InterfaceOutcome& outcome, const support::Catalog& catalog) {
    control("lbPanel4").caption = outcome.lbPanel4;
    if (outcome.TypeInterface == session::kInterfaceElm) control("lbPanel4").caption = elmStatusText(outcome.PortInterface, catalog);
    control("lbPanel1").caption = catalog.GetResourceString(text_id::DefautsPresents, main_text::DefautsPresents);
    if (MesuresArretees) control("lbPanel2").caption = catalog.GetResourceString(text_id::Attente, main_text::Attente);
    showDemo(outcome.ModeDemo);
}

void MainWindowModel::showDemo(bool modeDemo) {
    demo = modeDemo;
    demoMark = tr(text_id::DemoMarque, " — DÉMONSTRATION : valeurs simulées");
    control("lbPanel3").caption = modeDemo ? tr(text_id::Demo, main_text::Demo) : std::string();
}

void MainWindowModel::showLinkDown(const support::Catalog& catalog) {
    Shape1 = link::kShape1Red;
    control("lbPanel1").caption = catalog.GetResourceString(text_id::InitOff, "Init : OFF");
    for (const char* label : link::kValueLabels) {
        if (has(label)) control(label).caption = main_text::Off;
    }
    control("cdintialisation").enabled = true;
    control("cdparametre").enabled = false;
    control("cddiag").enabled = false;
    control("CdReInit").enabled = false;
    apply({});
}

void MainWindowModel::toggleTest(bool& modeDemo, const support::Catalog& catalog) {
    auto& entry = control("mntest");
    entry.checked = !entry.checked;
    modeDemo = entry.checked;
    demo = modeDemo;
    demoMark = catalog.GetResourceString(text_id::DemoMarque, " — DÉMONSTRATION : valeurs simulées");
    control("lbPanel3").caption =
        entry.checked ? catalog.GetResourceString(text_id::Test, main_text::Test) : std::string();
}

void MainWindowModel::apply(const std::map<std::string, base::ControlState>& changes) {
    for (const auto& [name, state] : changes) {
        if (name == "frmparam") {
            if (state.text) title = *state.text;
            continue;
        }
        if (name == "Shape1") {
            if (state.backColour) Shape1 = *state.backColour;
            continue;
        }
        if (!has(name)) continue;
        auto& control = this->control(name);
        // The procedures echo built-in French captions: those show in the chosen language.
        if (state.text) {
            control.caption = !control.french.empty() && *state.text == control.french ? control.shown : *state.text;
        }
        if (state.visible) control.visible = *state.visible;
        if (state.enabled) control.enabled = *state.enabled;
        if (state.checked) control.checked = *state.checked;
        if (state.value) control.value = *state.value;
        if (state.maximum) control.maximum = *state.maximum;
    }
    // The menu entries do what their buttons do, so they are usable together.
    constexpr std::pair<const char*, const char*> kMirrors[] = {
        {"cdintialisation", "MnInit"}, {"cdparametre", "mnparam"}, {"CdReInit", "MnRreInit"},
        // The identification needs the link up, as the measurements do.
        {"cdparametre", "mnIdentification"}};
    for (const auto& [buttonName, entryName] : kMirrors) {
        const auto& button = control(buttonName);
        control(entryName).enabled = button.enabled && button.visible;
    }
    // F6/F7 move the trimmer only while its change frame is usable.
    const auto& menu = control("mnTrimmer");
    const auto& frame = control("FrChgTrimmer");
    const bool trimmerLive = menu.enabled && menu.visible && frame.enabled && frame.visible;
    control("mnPlus").enabled = trimmerLive;
    control("mnMoinsUn").enabled = trimmerLive;
}

bool MainWindowModel::setTempo(int tempo, support::Settings& settings) {
    tempo = std::clamp(tempo, kTempoMin, kTempoMax);
    control("HScrollMoyenne").value = tempo;
    control("ltempo").caption = std::to_string(tempo);
    if (settings.Tempo == tempo) return false;
    settings.Tempo = tempo;
    return true;
}

std::string elmStatusText(int port, const support::Catalog& catalog) {
    return std::to_string(port) + catalog.GetResourceString(text_id::ElmSurCom, main_text::ElmSurCom);
}

std::string MainWindowModel::tr(int id, std::string_view french) const { return catalog_.GetResourceString(id, french); }

void MainWindowModel::translate(const support::Catalog& catalog) {
    catalog_ = catalog;
    for (const auto& [name, id] : kCaptionIds) {
        auto& state = control(name);
        if (state.french.empty()) state.french = state.caption;
        // A caption the procedures changed since keeps their text.
        const bool untouched = state.shown.empty() ? state.caption == state.french : state.caption == state.shown;
        state.shown = catalog.GetResourceString(id, state.french);
        if (untouched) state.caption = state.shown;
    }
}

}  // namespace dravio::gui
