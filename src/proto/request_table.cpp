#include "proto/request_table.h"

namespace dravio::proto {
namespace {

struct Entry {
    std::string_view request;
    std::int16_t length = 0;
};

struct Row {
    Slot slot;
    std::string_view name;
    Entry m59;  // M59/M5A, local identifiers
    Entry obd;  // OBD-II service 01 over KWP2000
};

constexpr std::array<Row, kSlotCount> kRows{{
    {Slot::ReqStartCom, "ReqStartCom", {"81", 7}, {"81", 7}},
    {Slot::ReqStopCom, "ReqStopCom", {"82", 7}, {"82", 7}},
    {Slot::ReqStartDiag, "ReqStartDiag", {"1081", 6}, {"1081", 6}},
    {Slot::ReqStopDiag, "ReqStopDiag", {"20", 7}, {}},
    {Slot::ReqLit57, "ReqLit57", {"2157", 7}, {}},
    {Slot::ReqRoutine, "ReqRoutine", {"3121", 6}, {}},
    {Slot::ReqRoutineResult, "ReqRoutineResult", {"3321", 6}, {}},
    {Slot::ReqDefauts, "ReqDefauts", {"1800FF00", 30}, {"17FF00", 15}},
    {Slot::ReqStatutDefaut, "ReqStatutDefaut", {"17", 16}, {}},
    {Slot::ReqEffaceDefauts, "ReqEffaceDefauts", {"14FF00", 7}, {"14FF00", 7}},
    {Slot::ReqActionneur, "ReqActionneur", {"30xx07", 7}, {}},
    {Slot::ReqActionneurFin, "ReqActionneurFin", {"30xx00", 7}, {}},
    {Slot::ReqPresent, "ReqPresent", {"3E", 5}, {"3E", 5}},
    {Slot::ReqRegime, "ReqRegime", {"2130", 8}, {"010C", 8}},
    {Slot::ReqCharge, "ReqCharge", {"213A", 8}, {"0104", 7}},
    {Slot::ReqMasseAir, "ReqMasseAir", {"2135", 8}, {"0110", 8}},
    {Slot::ReqPression, "ReqPression", {"2131", 8}, {"010B", 7}},
    {Slot::ReqTempAir, "ReqTempAir", {"2132", 8}, {"010F", 7}},
    {Slot::ReqTempEau, "ReqTempEau", {"2133", 8}, {"0105", 7}},
    {Slot::ReqPapillon, "ReqPapillon", {"2134", 8}, {"0111", 8}},
    {Slot::ReqVitesse, "ReqVitesse", {"213C", 8}, {"010D", 7}},
    {Slot::ReqTrimAjuste, "ReqTrimAjuste", {"301507", 8}, {}},
    {Slot::ReqTrimLit, "ReqTrimLit", {"213D", 7}, {}},
    {Slot::ReqTrimSauve, "ReqTrimSauve", {"301505", 8}, {}},
    {Slot::ReqBloc, "ReqBloc", {"21A0", 26}, {"21A0", 26}},
    {Slot::ReqStatut, "ReqStatut", {"21A6", 20}, {}},
    {Slot::ReqAntiDemarrage, "ReqAntiDemarrage", {"2174", 7}, {}},
    {Slot::ReqLibre, "ReqLibre", {}, {"", 16}},
}};

// Rows are found by the slot's value, so they must follow the enumeration.
constexpr bool rowsFollowEnum() {
    for (std::size_t i = 0; i < kRows.size(); ++i)
        if (static_cast<std::size_t>(kRows[i].slot) != i) return false;
    return true;
}
static_assert(rowsFollowEnum());

constexpr std::array<Slot, kSlotCount> kSlots = [] {
    std::array<Slot, kSlotCount> slots{};
    for (std::size_t i = 0; i < kRows.size(); ++i) slots[i] = kRows[i].slot;
    return slots;
}();

const Row* rowOf(Slot slot) {
    const auto i = static_cast<std::size_t>(slot);
    return i < kRows.size() ? &kRows[i] : nullptr;
}

Entry entryOf(Slot slot, Model model) {
    const Row* row = rowOf(slot);
    if (row == nullptr) return {};
    if (model == Model::M59) return row->m59;
    if (model == Model::Obd) return row->obd;
    return {};
}

}  // namespace

const std::array<Slot, kSlotCount>& allSlots() { return kSlots; }

std::string_view slotName(Slot slot) {
    const Row* row = rowOf(slot);
    return row != nullptr ? row->name : std::string_view{};
}

std::optional<Slot> slotFromName(std::string_view name) {
    for (const Row& row : kRows)
        if (row.name == name) return row.slot;
    return std::nullopt;
}

std::string RequestTable::request(Slot slot, Model model) const {
    return std::string(entryOf(slot, model).request);
}

std::int16_t RequestTable::length(Slot slot, Model model) const {
    return entryOf(slot, model).length;
}

}  // namespace dravio::proto
