#include "sim/kwp_dtc.h"

#include <algorithm>

namespace dravio::sim {

std::uint8_t dtcStatusByte(const EngineFault& fault) {
    std::uint8_t status = fault.cause & 0x0F;
    if (fault.present) {
        status |= 0x60;
    } else if (fault.intermittent) {
        status |= 0x40;
    } else if (fault.stored) {
        status |= 0x20;
    }
    if (fault.lamp) status |= 0x80;
    return status;
}

std::vector<EngineFault> reportedFaults(const std::vector<EngineFault>& faults, std::size_t limit) {
    std::vector<EngineFault> out;
    for (const EngineFault& f : faults) {
        if (out.size() >= limit) break;
        if (f.present || f.intermittent || f.stored) out.push_back(f);
    }
    return out;
}

std::vector<std::uint8_t> dtcRecords(const std::vector<EngineFault>& faults) {
    std::vector<std::uint8_t> out;
    for (const EngineFault& f : faults) {
        out.push_back(static_cast<std::uint8_t>(f.code >> 8));
        out.push_back(static_cast<std::uint8_t>(f.code & 0xFF));
        out.push_back(dtcStatusByte(f));
    }
    return out;
}

std::uint8_t dtcAgeCounter(const EngineFault& fault) {
    return static_cast<std::uint8_t>(64 - std::clamp(fault.cyclesSinceSeen, 0, 64));
}

}  // namespace dravio::sim
