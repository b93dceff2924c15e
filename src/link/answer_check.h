// link: whether the bytes a KWP2000 ECU sent back are whole frames. A flipped
// bit, a dropped byte or line noise must not become a reading: an answer that
// fails here counts as no answer.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace dravio::link {

// Why `answer` (the bytes after the echo) is not a run of whole KWP2000 frames
// addressed to `tester`, with right lengths and checksums; nothing when it is.
// `cutShort`: every byte the caller asked for came, so a last frame longer than
// that is the caller's choice, not a fault.
std::optional<std::string> kwpAnswerProblem(const std::vector<std::uint8_t>& answer, std::uint8_t tester,
                                            bool cutShort);

}  // namespace dravio::link
