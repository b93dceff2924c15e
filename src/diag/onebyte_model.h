// diag: diagnostics of the one-byte-protocol ECUs ("MM16", "MM15", "15RC", "P8"):
// the fault window frmerreur (fault rows, status byte, diagnostic-mode tests) and
// the 15M trimmer window frmTrimmer15. Every request is one command byte, every
// answer one byte; the procedures reach the line through the hooks below.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "ecu/exchange.h"

namespace dravio::diag {

// The one-byte models, in the main window's order. What differs between them
// is decided here, never by a model number.
enum class OneByteModel { MM16, MM15, RC15, P8 };

// The model text the main window shows: "MM16", "MM15", "15RC", "P8".
std::string_view oneByteModelName(OneByteModel model);
std::optional<OneByteModel> oneByteModelFromName(std::string_view name);
// The 15M family has the trimmer-adjust mode and frmTrimmer15.
bool hasTrimmer15(OneByteModel model);

// The seven diagnostic-mode commands, in the order of the cddiag buttons.
inline constexpr int kDiagButtons = 7;

// The command of button `button` (0-6) for `model` as hex text; "" for the P8
// and for a button out of range.
std::string diagCommand(OneByteModel model, int button);
// The name shown in frdialogue while the command runs ("Test Pompe (30s)").
std::string diagCommandName(int button);
// The button's caption: language text 310 + button.
int diagButtonTextId(int button);
std::string diagButtonCaption(int button);
// The button with the short English name ("pump", "coil1", ...), for the command line.
std::optional<int> diagButtonFromName(std::string_view name);
std::string_view diagButtonName(int button);

// Diagnostic-mode bytes.
inline constexpr std::string_view kEnterDiag = "AA";
inline constexpr std::string_view kLeaveDiag = "FF";
inline constexpr std::string_view kTestPassed = "FF";
inline constexpr std::string_view kTestFailed = "EE";
inline constexpr std::string_view kEnterTrimmerAdjust = "8D";

// Status bits that forbid the diagnostic mode: engine running, and 0x04.
inline constexpr std::uint8_t kStatusEngineRunning = 0x02;
inline constexpr std::uint8_t kStatusRefusesDiag = 0x04;

// Mouse pointer shapes.
inline constexpr int kPointerDefault = 0;
inline constexpr int kPointerHourglass = 11;

// The message box title of every refusal.
inline constexpr std::string_view kTitleCaution = "Attention/Caution";

// The colours of the windows, blue-green-red.
inline constexpr std::uint32_t kRed = 0x0000FF;
inline constexpr std::uint32_t kGreen = 0x00FF00;
inline constexpr std::uint32_t kBlue = 0xFF0000;
inline constexpr std::uint32_t kYellow = 0x00FFFF;

// What the procedures need from the link and the program.
struct OneByteHooks {
    // EnvoieRequete: "" as request only listens.
    ecu::Exchange EnvoieRequete;
    ecu::Wait Attente;
    // A trace line without time stamp (the trace window's list only).
    ecu::TraceLine EcritTrace;
    ecu::ResourceText GetResourceString;
    // Lets queued events run (a click on Stop while a loop runs).
    std::function<void()> DoEvents;
};

// What the windows do to the main window and its keep-alive.
struct MainWindowHooks {
    // Timer_present on or off.
    std::function<void(bool enabled)> keepAlive;
    // The main window as a whole, during a diagnostic-mode command.
    std::function<void(bool enabled)> setEnabled;
    // The RPM graph window is closed before a diagnostic-mode command.
    std::function<void()> unloadGraph;
};

// Small helpers shared by the windows: hooks that may be left empty.
class OneByteLine {
public:
    explicit OneByteLine(OneByteHooks hooks) : hooks_(std::move(hooks)) {}

    std::string send(std::string_view request, std::string_view demo, std::int16_t delaiMs) const;
    void wait(double secondes) const;
    void trace(const std::string& line) const;
    std::string text(int id, const std::string& french) const;
    void doEvents() const;

private:
    OneByteHooks hooks_;
};

}  // namespace dravio::diag
