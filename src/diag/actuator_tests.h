// diag: the actuator tests of the 59M and 5AM (the lower half of FrmDTC59) and
// the texts of their answers: the test list, the cause of a refusal and the
// immobiliser status.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "ecu/exchange.h"

namespace dravio::diag {

struct ActuatorTest {
    int captionId;
    const char* caption;  // the list entry
    int descriptionId;
    const char* description;
    int durationMs;
    std::optional<std::uint8_t> localId;  // none: the immobiliser status, read rather than driven
};

// The nine entries of ComboChoixTest, in list order.
const std::array<ActuatorTest, 9>& actuatorTests();

// The text of the cause of a negative answer to `service` ("30", "31") found
// in `answer`: "Cause générale" for 0x10, "Sous fonction non supportée" for
// 0x12, "Conditions incorrectes" for 0x22, "Cause inconnue" otherwise or when
// there is no negative answer.
std::string refusalCause(std::string_view answer, std::string_view service, const ecu::ResourceText& text);

// The text of an immobiliser status byte; "" for a value outside the table.
std::string immobiliserText(std::uint8_t status, const ecu::ResourceText& text);

}  // namespace dravio::diag
