#include "proto/answer.h"

#include "proto/hex.h"

namespace dravio::proto {

std::string_view midText(std::string_view text, std::size_t start, std::size_t length) {
    if (start >= text.size()) return {};
    return text.substr(start, length);
}

std::optional<std::size_t> findAnswerData(std::string_view answer, std::string_view enteteReponse,
                                          std::string_view serviceReponse) {
    const std::string marker = std::string(enteteReponse) + std::string(serviceReponse);
    const auto p = answer.find(marker);
    if (p == std::string_view::npos) return std::nullopt;
    return p + 8;
}

bool isNegativeAnswer(std::string_view answer, std::string_view enteteReponse) {
    return answer.find(std::string(enteteReponse) + "7F") != std::string_view::npos;
}

std::optional<std::uint8_t> answerByte(std::string_view answer, std::size_t position) {
    const auto digits = midText(answer, position, 2);
    if (digits.size() != 2 || !proto::isHexMessage(digits)) return std::nullopt;
    return proto::HexToByte(digits);
}

std::string hexToAscii(std::string_view hex) {
    std::string text;
    for (std::size_t p = 0; p + 1 < hex.size(); p += 2) {
        text.push_back(static_cast<char>(proto::HexToByte(hex.substr(p, 2))));
    }
    return text;
}

}  // namespace dravio::proto
