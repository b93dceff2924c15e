// diag: the fault and status bytes of the one-byte ECUs decoded into the texts
// of frmerreur. A fault byte names a faulty component per bit; the type byte of
// the same row tells, bit for bit, which kind of failure it is.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "ecu/exchange.h"

namespace dravio::diag {

// Rows 0-2 present faults (sensors, actuators, internal), row 3 the engine
// status byte, rows 4-6 stored faults in the same order.
inline constexpr int kErreurRows = 7;
inline constexpr int kStatusRow = 3;

// The row's title (ldef): language text 319 + row, French default.
std::string erreurRowTitle(int row);

// The command of row `row`'s fault byte (0x10 + row) and type byte (0x2B + row).
std::string faultByteRequest(int row);
std::string typeByteRequest(int row);

// "00" and "FF" mean that the row has no fault.
bool isNoFault(std::string_view answer);

// The lines of one fault row (gestion_erreur1516): for every listed bit set in
// `fault`, in ascending order, the component text and, where the table has one,
// the failure-kind line chosen by the same bit of `type`. Rows 3 and out of
// range give none. Texts through `text` (may be empty: the French defaults).
std::vector<std::string> gestion_erreur1516(int row, std::uint8_t fault, std::uint8_t type,
                                            const ecu::ResourceText& text = {});

// The engine status lines in table order.
std::vector<std::string> statusLines(std::uint8_t status, const ecu::ResourceText& text = {});
// rdef(3): upper-case hex without leading zero, "00" for zero.
std::string statusValueText(std::uint8_t status);

}  // namespace dravio::diag
