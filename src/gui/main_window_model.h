// gui: what the main window (frmparam) shows, as plain state: every control's
// caption, enabled, visible and checked flags, tooltip and value, the title and
// the link indicator. Start-up, the options window and the menu commands change
// this state; the Qt window only draws it, and the tests read it without a screen.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "base/view_state.h"
#include "support/catalog.h"
#include "support/settings.h"

namespace dravio::gui {

enum class ControlKind { Frame, Label, Button, CheckBox, ScrollBar, Menu, MenuEntry, Shape, BarGraph, Image };

struct ControlState {
    ControlKind kind = ControlKind::Label;
    std::string caption;
    bool enabled = true;
    bool visible = true;
    bool checked = false;
    std::string toolTip;
    int value = 0;         // scroll bars and the bar graph
    int maximum = 100;     // the bar graph's full scale
    std::string shortcut;  // menu entries: "F2", "Ctrl+P", ...
    std::string french;    // the built-in caption, kept for translations
    std::string shown;     // the caption the last translation gave
};

// Texts the main window shows, fixed by the program.
namespace main_text {
inline constexpr std::string_view Off = "--";
inline constexpr std::string_view DefautsPresents = "Défauts présents";
inline constexpr std::string_view Attente = "Attente";
inline constexpr std::string_view Demo = "Démo";
inline constexpr std::string_view Test = "Test";
inline constexpr std::string_view ElmSurCom = "ELM sur COM";
inline constexpr std::string_view ToolTipMesure = "Double cliquer pour activer/désactiver";
inline constexpr std::string_view ToolTipMoteur = "Le moteur doit être en marche";
inline constexpr std::string_view ToolTipInit = "15M,16M: Couper le contact, 59/5A:Mettre le contact";
inline constexpr std::string_view ToolTipMoyenne =
    "Permet de stabiliser l'affichage en moyennant les valeurs. Ctrl+P=+5 ou Ctrl+M=-5";
inline constexpr std::string_view ToolTipCourbes = "Cocher pour tracer les courbes";
inline constexpr std::string_view ToolTipEnregistre = "Cocher pour enregister toutes les données";
}  // namespace main_text

// The averaging depth the scroll bar allows (the history has 61 slots).
inline constexpr int kTempoMin = 1;
inline constexpr int kTempoMax = 61;

// What the interface window decided, for the status labels.
struct InterfaceOutcome {
    std::int16_t TypeInterface = 0;
    std::int16_t PortInterface = 1;
    bool ModeDemo = true;
    std::string lbPanel4;  // "USB", "USB enable" or "" from the interface window
};

class MainWindowModel {
public:
    // Every control with its French caption. Commands whose procedures are not in
    // the program yet start disabled.
    MainWindowModel();

    bool has(std::string_view name) const;
    // The control `name`; an unknown name is a programming error and throws.
    const ControlState& control(std::string_view name) const;
    ControlState& control(std::string_view name);
    const std::map<std::string, ControlState, std::less<>>& controls() const { return controls_; }
    // Names in the order the window creates them (parents before children).
    const std::vector<std::string>& order() const { return order_; }

    std::string title;
    std::uint32_t Shape1 = 0;
    bool MesuresArretees = true;
    bool LiaisonLibre = true;
    // Demonstration mode: the title carries demoMark.
    bool demo = false;
    std::string demoMark;

    // Gives every fixed caption the catalog's text; a caption the procedures changed
    // keeps their text. Later tooltips, units and status texts use this catalog too.
    void translate(const support::Catalog& catalog);
    std::string tr(int id, std::string_view french) const;
    const support::Catalog& catalog() const { return catalog_; }

    // Title: language text 501 followed by the version text.
    void showTitle(const support::Catalog& catalog, std::string_view versionText);

    // Prepares the frames from the settings: indicator red, stepper motor (only a
    // model-4 ECU identified "IAW5A" in lbPanel5 keeps it; otherwise MoteurPP is
    // switched off in `settings`), value labels enabled from their channel ("--"
    // when off), tooltips, averaging depth, unit captions and the model's frames.
    void SetInitialisation(support::Settings& settings);

    // " (°C)"/" (°F)" and " (hPa)"/" (mmHg)" after the temperature and pressure titles.
    void showUnits(const support::Settings& settings);
    // Frames, menu entries and buttons that depend on the ECU model.
    void showModel(const support::Settings& settings);
    // Value labels enabled from their channel flags, "--" when off.
    void showChannels(const support::Settings& settings);

    // Status labels at the end of start-up.
    void showStartStatus(const InterfaceOutcome& outcome, const support::Catalog& catalog);

    // The Test entry: inverts its check mark and demonstration mode with it.
    void toggleTest(bool& modeDemo, const support::Catalog& catalog);
    // Demonstration mode set from the options window.
    void showDemo(bool modeDemo);
    // The link went down: red light, "Init : OFF", no value on screen, measuring
    // and diagnostics unavailable until the next initialisation.
    void showLinkDown(const support::Catalog& catalog);

    // Takes what the link thread's procedures changed: texts become captions (the
    // window's own name, frmparam, is the title), Shape1's back colour the link
    // indicator, values and maxima go to scroll bars and the bar graph. Menu entries
    // follow the buttons they stand for. Names the window does not have are skipped.
    void apply(const std::map<std::string, base::ControlState>& changes);

    // The averaging scroll bar moved to `tempo` (kept within 1..61); true when the
    // depth changed and the settings must be written.
    bool setTempo(int tempo, support::Settings& settings);

private:
    void add(std::string name, ControlKind kind, std::string caption, bool enabled = true,
             std::string shortcut = {});

    std::map<std::string, ControlState, std::less<>> controls_;
    std::vector<std::string> order_;
    support::Catalog catalog_;
};

// The status label text of the ELM327 adapter: the port number, then "ELM sur COM".
std::string elmStatusText(int port, const support::Catalog& catalog);

}  // namespace dravio::gui
