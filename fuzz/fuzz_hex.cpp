// Hex message text from anywhere: every converter must take any bytes.
#include <cstdint>
#include <string_view>

#include "proto/hex.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    (void)dravio::proto::HexToByte(text.substr(0, 2));
    (void)dravio::proto::HexToByte(text);
    const auto sum = dravio::proto::CalculChecksum(text);
    if (sum.size() != 2) __builtin_trap();
    const auto bytes = dravio::proto::fromHex(text);
    if (bytes.size() != (size + 1) / 2) __builtin_trap();
    // Valid hex text survives the round trip, upper-cased.
    if (dravio::proto::isHexMessage(text)) {
        const auto again = dravio::proto::toHex(bytes);
        if (again.size() != size) __builtin_trap();
        if (dravio::proto::CalculChecksum(again) != sum) __builtin_trap();
    }
    (void)dravio::proto::spacedHex(text);
    return 0;
}
