#include "diag/dtc59_code.h"

#include "proto/hex.h"
#include "diag/dtc59_text.h"

namespace dravio::diag {

using kwptext::instr;
using kwptext::mid;

std::string saeCode(std::string_view code) {
    static constexpr char kLetters[] = {'P', 'C', 'B', 'U'};
    const std::uint8_t high = proto::HexToByte(mid(code, 1, 2));
    const int digit = proto::HexToByte(mid(code, 1, 1)) & 3;
    return std::string(1, kLetters[high >> 6]) + std::to_string(digit) + mid(code, 2, 3);
}

int dtcTextKey(std::string_view code) {
    const std::uint8_t high = proto::HexToByte(mid(code, 1, 2));
    const long lastThree = kwptext::leadingDecimal(mid(code, 2, 3));
    switch (high >> 6) {
        case 0:
            return 10000 + static_cast<int>(kwptext::leadingDecimal(mid(code, 1, 4)));
        case 1:
            return 30000 + static_cast<int>(lastThree);
        case 2:
            return 41000 + static_cast<int>(lastThree);
        default:
            return 21000 + static_cast<int>(lastThree);
    }
}

DtcStatusView dtcStatusView(std::uint8_t status) {
    DtcStatusView v;
    switch (status & 0x0F) {
        case 1:
            v.cause = 0;
            break;
        case 2:
            v.cause = 1;
            break;
        case 4:
            v.cause = 2;
            break;
        case 8:
            v.cause = 3;
            break;
        default:
            break;
    }
    v.memo = (status & 0x60) >> 5;
    v.lamp = (status & 0x80) != 0;
    return v;
}

std::optional<DtcListAnswer> dtcListAnswer(std::string_view answer, std::string_view enteteReponse) {
    const long p = instr(answer, std::string(enteteReponse) + "5");
    if (p == 0) return std::nullopt;
    const long b = p - 3;  // just before the format byte
    DtcListAnswer list;
    list.count = proto::HexToByte(mid(answer, b + 9, 2));
    list.records = mid(answer, b + 11);
    return list;
}

int completeDtcRecords(const DtcListAnswer& list) {
    const auto present = static_cast<int>(list.records.size() / 6);
    return list.count < present ? list.count : present;
}

std::string dtcCodeAt(std::string_view records, int n) { return mid(records, static_cast<long>(n - 1) * 6 + 1, 4); }

std::optional<DtcStatusAnswer> dtcStatusAnswer(std::string_view answer, std::string_view enteteReponse) {
    const long b = instr(answer, std::string(enteteReponse) + "57") - 3;
    if (b < 0) return std::nullopt;
    DtcStatusAnswer s;
    s.status = proto::HexToByte(mid(answer, b + 15, 2));
    s.counter = proto::HexToByte(mid(answer, b + 29, 2));
    return s;
}

std::string cycleCounterText(std::uint8_t counter) {
    const int cycles = 64 - counter;
    return cycles == 64 ? " - " : std::to_string(cycles);
}

}  // namespace dravio::diag
