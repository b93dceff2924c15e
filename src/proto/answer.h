// proto: reading answers. Callers search the answer text; every read here is
// bounded, so a short or garbled answer yields less text, never a fault.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace dravio::proto {

// Up to `length` characters of `text` from the 0-based `start`; fewer or none
// when the text is shorter.
std::string_view midText(std::string_view text, std::size_t start, std::size_t length);

// 0-based position of the data of a positive KWP2000 answer: 8 characters after
// the first `enteteReponse` + `serviceReponse` ("F110" + "5A92"), if present.
std::optional<std::size_t> findAnswerData(std::string_view answer, std::string_view enteteReponse,
                                          std::string_view serviceReponse);

// True when the answer holds a negative response (`enteteReponse` + "7F").
bool isNegativeAnswer(std::string_view answer, std::string_view enteteReponse);

// The byte whose two digits start at the 0-based `position`, if the answer has them.
std::optional<std::uint8_t> answerByte(std::string_view answer, std::size_t position);

// ASCII carried in hex text: each two-digit byte becomes one character.
// Bytes that do not print are kept as they are; a lone last digit is dropped.
std::string hexToAscii(std::string_view hex);

}  // namespace dravio::proto
