#include "proto/models.h"

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <ostream>

namespace dravio::proto {

namespace {
constexpr std::array<ModelRow, 6> kModels{{
    {Model::MM16, "MM16", "mm16", Family::OneByte, 7812, 1200, InitKind::PowerOnCode, LiveDecoder::OneByte, "mm16"},
    {Model::MM15, "MM15", "mm15", Family::OneByte, 7812, 1200, InitKind::PowerOnCode, LiveDecoder::OneByte, "mm15"},
    {Model::RC15, "15RC", "15rc", Family::OneByte, 7812, 1200, InitKind::PowerOnCodeKeyOn, LiveDecoder::OneByte,
     "15rc"},
    {Model::P8, "P8", "p8", Family::OneByte, 7812, 1200, InitKind::None, LiveDecoder::OneByte, "p8"},
    {Model::M59, "M59/M5A", "59m", Family::Kwp2000, 10400, 10400, InitKind::Kwp2000, LiveDecoder::LocalIdentifier,
     "59m"},
    {Model::Obd, "", "obd", Family::Kwp2000, 10400, 10400, InitKind::Kwp2000Diagnostic, LiveDecoder::ObdService01,
     "obd"},
}};

constexpr bool rowsFollowEnum() {
    for (std::size_t i = 0; i < kModels.size(); ++i)
        if (static_cast<std::size_t>(kModels[i].model) != i) return false;
    return true;
}
static_assert(rowsFollowEnum());

// Slots the options window keeps beyond the named models.
constexpr std::int16_t kHighestSlot = 7;
}  // namespace

std::span<const ModelRow> modelTable() { return kModels; }

const ModelRow& rowOf(Model model) {
    const auto i = static_cast<std::size_t>(model);
    return kModels[i < kModels.size() ? i : 0];
}

int modelIndex(Model model) { return static_cast<int>(model); }

std::optional<Model> modelFromIndex(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= kModels.size()) return std::nullopt;
    return kModels[static_cast<std::size_t>(index)].model;
}

Model modelOrDefault(int index) { return modelFromIndex(index).value_or(Model::MM16); }

std::optional<Model> modelFromCliName(std::string_view name) {
    std::string lower(name);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (lower == "5am") return Model::M59;
    for (const auto& row : kModels)
        if (row.cliName == lower) return row.model;
    return std::nullopt;
}

std::ostream& operator<<(std::ostream& out, Model model) { return out << rowOf(model).cliName; }

std::string_view Modeles::name(int index) const {
    if (index < 0 || static_cast<std::size_t>(index) >= names.size()) return {};
    return names[static_cast<std::size_t>(index)];
}

std::optional<std::int16_t> Modeles::indexOf(std::string_view chosen) const {
    if (chosen.empty()) return std::nullopt;
    for (std::size_t i = 0; i < names.size(); ++i)
        if (names[i] == chosen) return static_cast<std::int16_t>(i);
    return std::nullopt;
}

Modeles InitModeles() {
    Modeles m;
    m.NbModeles = kHighestSlot;
    for (const auto& row : kModels) m.names[static_cast<std::size_t>(row.model)] = std::string(row.name);
    return m;
}

}  // namespace dravio::proto
