// proto: the words of KWP2000 negative responses.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace dravio::proto {

// The words for a negative response code ("12" -> "subfunction not supported");
// "error unknows" for any code not in the table.
std::string_view nackText(std::string_view code);

// The trace line for the first negative response (`enteteReponse` + "7F") in
// `texteRecu`: "Nack : 21 - 12 subfunction not supported". Nothing when there is none.
std::optional<std::string> nackLine(std::string_view texteRecu, std::string_view enteteReponse);

}  // namespace dravio::proto
