// support: small text helpers shared by the file readers of this library.
#pragma once

#include <cstddef>
#include <string_view>

namespace dravio::support {

// Space or tab: the blanks the profile functions trim.
inline bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trimBlanks(std::string_view text);

// ASCII comparison without regard to case.
bool equalsIgnoreCase(std::string_view a, std::string_view b);

// At most `maxBytes` bytes of `text`, shortened further so that a UTF-8 sequence
// is never cut in two.
std::string_view cutUtf8(std::string_view text, std::size_t maxBytes);

// True when `text` is well-formed UTF-8.
bool isValidUtf8(std::string_view text);

}  // namespace dravio::support
