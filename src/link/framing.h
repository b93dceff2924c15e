// link: everything between a caller's request text and the K-line: framing,
// the exchange engine, the trace, negative responses, answer searches.
#pragma once

#include <string>
#include <string_view>

namespace dravio::link {

// Default address pairs of KWP2000 requests and answers.
inline constexpr std::string_view kEnteteRequeteDefaut = "10F1";
inline constexpr std::string_view kEnteteReponseDefaut = "F110";

// True for the model indexes that speak KWP2000 (header and checksum).
bool isKwpModel(int typeEcu);
// True for the one-byte command families.
bool isOneByteModel(int typeEcu);

// The text whose bytes go on the line for `requete` and model `typeEcu`:
// one-byte models send the request unchanged, KWP2000 models frame it with the
// format byte, `enteteRequete` and the checksum, other models send nothing;
// "00" always means listen only (empty line text).
std::string frameRequest(std::string_view requete, int typeEcu, std::string_view enteteRequete);

}  // namespace dravio::link
