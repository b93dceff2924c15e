#include "ecu/models.h"

#include <cstddef>

namespace dravio::ecu {

std::string_view Modeles::name(int typeEcu) const {
    if (typeEcu < 0 || static_cast<std::size_t>(typeEcu) >= names.size()) return {};
    return names[static_cast<std::size_t>(typeEcu)];
}

std::optional<std::int16_t> Modeles::indexOf(std::string_view chosen) const {
    if (chosen.empty()) return std::nullopt;
    for (std::size_t i = 0; i < names.size(); ++i)
        if (names[i] == chosen) return static_cast<std::int16_t>(i);
    return std::nullopt;
}

Modeles InitModeles() {
    Modeles m;
    m.NbModeles = 7;
    m.names = {"MM16", "MM15", "15RC", "P8", "M59/M5A", "", "", ""};
    return m;
}

}  // namespace dravio::ecu
