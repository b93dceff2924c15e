// sim: reading the ELM327's command lines. The adapter ignores blanks and case,
// so "at sp a5" and "ATSPA5" are the same command.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dravio::sim {

enum class AtCommand {
    Reset,            // Z
    WarmStart,        // WS
    Defaults,         // D
    Identify,         // I
    DeviceDescription,  // @1
    Echo,             // E0/E1
    Linefeeds,        // L0/L1
    Spaces,           // S0/S1
    Headers,          // H0/H1
    SetProtocol,      // SP h, SP Ah
    TryProtocol,      // TP h, TP Ah
    DescribeProtocol,        // DP
    DescribeProtocolNumber,  // DPN
    SetHeader,        // SH
    WakeupMessage,    // WM
    WakeupPeriod,     // SW
    FastInit,         // FI
    SlowInit,         // SI
    KeyWords,         // KW, KW0, KW1
    AllowLong,        // AL
    NormalLength,     // NL
    Timeout,          // ST
    ProtocolClose,    // PC
    InitAddress,      // IIA
    AdaptiveTiming,   // AT0/1/2
    Memory,           // M0/M1 (remembering the last protocol; nothing to remember here)
};

struct AtRequest {
    AtCommand command;
    std::string argument;  // upper case, blanks removed, validated
};

// The command line as the adapter reads it: upper case, blanks and control
// characters dropped.
std::string normaliseCommand(std::string_view line);

// An AT command line (already normalised, "AT" included); nothing when the
// adapter would answer "?".
std::optional<AtRequest> parseAt(std::string_view line);

// The bytes of a request line of hex digits; nothing when the line is not an
// even number of hex digits.
std::optional<std::vector<std::uint8_t>> parseRequestBytes(std::string_view line);

// Hex text to bytes when `text` is an even number of hex digits.
std::optional<std::vector<std::uint8_t>> hexBytes(std::string_view text);

}  // namespace dravio::sim
