#include "proto/hex.h"

namespace dravio::proto {
namespace {

int digitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

constexpr char kDigits[] = "0123456789ABCDEF";

}  // namespace

std::string ByteToHex(int value) {
    const auto byte = static_cast<unsigned>(value) & 0xFFu;
    return {kDigits[byte >> 4], kDigits[byte & 0x0F]};
}

std::uint8_t HexToByte(std::string_view text) {
    // Read as a number: surrounding blanks are tolerated, anything else that is
    // not a hex digit makes the whole text worth 0.
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    unsigned value = 0;
    for (char c : text) {
        const int d = digitValue(c);
        if (d < 0) return 0;
        value = (value << 4) | static_cast<unsigned>(d);
    }
    return static_cast<std::uint8_t>(value & 0xFFu);
}

std::string CalculChecksum(std::string_view text) {
    unsigned sum = 0;
    for (std::size_t p = 0; p < text.size(); p += 2) {
        sum = (sum + HexToByte(text.substr(p, 2))) & 0xFFu;
    }
    return ByteToHex(static_cast<int>(sum));
}

std::string toHex(const std::uint8_t* bytes, std::size_t count) {
    std::string text;
    text.reserve(count * 2);
    for (std::size_t i = 0; i < count; ++i) {
        text.push_back(kDigits[bytes[i] >> 4]);
        text.push_back(kDigits[bytes[i] & 0x0F]);
    }
    return text;
}

std::string toHex(const std::vector<std::uint8_t>& bytes) { return toHex(bytes.data(), bytes.size()); }

std::vector<std::uint8_t> fromHex(std::string_view text) {
    std::vector<std::uint8_t> bytes;
    bytes.reserve((text.size() + 1) / 2);
    for (std::size_t p = 0; p < text.size(); p += 2) bytes.push_back(HexToByte(text.substr(p, 2)));
    return bytes;
}

bool isHexMessage(std::string_view text) {
    if (text.size() % 2 != 0) return false;
    for (char c : text) {
        if (digitValue(c) < 0) return false;
    }
    return true;
}

std::string spacedHex(std::string_view text) {
    std::string out;
    for (std::size_t p = 0; p < text.size(); p += 2) {
        if (p > 0) out.push_back(' ');
        out.append(text.substr(p, 2));
    }
    return out;
}

}  // namespace dravio::proto
