#include "ecu/plausible.h"

#include <cmath>

namespace dravio::ecu {

namespace {
struct Range {
    const char* name;
    float Mesures::*value;
    float min, max;
};

// Wide enough for every model; the OBD-II frames reuse fields for load, air mass
// and speed, whose own bytes bound them.
constexpr Range kRanges[] = {
    {"Regime", &Mesures::Regime, 0, 16500},      {"Papillon", &Mesures::Papillon, -10, 120},
    {"Injection", &Mesures::Injection, 0, 110},  {"PressionVal", &Mesures::PressionVal, 0, 2600},
    {"TempAir", &Mesures::TempAir, -40, 215},    {"TempEau", &Mesures::TempEau, -40, 215},
};
constexpr Range kKLineOnly[] = {
    {"AvanceVal", &Mesures::AvanceVal, -60, 90},
    {"TensionVal", &Mesures::TensionVal, 0, 40},
};
constexpr Range kObdOnly[] = {
    {"AvanceVal", &Mesures::AvanceVal, 0, 65535},  // air mass, cg/s
    {"TensionVal", &Mesures::TensionVal, 0, 255},  // road speed, km/h
};

template <std::size_t N>
const char* firstOutside(const Range (&ranges)[N], const Mesures& m) {
    for (const auto& r : ranges) {
        const float v = m.*r.value;
        if (!std::isfinite(v) || v < r.min || v > r.max) return r.name;
    }
    return nullptr;
}
}  // namespace

std::string implausibleValue(proto::Model model, const Mesures& m) {
    if (const char* name = firstOutside(kRanges, m)) return name;
    const char* name = model == proto::Model::Obd ? firstOutside(kObdOnly, m) : firstOutside(kKLineOnly, m);
    return name ? name : "";
}

}  // namespace dravio::ecu
