// proto: hex message text, the form in which every request and answer travels:
// upper-case digits, two per byte, no separators.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace dravio::proto {

// Two upper-case digits of the low byte of `value` ("0A" for 10).
std::string ByteToHex(int value);

// The value of `text` read as a hexadecimal number, narrowed to a byte.
// The empty text and text that is not hex give 0.
std::uint8_t HexToByte(std::string_view text);

// Sum of the bytes of a hex text, modulo 256, as two digits. A lone last digit
// counts as a byte of its own.
std::string CalculChecksum(std::string_view text);

// Bytes to hex message text.
std::string toHex(const std::vector<std::uint8_t>& bytes);
std::string toHex(const std::uint8_t* bytes, std::size_t count);

// Hex message text to bytes, two digits at a time with the rules of HexToByte;
// a lone last digit becomes a byte of its own.
std::vector<std::uint8_t> fromHex(std::string_view text);

// True when `text` has an even number of characters, all of them hex digits.
bool isHexMessage(std::string_view text);

// Hex text spaced for reading: "83 F1 10".
std::string spacedHex(std::string_view text);

}  // namespace dravio::proto
