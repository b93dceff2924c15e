#include "ecu/mesures_json.h"

#include <charconv>
#include <cmath>
#include <utility>

namespace dravio::ecu {
namespace {

void appendNumber(std::string& out, float value) {
    if (!std::isfinite(value)) {
        out += "null";
        return;
    }
    if (value == 0) value = 0;  // no "-0"
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}

}  // namespace

std::string mesuresToJson(const Mesures& m, bool withPapillonPas) {
    std::pair<const char*, float> fields[] = {
        {"Regime", m.Regime},   {"Papillon", m.Papillon},       {"PapillonPas", m.PapillonPas},
        {"Injection", m.Injection}, {"AvanceVal", m.AvanceVal}, {"PressionVal", m.PressionVal},
        {"TempAir", m.TempAir}, {"TempEau", m.TempEau},         {"TensionVal", m.TensionVal},
    };
    std::string out = "{";
    bool first = true;
    for (const auto& [name, value] : fields) {
        if (!withPapillonPas && std::string_view(name) == "PapillonPas") continue;
        if (!first) out += ',';
        first = false;
        out += '"';
        out += name;
        out += "\":";
        appendNumber(out, value);
    }
    out += '}';
    return out;
}

}  // namespace dravio::ecu
