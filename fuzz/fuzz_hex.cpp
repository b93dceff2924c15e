// Hex message text from anywhere: every converter must take any bytes.
#include <cstdint>
#include <string_view>

#include "base/hex.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    (void)dravio::base::HexToByte(text.substr(0, 2));
    (void)dravio::base::HexToByte(text);
    const auto sum = dravio::base::CalculChecksum(text);
    if (sum.size() != 2) __builtin_trap();
    const auto bytes = dravio::base::fromHex(text);
    if (bytes.size() != (size + 1) / 2) __builtin_trap();
    // Valid hex text survives the round trip, upper-cased.
    if (dravio::base::isHexMessage(text)) {
        const auto again = dravio::base::toHex(bytes);
        if (again.size() != size) __builtin_trap();
        if (dravio::base::CalculChecksum(again) != sum) __builtin_trap();
    }
    (void)dravio::base::spacedHex(text);
    return 0;
}
