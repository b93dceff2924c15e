// gui: the resource ids of the texts and captions the language catalogs translate,
// in one place. A control that is not listed keeps its French caption.
//
// Qt object names cannot carry an index in brackets: the control arrays of the
// windows are named without them, lbPanel(1) -> "lbPanel1", opType(0) -> "opType0".
#pragma once

#include <optional>
#include <string_view>

namespace dravio::gui {

namespace text_id {
inline constexpr int Titre = 501;           // main window title, before the version text
inline constexpr int TitreMesures = 101;    // title while measuring
inline constexpr int Attente = 137;         // lbPanel(2) when no cycle runs
inline constexpr int Test = 148;            // lbPanel(3) when the Test entry is checked
inline constexpr int ResetTo = 174;         // cdTrimmer once the initial trimmer is known
inline constexpr int Air = 2013;            // frame titles before their unit
inline constexpr int Mot = 2014;
inline constexpr int Pression = 2012;
inline constexpr int DefautsPresents = 2104;
inline constexpr int Demo = 2103;
inline constexpr int ElmSurCom = 2105;
inline constexpr int ToolTipMesure = 2106;
inline constexpr int ToolTipMoteur = 2107;
inline constexpr int ToolTipInit = 2108;
inline constexpr int ToolTipMoyenne = 2109;
inline constexpr int ToolTipCourbes = 2110;
inline constexpr int ToolTipEnregistre = 2115;
inline constexpr int DemoMarque = 2111;    // title mark while values are simulated
inline constexpr int InitOff = 136;
inline constexpr int LinkDownOptions = 2500;
}  // namespace text_id

// The id of a window control (frame, check box, option button, command button,
// menu entry) whose caption is translated, looked up by its object name.
std::optional<int> captionId(std::string_view controlName);

}  // namespace dravio::gui
