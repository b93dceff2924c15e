#include "ports/serial_settings.h"

#include <array>
#include <charconv>

namespace dravio::ports {
namespace {

// Splits on commas into exactly four fields.
std::optional<std::array<std::string_view, 4>> splitFour(std::string_view text) {
    std::array<std::string_view, 4> fields;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const auto comma = text.find(',');
        const bool last = i + 1 == fields.size();
        if (last != (comma == std::string_view::npos)) return std::nullopt;
        fields[i] = text.substr(0, comma);
        if (!last) text.remove_prefix(comma + 1);
    }
    return fields;
}

// Digits only: from_chars alone would accept a leading minus sign.
std::optional<std::uint32_t> readNumber(std::string_view field) {
    if (field.empty()) return std::nullopt;
    for (char c : field) {
        if (c < '0' || c > '9') return std::nullopt;
    }
    std::uint32_t value = 0;
    const auto [end, ec] = std::from_chars(field.data(), field.data() + field.size(), value);
    if (ec != std::errc{} || end != field.data() + field.size()) return std::nullopt;
    return value;
}

std::optional<Parity> readParity(std::string_view field) {
    if (field.size() != 1) return std::nullopt;
    switch (field[0]) {
        case 'n':
        case 'N':
            return Parity::None;
        case 'e':
        case 'E':
            return Parity::Even;
        case 'o':
        case 'O':
            return Parity::Odd;
        default:
            return std::nullopt;
    }
}

}  // namespace

std::optional<LineSettings> parseLineSettings(std::string_view text) {
    const auto fields = splitFour(text);
    if (!fields) return std::nullopt;
    const auto baud = readNumber((*fields)[0]);
    const auto parity = readParity((*fields)[1]);
    const auto dataBits = readNumber((*fields)[2]);
    const auto stopBits = readNumber((*fields)[3]);
    if (!baud || *baud == 0 || *baud > kMaxBaud || !parity) return std::nullopt;
    if (!dataBits || (*dataBits != 7 && *dataBits != 8)) return std::nullopt;
    if (!stopBits || (*stopBits != 1 && *stopBits != 2)) return std::nullopt;
    return LineSettings{*baud, *parity, static_cast<int>(*dataBits), static_cast<int>(*stopBits)};
}

}  // namespace dravio::ports
