#include "diag/dtc59_text.h"

#include "proto/hex.h"

namespace dravio::diag::kwptext {

long instr(std::string_view text, std::string_view needle) {
    if (needle.empty()) return text.empty() ? 0 : 1;
    const auto p = text.find(needle);
    return p == std::string_view::npos ? 0 : static_cast<long>(p) + 1;
}

std::string mid(std::string_view text, long start, std::size_t length) {
    if (start < 1 || static_cast<std::size_t>(start) > text.size()) return {};
    return std::string(text.substr(static_cast<std::size_t>(start) - 1, length));
}

long leadingDecimal(std::string_view text) {
    long value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') break;
        if (value > 100000000) break;  // a code has four digits; longer input is garbage
        value = value * 10 + (c - '0');
    }
    return value;
}

std::string characterOf(std::uint8_t code) {
    if (code < 0x80) return std::string(1, static_cast<char>(code));
    std::string out;
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
    return out;
}

std::string charactersOf(std::string_view hex) {
    std::string out;
    for (const std::uint8_t byte : proto::fromHex(hex)) out += characterOf(byte);
    return out;
}

std::string seconds(int milliseconds) {
    std::string whole = std::to_string(milliseconds / 1000);
    int rest = milliseconds % 1000;
    if (rest == 0) return whole;
    std::string fraction = std::to_string(1000 + rest).substr(1);
    while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
    return whole + "." + fraction;
}

}  // namespace dravio::diag::kwptext
