// Answer searches: positions read out of an answer must stay inside it.
#include <cstdint>
#include <string_view>

#include "link/answer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const std::size_t position = data[0];
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    for (const std::string_view service : {"5A92", "6130", "61A0", "C1", ""}) {
        if (const auto start = dravio::link::findAnswerData(text, "F110", service)) {
            (void)dravio::link::answerByte(text, *start);
            (void)dravio::link::midText(text, *start, 64);
        }
    }
    if (const auto byte = dravio::link::answerByte(text, position); byte && position + 2 > text.size()) {
        __builtin_trap();
    }
    if (dravio::link::midText(text, position, 8).size() > 8) __builtin_trap();
    (void)dravio::link::isNegativeAnswer(text, "F110");
    const auto ascii = dravio::link::hexToAscii(text);
    if (ascii.size() != text.size() / 2) __builtin_trap();
    return 0;
}
