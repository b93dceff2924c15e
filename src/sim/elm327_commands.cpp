#include "sim/elm327_commands.h"

#include <array>
#include <cctype>
#include <utility>

namespace dravio::sim {
namespace {

bool isHex(char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; }

bool allHex(std::string_view s) {
    for (const char c : s) {
        if (!isHex(c)) return false;
    }
    return true;
}

bool validArgument(AtCommand command, std::string_view arg) {
    switch (command) {
        case AtCommand::Echo:
        case AtCommand::Linefeeds:
        case AtCommand::Spaces:
        case AtCommand::Headers:
        case AtCommand::Memory:
            return arg == "0" || arg == "1";
        case AtCommand::SetProtocol:
        case AtCommand::TryProtocol: {
            if (!arg.empty() && arg.front() == 'A') arg.remove_prefix(1);
            return arg.size() == 1 && (std::isdigit(static_cast<unsigned char>(arg[0])) || (arg[0] >= 'A' && arg[0] <= 'C'));
        }
        case AtCommand::SetHeader:
            return (arg.size() == 3 || arg.size() == 6) && allHex(arg);
        case AtCommand::WakeupMessage:
            return arg.size() >= 2 && arg.size() <= 12 && arg.size() % 2 == 0 && allHex(arg);
        case AtCommand::WakeupPeriod:
        case AtCommand::Timeout:
        case AtCommand::InitAddress:
            return arg.size() == 2 && allHex(arg);
        case AtCommand::KeyWords:
            return arg.empty() || arg == "0" || arg == "1";
        case AtCommand::AdaptiveTiming:
            return arg == "0" || arg == "1" || arg == "2";
        default:
            return arg.empty();
    }
}

// Longest names first, so that "DPN" is not read as "D" + "PN".
constexpr std::array<std::pair<std::string_view, AtCommand>, 26> kNames{{
    {"DPN", AtCommand::DescribeProtocolNumber},
    {"IIA", AtCommand::InitAddress},
    {"WS", AtCommand::WarmStart},
    {"@1", AtCommand::DeviceDescription},
    {"SP", AtCommand::SetProtocol},
    {"TP", AtCommand::TryProtocol},
    {"DP", AtCommand::DescribeProtocol},
    {"SH", AtCommand::SetHeader},
    {"WM", AtCommand::WakeupMessage},
    {"SW", AtCommand::WakeupPeriod},
    {"FI", AtCommand::FastInit},
    {"SI", AtCommand::SlowInit},
    {"KW", AtCommand::KeyWords},
    {"AL", AtCommand::AllowLong},
    {"NL", AtCommand::NormalLength},
    {"ST", AtCommand::Timeout},
    {"PC", AtCommand::ProtocolClose},
    {"AT", AtCommand::AdaptiveTiming},
    {"Z", AtCommand::Reset},
    {"D", AtCommand::Defaults},
    {"I", AtCommand::Identify},
    {"E", AtCommand::Echo},
    {"L", AtCommand::Linefeeds},
    {"S", AtCommand::Spaces},
    {"H", AtCommand::Headers},
    {"M", AtCommand::Memory},
}};

}  // namespace

std::string normaliseCommand(std::string_view line) {
    std::string out;
    out.reserve(line.size());
    for (const char c : line) {
        const auto u = static_cast<unsigned char>(c);
        if (u <= ' ' || u >= 0x7F) continue;
        out += static_cast<char>(std::toupper(u));
    }
    return out;
}

std::optional<AtRequest> parseAt(std::string_view line) {
    if (line.size() < 3 || line.substr(0, 2) != "AT") return std::nullopt;
    const std::string_view body = line.substr(2);
    for (const auto& [name, command] : kNames) {
        if (body.substr(0, name.size()) != name) continue;
        const std::string_view arg = body.substr(name.size());
        if (!validArgument(command, arg)) return std::nullopt;
        return AtRequest{command, std::string(arg)};
    }
    return std::nullopt;
}

std::optional<std::vector<std::uint8_t>> hexBytes(std::string_view text) {
    if (text.size() % 2 != 0 || !allHex(text)) return std::nullopt;
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < text.size(); i += 2) {
        bytes.push_back(static_cast<std::uint8_t>(std::stoi(std::string(text.substr(i, 2)), nullptr, 16)));
    }
    return bytes;
}

std::optional<std::vector<std::uint8_t>> parseRequestBytes(std::string_view line) {
    if (line.empty()) return std::nullopt;
    return hexBytes(line);
}

}  // namespace dravio::sim
