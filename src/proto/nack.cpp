#include "proto/nack.h"

#include <array>
#include <utility>

#include "proto/answer.h"

namespace dravio::proto {

std::string_view nackText(std::string_view code) {
    // The texts are the program's own, spelling included: users compare traces.
    static constexpr std::array<std::pair<std::string_view, std::string_view>, 13> kTable{{
        {"10", "Reject General"},
        {"11", "Service not supported"},
        {"12", "subfunction not supported"},
        {"21", "Busy - repeat request"},
        {"22", "condition not correct"},
        {"23", "Routine not completed"},
        {"31", "request out of range"},
        {"33", "access denied"},
        {"35", "Invalid Key"},
        {"36", "exceed number of attemps"},
        {"37", "required tmie delay not expired"},
        {"72", "transfert abord"},
        {"75", "illegal bock transfert"},
    }};
    for (const auto& [key, text] : kTable) {
        if (key == code) return text;
    }
    return "error unknows";
}

std::optional<std::string> nackLine(std::string_view texteRecu, std::string_view enteteReponse) {
    const std::string marker = std::string(enteteReponse) + "7F";
    const auto p = texteRecu.find(marker);
    if (p == std::string_view::npos) return std::nullopt;
    const auto service = midText(texteRecu, p + 6, 2);
    const auto code = midText(texteRecu, p + 8, 2);
    std::string line = "Nack : ";
    line += service;
    line += " - ";
    line += code;
    line += ' ';
    line += nackText(code);
    return line;
}

}  // namespace dravio::proto
