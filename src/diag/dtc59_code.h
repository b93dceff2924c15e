// diag: the pieces of the KWP2000 fault-code answers and what the fault window
// makes of them: the SAE form of a code, the key of its texts, the status byte
// and the cycle counter. Every function takes untrusted answer text.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace dravio::diag {

// "0335" -> "P0335", "D600" -> "U1600": the letter from the top two bits of the
// first byte, the digit from the first hex digit AND 3, then the last three digits.
std::string saeCode(std::string_view code);

// The language key of the code's text: P 10000 + the four digits, C 30000 +,
// B 41000 +, U 21000 + the last three digits, each read as a decimal number up
// to the first non-digit. The second text sits at key + 20000.
int dtcTextKey(std::string_view code);
inline constexpr int kSecondTextOffset = 20000;

// What the status byte selects: a cause option (0-3, or none), a memorisation
// option (0-3) and the lamp.
struct DtcStatusView {
    std::optional<int> cause;
    int memo = 0;
    bool lamp = false;
};
DtcStatusView dtcStatusView(std::uint8_t status);

// The answer to ReadDiagnosticTroubleCodesByStatus: the reported count and the
// records (code high, code low, status as hex text). nullopt without
// `enteteReponse` + "5" in the answer.
struct DtcListAnswer {
    int count = 0;
    std::string records;
};
std::optional<DtcListAnswer> dtcListAnswer(std::string_view answer, std::string_view enteteReponse);

// Complete 6-digit records in `records`, at most `count` of them.
int completeDtcRecords(const DtcListAnswer& list);

// The four code digits of DTC `n` (1-based) in the records; shorter when cut.
std::string dtcCodeAt(std::string_view records, int n);

// The status and cycle counter of one ReadStatusOfDiagnosticTroubleCodes
// answer. nullopt without `enteteReponse` + "57" at the third character or later.
struct DtcStatusAnswer {
    std::uint8_t status = 0;
    std::uint8_t counter = 0;
};
std::optional<DtcStatusAnswer> dtcStatusAnswer(std::string_view answer, std::string_view enteteReponse);

// LabelNbCycle: 64 - counter in decimal, " - " when the counter is 0.
std::string cycleCounterText(std::uint8_t counter);

}  // namespace dravio::diag
