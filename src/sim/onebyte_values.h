// sim: how a one-byte-protocol ECU turns engine values into its answer bytes.
// The "MM16", "MM15" and "15RC" share one scaling; the "P8" counts the engine
// period and injection time at half the rate and the advance in quarter degrees.
#pragma once

#include <array>
#include <cstdint>

#include "sim/onebyte_scenario.h"

namespace dravio::sim {

enum class OneByteScale { Iaw15_16, P8 };

OneByteScale scaleOf(OneByteVariant variant);

// High and low byte of a 16-bit counter.
using BytePair = std::array<std::uint8_t, 2>;

// Time of one engine revolution in counter ticks. A stopped engine (or one
// too slow to count) leaves the counter saturated at 0xFFFF; a running one
// never reaches a high byte of 0xFF.
BytePair encodePeriod(double rpm, bool running, OneByteScale scale);
// Injector opening time in counter ticks (2 us, or 4 us for the P8).
BytePair encodeInjection(double ms, OneByteScale scale);
// Ignition advance in half degrees (quarter degrees for the P8), never negative.
std::uint8_t encodeAdvance(double degrees, OneByteScale scale);
// Manifold pressure on the sensor's converter scale.
std::uint8_t encodePressure(double hpa);
// Air or engine temperature, offset by 55 degrees.
std::uint8_t encodeTemperature(double celsius);
// Battery voltage in steps of 62.8 mV.
std::uint8_t encodeBattery(double volts);
// Throttle sensor converter step whose angle is nearest to `degrees`.
std::uint8_t encodeThrottle(double degrees, OneByteScale scale);
// Signed trimmer as its raw byte (value + 128).
std::uint8_t encodeTrimmer(int value);

// The six bytes of the power-on code: start byte (0x55 or 0x0B), the four code
// bytes and the sum of those five modulo 256.
std::array<std::uint8_t, 6> powerOnCodeBytes(PowerOnCodeForm form, const std::array<std::uint8_t, 4>& code);

}  // namespace dravio::sim
