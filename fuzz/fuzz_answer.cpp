// Answer searches: positions read out of an answer must stay inside it.
#include <cstdint>
#include <string_view>

#include "proto/answer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const std::size_t position = data[0];
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    for (const std::string_view service : {"5A92", "6130", "61A0", "C1", ""}) {
        if (const auto start = dravio::proto::findAnswerData(text, "F110", service)) {
            (void)dravio::proto::answerByte(text, *start);
            (void)dravio::proto::midText(text, *start, 64);
        }
    }
    if (const auto byte = dravio::proto::answerByte(text, position); byte && position + 2 > text.size()) {
        __builtin_trap();
    }
    if (dravio::proto::midText(text, position, 8).size() > 8) __builtin_trap();
    (void)dravio::proto::isNegativeAnswer(text, "F110");
    const auto ascii = dravio::proto::hexToAscii(text);
    if (ascii.size() != text.size() / 2) __builtin_trap();
    return 0;
}
