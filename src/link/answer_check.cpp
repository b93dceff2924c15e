#include "link/answer_check.h"

#include "proto/hex.h"
#include "proto/kwp_frame.h"

namespace dravio::link {

std::optional<AnswerProblem> kwpAnswerProblem(const std::vector<std::uint8_t>& answer, std::uint8_t tester,
                                            bool cutShort) {
    std::size_t pos = 0;
    while (pos < answer.size()) {
        const std::size_t left = answer.size() - pos;
        const int length = proto::kwpFrameLength(answer.data() + pos, left);
        if (length < 0) return AnswerProblem{2523, "en-tête invalide ", proto::ByteToHex(answer[pos])};
        // A byte of noise ahead of the frame shows as a header for someone else.
        const bool addressed = (answer[pos] & 0xC0) != 0;
        if (addressed && left > 1 && answer[pos + 1] != tester) {
            return AnswerProblem{2524, "adressée à ", proto::ByteToHex(answer[pos + 1])};
        }
        if (length == 0 || static_cast<std::size_t>(length) > left) {
            if (cutShort) return std::nullopt;
            return AnswerProblem{2525, "longueur annoncée / reçue : ",
                                 std::to_string(length) + " / " + std::to_string(left)};
        }
        const auto n = static_cast<std::size_t>(length);
        if (proto::kwpChecksum(answer.data() + pos, n - 1) != answer[pos + n - 1]) return AnswerProblem{2526, "checksum faux", ""};
        pos += n;
    }
    return std::nullopt;
}

std::size_t kwpPendingLength(const std::vector<std::uint8_t>& answer, std::uint8_t tester) {
    constexpr std::uint8_t kNegative = 0x7F;
    constexpr std::uint8_t kResponsePending = 0x78;
    std::size_t pos = 0;
    while (pos < answer.size()) {
        const int length = proto::kwpFrameLength(answer.data() + pos, answer.size() - pos);
        if (length <= 0 || static_cast<std::size_t>(length) > answer.size() - pos) break;
        const auto n = static_cast<std::size_t>(length);
        const std::vector<std::uint8_t> bytes(answer.begin() + static_cast<std::ptrdiff_t>(pos),
                                              answer.begin() + static_cast<std::ptrdiff_t>(pos + n));
        proto::KwpFrame frame;
        if (proto::parseKwpFrame(bytes, frame) != proto::KwpParse::Ok) break;
        if (frame.target != 0 && frame.target != tester) break;
        if (frame.data.size() != 3 || frame.data[0] != kNegative || frame.data[2] != kResponsePending) break;
        pos += n;
    }
    return pos;
}

}  // namespace dravio::link
