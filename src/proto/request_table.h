// proto: the KWP2000 requests each model answers and the length of each answer.
// A request is hex text without header and checksum; a length counts the whole
// answer frame (format, target, source, service, data, checksum). Only the
// KWP2000 models have entries; every other model reads "" and 0 from every slot.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "proto/models.h"

namespace dravio::proto {

enum class Slot : std::uint8_t {
    ReqStartCom,
    ReqStopCom,
    ReqStartDiag,
    ReqStopDiag,
    ReqLit57,
    ReqRoutine,
    ReqRoutineResult,
    ReqDefauts,
    ReqStatutDefaut,
    ReqEffaceDefauts,
    ReqActionneur,     // "xx" stands for the actuator's local identifier
    ReqActionneurFin,  // likewise
    ReqPresent,
    ReqRegime,
    ReqCharge,
    ReqMasseAir,
    ReqPression,
    ReqTempAir,
    ReqTempEau,
    ReqPapillon,
    ReqVitesse,
    ReqTrimAjuste,
    ReqTrimLit,
    ReqTrimSauve,
    ReqBloc,
    ReqStatut,
    ReqAntiDemarrage,
    ReqLibre,  // no request text; length 16 for model 5 only
};

inline constexpr std::size_t kSlotCount = static_cast<std::size_t>(Slot::ReqLibre) + 1;

// Every slot, in table order.
const std::array<Slot, kSlotCount>& allSlots();

// The slot's name as written in the table ("ReqStartCom"); "" for a value
// outside the enumeration.
std::string_view slotName(Slot slot);

// The slot of that exact name; case matters.
std::optional<Slot> slotFromName(std::string_view name);

class RequestTable {
public:
    // Request text of `slot` for `model`; "" when the model has none.
    std::string request(Slot slot, Model model) const;

    // Expected answer length in bytes; 0 when the model has none.
    std::int16_t length(Slot slot, Model model) const;
};

}  // namespace dravio::proto
