// link: whether the bytes a KWP2000 ECU sent back are whole frames. A flipped
// bit, a dropped byte or line noise must not become a reading: an answer that
// fails here counts as no answer.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace dravio::link {

// What is wrong with an answer: a catalog text and what follows it.
struct AnswerProblem {
    int id = 0;
    std::string french;
    std::string detail;
};

// Why `answer` (the bytes after the echo) is not a run of whole KWP2000 frames
// addressed to `tester`, with right lengths and checksums; nothing when it is.
// `cutShort`: every byte the caller asked for came, so a last frame longer than
// that is the caller's choice, not a fault.
std::optional<AnswerProblem> kwpAnswerProblem(const std::vector<std::uint8_t>& answer, std::uint8_t tester,
                                            bool cutShort);

// The whole "response pending" frames (7F xx 78) addressed to `tester` at the head
// of `answer`: how many bytes they take. The ECU sends them while it works on the
// request; they are neither the answer nor part of its length.
std::size_t kwpPendingLength(const std::vector<std::uint8_t>& answer, std::uint8_t tester);

}  // namespace dravio::link
