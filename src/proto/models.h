// proto: the ECU models the program serves, one row each: family, baud rates,
// initialisation kind, live-value decoder and simulated twin. The settings file
// and the options window number the models (TypeECU); that number is read and
// written only here, everything else uses the Model enumeration.
#pragma once

#include <array>
#include <iosfwd>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace dravio::proto {

enum class Model : std::int16_t {
    MM16,  // one-byte protocol
    MM15,
    RC15,  // "15RC"
    P8,
    M59,  // 59M and 5AM, KWP2000 with local identifiers
    Obd,  // generic OBD-II service 01 over KWP2000 frames; no name of its own
};

enum class Family : std::uint8_t { OneByte, Kwp2000 };

// How the initialisation button wakes the unit.
enum class InitKind : std::uint8_t {
    PowerOnCode,       // key off, key on, the unit sends its power-on code at 1200 baud
    PowerOnCodeKeyOn,  // the same without the key-off instruction (15RC)
    None,              // nothing to wake (P8)
    Kwp2000,           // fast or 5-baud wake-up, StartCommunication
    Kwp2000Diagnostic, // the same, then StartDiagnosticSession
};

// Which decoder reads the live answers.
enum class LiveDecoder : std::uint8_t { OneByte, LocalIdentifier, ObdService01 };

struct ModelRow {
    Model model;
    std::string_view name;     // as the options window lists it; "" is never offered
    std::string_view cliName;  // the command line's and the simulator's name
    Family family;
    std::uint32_t baud;        // commands and answers
    std::uint32_t wakeBaud;    // power-on code (one-byte) or StartCommunication (KWP2000)
    InitKind init;
    LiveDecoder decoder;
    std::string_view twin;     // the simulated ECU that plays this model
};

// Every model, in settings order.
std::span<const ModelRow> modelTable();
const ModelRow& rowOf(Model model);

inline bool isKwp(Model model) { return rowOf(model).family == Family::Kwp2000; }
inline bool isOneByte(Model model) { return rowOf(model).family == Family::OneByte; }

// The settings file's number for a model, and back; none for a number that
// names no model (6 and 7 are spare slots).
int modelIndex(Model model);
std::optional<Model> modelFromIndex(int index);
// The model read from a settings value, MM16 when the number names none.
Model modelOrDefault(int index);
// "mm16", "mm15", "15rc", "p8", "59m", "5am", "obd" (case ignored).
std::optional<Model> modelFromCliName(std::string_view name);

// The command-line name, for messages and test output.
std::ostream& operator<<(std::ostream& out, Model model);

struct Modeles {
    // Highest model index; every per-model table has slots 0 to NbModeles.
    std::int16_t NbModeles = 0;
    std::array<std::string, 8> names{};

    // Name of the model at settings index `index`; "" for unnamed or out-of-range slots.
    std::string_view name(int index) const;
    std::string_view name(Model model) const { return name(modelIndex(model)); }

    // Settings index of the first model named `chosen`. The empty text matches
    // nothing: unnamed models are never offered for choice.
    std::optional<std::int16_t> indexOf(std::string_view chosen) const;
};

// NbModeles 7; slots 0-4 named "MM16", "MM15", "15RC", "P8", "M59/M5A".
Modeles InitModeles();

}  // namespace dravio::proto
