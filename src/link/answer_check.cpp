#include "link/answer_check.h"

#include "proto/hex.h"
#include "proto/kwp_frame.h"

namespace dravio::link {

std::optional<std::string> kwpAnswerProblem(const std::vector<std::uint8_t>& answer, std::uint8_t tester,
                                            bool cutShort) {
    std::size_t pos = 0;
    while (pos < answer.size()) {
        const std::size_t left = answer.size() - pos;
        const int length = proto::kwpFrameLength(answer.data() + pos, left);
        if (length < 0) return "en-tête invalide " + proto::ByteToHex(answer[pos]);
        // A byte of noise ahead of the frame shows as a header for someone else.
        const bool addressed = (answer[pos] & 0xC0) != 0;
        if (addressed && left > 1 && answer[pos + 1] != tester) {
            return "adressée à " + proto::ByteToHex(answer[pos + 1]);
        }
        if (length == 0 || static_cast<std::size_t>(length) > left) {
            if (cutShort) return std::nullopt;
            return "longueur annoncée " + std::to_string(length) + ", reçue " + std::to_string(left);
        }
        const auto n = static_cast<std::size_t>(length);
        if (proto::kwpChecksum(answer.data() + pos, n - 1) != answer[pos + n - 1]) return std::string("checksum faux");
        pos += n;
    }
    return std::nullopt;
}

}  // namespace dravio::link
