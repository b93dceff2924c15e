#include "proto/framing.h"

#include "proto/hex.h"
#include "proto/kwp_frame.h"

namespace dravio::proto {

std::string frameRequest(std::string_view requete, Model model, std::string_view enteteRequete) {
    // "00" is the listen-only request in both families.
    if (requete == "00") return {};
    if (isOneByte(model)) return std::string(requete);
    if (requete.empty() || requete.size() / 2 > kMaxServiceBytes) return {};
    const auto address = fromHex(enteteRequete);
    const std::uint8_t target = address.size() > 0 ? address[0] : 0;
    const std::uint8_t source = address.size() > 1 ? address[1] : 0;
    auto data = fromHex(requete);
    // An odd last digit is not a byte of the frame.
    if (requete.size() % 2 != 0) data.pop_back();
    return toHex(buildKwpFrame(KwpAddressing::Physical, target, source, data));
}

std::optional<std::string> requestProblem(std::string_view requete, Model model) {
    if (requete.empty()) return "empty request";
    if (requete.size() % 2 != 0) return "odd number of hex digits in '" + std::string(requete) + "'";
    if (!isHexMessage(requete)) return "not hex: '" + std::string(requete) + "'";
    if (isKwp(model) && requete.size() / 2 > kMaxServiceBytes) {
        return "request of " + std::to_string(requete.size() / 2) + " bytes; a frame carries at most " +
               std::to_string(kMaxServiceBytes);
    }
    return std::nullopt;
}

}  // namespace dravio::proto
