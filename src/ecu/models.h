// ecu: the ECU models the program serves, numbered as TypeECU everywhere.
// 0-3 answer one command byte with one data byte; 4 speaks KWP2000 with local
// identifiers; 5 has no name and asks OBD-II service 01 over KWP2000 frames;
// 6 and 7 are spare.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace dravio::ecu {

struct Modeles {
    // Highest model index; every per-model table has slots 0 to NbModeles.
    std::int16_t NbModeles = 0;
    std::array<std::string, 8> names{};

    // Name of model `typeEcu`; "" for unnamed or out-of-range models.
    std::string_view name(int typeEcu) const;

    // Index of the first model named `chosen`. The empty text matches nothing:
    // unnamed models are never offered for choice.
    std::optional<std::int16_t> indexOf(std::string_view chosen) const;
};

// NbModeles 7; slots 0-4 named "MM16", "MM15", "15RC", "P8", "M59/M5A".
Modeles InitModeles();

}  // namespace dravio::ecu
