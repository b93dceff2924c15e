// proto: what goes on the line for a request text: KWP2000 models frame it with
// the format byte, the address pair and the checksum; one-byte models send it
// as it is.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "proto/models.h"

namespace dravio::proto {

// Default address pairs of KWP2000 requests and answers.
inline constexpr std::string_view kEnteteRequeteDefaut = "10F1";
inline constexpr std::string_view kEnteteReponseDefaut = "F110";

// Most service bytes the format byte can announce.
inline constexpr std::size_t kMaxServiceBytes = 63;

// The text whose bytes go on the line for `requete` and `model`: one-byte
// models send the request unchanged, KWP2000 models frame it with the format
// byte, `enteteRequete` and the checksum; "00" always means listen only (empty
// line text). A KWP2000 request longer than kMaxServiceBytes sends nothing.
std::string frameRequest(std::string_view requete, Model model, std::string_view enteteRequete);

// Why a request text cannot be sent as one frame for `model` (not hex, odd
// length, too long); none when it can.
std::optional<std::string> requestProblem(std::string_view requete, Model model);

}  // namespace dravio::proto
