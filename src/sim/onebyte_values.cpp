#include "sim/onebyte_values.h"

#include <algorithm>
#include <cmath>

namespace dravio::sim {

namespace {

// Period counter ticks per minute: 4 us ticks, or 2 us for the P8.
constexpr double kPeriodTicksPerMinute = 15'000'000.0;
constexpr double kPeriodTicksPerMinuteP8 = 30'000'000.0;
// Largest counter value that keeps the high byte below 0xFF.
constexpr int kCounterMax = 0xFEFF;

std::uint8_t clampByte(double value) {
    if (!(value == value)) return 0;  // NaN
    return static_cast<std::uint8_t>(std::clamp(std::lround(value), 0L, 255L));
}

BytePair split(int value) {
    return {static_cast<std::uint8_t>((value >> 8) & 0xFF), static_cast<std::uint8_t>(value & 0xFF)};
}

// Angle the throttle sensor's converter step stands for: two straight lines,
// the steep one from step 171 on (from 34 degrees on for the P8).
double throttleAngle(int step, OneByteScale scale) {
    const double shallow = 0.1848 * step - 1.41;
    const double steep = 0.7058 * step - 90.0;
    if (scale == OneByteScale::P8) return std::max(0.0, shallow >= 34.0 ? steep : shallow);
    return step < 171 ? shallow : steep;
}

}  // namespace

OneByteScale scaleOf(OneByteVariant variant) {
    return variant == OneByteVariant::P8 ? OneByteScale::P8 : OneByteScale::Iaw15_16;
}

BytePair encodePeriod(double rpm, bool running, OneByteScale scale) {
    const double perMinute = scale == OneByteScale::P8 ? kPeriodTicksPerMinuteP8 : kPeriodTicksPerMinute;
    if (!running || !(rpm > 0)) return {0xFF, 0xFF};
    const double ticks = perMinute / rpm;
    if (ticks > kCounterMax) return {0xFF, 0xFF};
    return split(static_cast<int>(std::clamp(std::lround(ticks), 1L, static_cast<long>(kCounterMax))));
}

BytePair encodeInjection(double ms, OneByteScale scale) {
    const double ticksPerMs = scale == OneByteScale::P8 ? 250.0 : 500.0;
    if (!(ms > 0)) return {0, 0};
    return split(static_cast<int>(std::clamp(std::lround(ms * ticksPerMs), 0L, static_cast<long>(kCounterMax))));
}

std::uint8_t encodeAdvance(double degrees, OneByteScale scale) {
    return clampByte(degrees * (scale == OneByteScale::P8 ? 4.0 : 2.0));
}

std::uint8_t encodePressure(double hpa) { return clampByte((hpa / 1.33 - 91.0) / 2.8758); }

std::uint8_t encodeTemperature(double celsius) { return clampByte(celsius + 55.0); }

std::uint8_t encodeBattery(double volts) { return clampByte(volts / 0.0628); }

std::uint8_t encodeThrottle(double degrees, OneByteScale scale) {
    // The sensor's curve has a knee (and for the P8 a jump), so the step is
    // found by searching rather than by inverting one line.
    int best = 0;
    double bestError = std::abs(throttleAngle(0, scale) - degrees);
    for (int step = 1; step <= 255; ++step) {
        const double error = std::abs(throttleAngle(step, scale) - degrees);
        if (error < bestError) {
            best = step;
            bestError = error;
        }
    }
    return static_cast<std::uint8_t>(best);
}

std::uint8_t encodeTrimmer(int value) { return static_cast<std::uint8_t>(std::clamp(value + 128, 0, 255)); }

std::array<std::uint8_t, 6> powerOnCodeBytes(PowerOnCodeForm form, const std::array<std::uint8_t, 4>& code) {
    std::array<std::uint8_t, 6> bytes{};
    bytes[0] = form == PowerOnCodeForm::Sync55 ? 0x55 : 0x0B;
    std::uint8_t sum = bytes[0];
    for (std::size_t i = 0; i < code.size(); ++i) {
        bytes[i + 1] = code[i];
        sum = static_cast<std::uint8_t>(sum + code[i]);
    }
    bytes[5] = sum;
    return bytes;
}

}  // namespace dravio::sim
