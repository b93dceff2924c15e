// Negative-response decoding of whatever came off the line.
#include <cstdint>
#include <string_view>

#include "proto/nack.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (const std::string_view entete : {"F110", "0110", ""}) {
        if (const auto line = dravio::proto::nackLine(text, entete)) {
            if (line->rfind("Nack : ", 0) != 0) __builtin_trap();
        }
    }
    (void)dravio::proto::nackText(text.substr(0, 2));
    return 0;
}
