// ports: the line settings of a serial port and their classic text form
// ("38400,n,8,1": baud, parity, data bits, stop bits).
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace dravio::ports {

enum class Parity : char { None = 'n', Even = 'e', Odd = 'o' };

struct LineSettings {
    std::uint32_t baud = 9600;
    Parity parity = Parity::None;
    int dataBits = 8;
    int stopBits = 1;

    friend bool operator==(const LineSettings&, const LineSettings&) = default;
};

// The highest rate any USB-serial chip we meet can do; beyond it the text is a typo.
inline constexpr std::uint32_t kMaxBaud = 4'000'000;

// Reads "baud,parity,data,stop" strictly: decimal baud 1..kMaxBaud, parity n/e/o
// (either case), 7 or 8 data bits, 1 or 2 stop bits, no blanks. Anything else
// yields nothing.
std::optional<LineSettings> parseLineSettings(std::string_view text);

}  // namespace dravio::ports
