// Language catalogs are data files anyone can edit: any bytes must parse.
#include <cstdint>
#include <string_view>

#include "support/catalog.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto catalog = dravio::support::Catalog::parse(text);
    for (const int id : {0, 101, 135, 501, 906}) {
        const auto shown = catalog.GetResourceString(id, "défaut");
        // Never an empty caption, never a lone blank.
        if (shown.empty() || shown == " ") __builtin_trap();
    }
    return 0;
}
