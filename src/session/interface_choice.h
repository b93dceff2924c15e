// session: the interface a session talks through, as a value: the FTDI cable
// by description, a serial K-line cable or an ELM327 adapter by device path,
// the simulator by model, or demonstration mode. The interface window and the
// command line both produce one; the device factory turns it into devices.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace dravio::session {

enum class InterfaceKind : std::uint8_t { Ftdi, TtyCable, Elm327, Simulator, Demo };

// The TypeInterface values the link and the settings file keep (opType index).
inline constexpr std::int16_t kTypeFtdi = 0;
inline constexpr std::int16_t kTypeElm327 = 3;
inline constexpr std::int16_t kTypeSimulateur = 4;
inline constexpr std::int16_t kTypeTtyCable = 5;

struct InterfaceChoice {
    InterfaceKind kind = InterfaceKind::Demo;
    // FTDI description ("" = the first cable found), device path, or the
    // simulated ECU's name ("" = the twin of the session's model).
    std::string detail;

    // "sim[:MODEL]", "tty:PATH", "elm:PATH", "ftdi[:DESCRIPTION]" or "demo";
    // none, with the reason in `error`, for anything else.
    static std::optional<InterfaceChoice> parse(std::string_view text, std::string& error);
    std::string text() const;
    std::int16_t typeInterface() const;

    bool operator==(const InterfaceChoice&) const = default;
};

}  // namespace dravio::session
