// sim: the diagnostic-mode commands a one-byte-protocol ECU understands. The
// MM16 and the 15M family (MM15, 15RC) number the same tests differently; the
// P8 runs none.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "sim/onebyte_scenario.h"

namespace dravio::sim {

inline constexpr std::uint8_t kEnterDiagnostic = 0xAA;
inline constexpr std::uint8_t kLeaveDiagnostic = 0xFF;  // also saves in trimmer-adjust mode
inline constexpr std::uint8_t kEnterTrimmerAdjust = 0x8D;
inline constexpr std::uint8_t kTestPassed = 0xFF;
inline constexpr std::uint8_t kTestFailed = 0xEE;

// The command byte of `test` on `variant`; none where the variant lacks it.
std::optional<std::uint8_t> diagCommand(OneByteVariant variant, DiagTest test);
// The test a command byte starts on `variant`; none for any other byte.
std::optional<DiagTest> diagTestOf(OneByteVariant variant, std::uint8_t command);
// Short English name, for traces and the command line.
std::string_view diagTestName(DiagTest test);
// Whether the variant has the trimmer-adjust mode (the 15M family).
bool hasTrimmerAdjust(OneByteVariant variant);

}  // namespace dravio::sim
