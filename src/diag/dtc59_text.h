// diag: reading the answer texts of the KWP2000 diagnostic windows the way the
// windows search them: 1-based character positions, searches that give 0 when
// nothing is found, and cuts that give less text, never a fault, when the
// answer is short.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace dravio::diag::kwptext {

// 1-based position of the first `needle` in `text`; 0 when absent.
long instr(std::string_view text, std::string_view needle);

// Up to `length` characters of `text` from the 1-based `start`; none when
// `start` is below 1 or past the end.
std::string mid(std::string_view text, long start, std::size_t length = std::string_view::npos);

// The leading decimal digits of `text` as a number: "0335" 335, "0A12" 0, "" 0.
long leadingDecimal(std::string_view text);

// The character whose code is `code`, as UTF-8 (codes above 127 are Latin-1).
std::string characterOf(std::uint8_t code);

// Each two hex digits of `hex` become the character of that code; a lone last
// digit counts as a byte of its own.
std::string charactersOf(std::string_view hex);

// "0.2", "2", "7": seconds written without trailing zeros.
std::string seconds(int milliseconds);

}  // namespace dravio::diag::kwptext
