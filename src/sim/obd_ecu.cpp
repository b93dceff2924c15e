#include "sim/obd_ecu.h"

#include <algorithm>
#include <cmath>

#include "sim/kwp_dtc.h"

namespace dravio::sim {

namespace {

constexpr std::uint8_t kSubFunctionNotSupported = 0x12;

std::uint8_t byteOf(double value) { return static_cast<std::uint8_t>(std::clamp(std::lround(value), 0L, 255L)); }

void pushWord(std::vector<std::uint8_t>& out, double value) {
    const auto w = static_cast<std::uint16_t>(std::clamp(std::lround(value), 0L, 65535L));
    out.push_back(static_cast<std::uint8_t>(w >> 8));
    out.push_back(static_cast<std::uint8_t>(w & 0xFF));
}

}  // namespace

ObdEcu::ObdEcu(ObdScenario scenario, KwpSessionOptions options) : KwpSession(options), engine_(scenario.seed) {
    engine_.setFaults(std::move(scenario.faults));
}

const std::vector<std::uint8_t>& ObdEcu::supportedPids() {
    static const std::vector<std::uint8_t> pids{0x01, 0x04, 0x05, 0x0B, 0x0C, 0x0D, 0x0F, 0x10, 0x11};
    return pids;
}

std::optional<std::vector<std::uint8_t>> ObdEcu::answerRequest(const proto::KwpFrame& request, Clock::TimePoint end) {
    const std::vector<std::uint8_t>& d = request.data;
    switch (d[0]) {
    case 0x01: return currentData(d, end);
    case 0x03:
        if (d.size() != 1) return negative(0x03, kSubFunctionNotSupported);
        return troubleCodes();
    case 0x04:
        if (d.size() != 1) return negative(0x04, kSubFunctionNotSupported);
        engine_.clearFaults();
        return std::vector<std::uint8_t>{0x44};
    case 0x14:
        if (d.size() != 3) return negative(0x14, kSubFunctionNotSupported);
        engine_.clearFaults();
        return std::vector<std::uint8_t>{0x54, d[1], d[2]};
    case 0x17: return faultStatus(d);
    default: return std::nullopt;
    }
}

std::vector<std::uint8_t> ObdEcu::currentData(const std::vector<std::uint8_t>& d, Clock::TimePoint t) const {
    if (d.size() != 2) return negative(0x01, kSubFunctionNotSupported);
    const std::uint8_t pid = d[1];
    const EngineSnapshot e = engine_.at(t);
    std::vector<std::uint8_t> a{0x41, pid};
    switch (pid) {
    case 0x00: {
        std::uint32_t mask = 0;
        for (const std::uint8_t p : supportedPids()) mask |= 1u << (32 - p);
        for (int shift = 24; shift >= 0; shift -= 8) a.push_back(static_cast<std::uint8_t>(mask >> shift));
        return a;
    }
    case 0x01: {
        const std::vector<EngineFault> list = reportedFaults(engine_.faults(), 127);
        const bool lamp = std::any_of(list.begin(), list.end(), [](const EngineFault& f) { return f.lamp; });
        a.push_back(static_cast<std::uint8_t>((lamp ? 0x80 : 0x00) | list.size()));
        a.push_back(0x07);  // misfire, fuel system and component monitors supported
        a.push_back(0x65);  // catalyst, evaporative system, oxygen sensor and heater supported
        a.push_back(0x00);  // all complete
        return a;
    }
    case 0x04: a.push_back(byteOf(e.loadPercent * 255.0 / 100.0)); return a;
    case 0x05: a.push_back(byteOf(e.engineTempC + 40)); return a;
    case 0x0B: a.push_back(byteOf(e.manifoldHpa / 10.0)); return a;  // kPa
    case 0x0C: pushWord(a, e.rpm * 4); return a;
    case 0x0D: a.push_back(byteOf(e.roadSpeedKmh)); return a;
    case 0x0F: a.push_back(byteOf(e.airTempC + 40)); return a;
    case 0x10: pushWord(a, e.airMassGs * 100); return a;
    case 0x11:
        // Sent on two bytes, the high one 0, which readers of either width decode alike.
        a.push_back(0x00);
        a.push_back(byteOf(e.throttlePercent * 255.0 / 100.0));
        return a;
    default: return negative(0x01, kSubFunctionNotSupported);
    }
}

std::vector<std::uint8_t> ObdEcu::troubleCodes() const {
    // Count first, then two bytes per code; one frame holds 30.
    const std::vector<EngineFault> list = reportedFaults(engine_.faults(), 30);
    std::vector<std::uint8_t> a{0x43, static_cast<std::uint8_t>(list.size())};
    for (const EngineFault& f : list) {
        a.push_back(static_cast<std::uint8_t>(f.code >> 8));
        a.push_back(static_cast<std::uint8_t>(f.code & 0xFF));
    }
    return a;
}

std::vector<std::uint8_t> ObdEcu::faultStatus(const std::vector<std::uint8_t>& d) const {
    if (d.size() != 3) return negative(0x17, kSubFunctionNotSupported);
    std::vector<EngineFault> list = reportedFaults(engine_.faults(), 84);
    const auto code = static_cast<std::uint16_t>(d[1] << 8 | d[2]);
    if (code != 0xFF00) {
        list.erase(std::remove_if(list.begin(), list.end(), [code](const EngineFault& f) { return f.code != code; }),
                   list.end());
    }
    std::vector<std::uint8_t> a{0x57, static_cast<std::uint8_t>(list.size())};
    const std::vector<std::uint8_t> records = dtcRecords(list);
    a.insert(a.end(), records.begin(), records.end());
    return a;
}

}  // namespace dravio::sim
