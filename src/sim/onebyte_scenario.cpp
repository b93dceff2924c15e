#include "sim/onebyte_scenario.h"

namespace dravio::sim {

std::string_view oneByteVariantName(OneByteVariant variant) {
    switch (variant) {
        case OneByteVariant::MM16:
            return "MM16";
        case OneByteVariant::MM15:
            return "MM15";
        case OneByteVariant::RC15:
            return "15RC";
        case OneByteVariant::P8:
            return "P8";
    }
    return "";
}

std::optional<OneByteVariant> oneByteVariantFromName(std::string_view name) {
    for (const auto v : {OneByteVariant::MM16, OneByteVariant::MM15, OneByteVariant::RC15, OneByteVariant::P8}) {
        if (oneByteVariantName(v) == name) return v;
    }
    return std::nullopt;
}

std::string defaultIdentification(OneByteVariant variant) {
    switch (variant) {
        case OneByteVariant::MM16:
            return "DRV16M00101";
        case OneByteVariant::MM15:
            return "DRV15M0101" "CAL15M01";
        case OneByteVariant::RC15:
            return "DRV15RC101" "CAL15R01";
        case OneByteVariant::P8:
            return "DRVP800101" "CALP8-01";
    }
    return {};
}

}  // namespace dravio::sim
