// sim: what a simulated one-byte-protocol ECU ("MM16", "MM15", "15RC", "P8")
// holds and how fast it reacts: its variant, its memory (power-on code,
// identification, faults) and its timings.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/clock.h"

namespace dravio::sim {

enum class OneByteVariant { MM16, MM15, RC15, P8 };

// The model text the tester shows: "MM16", "MM15", "15RC", "P8".
std::string_view oneByteVariantName(OneByteVariant variant);
// The variant with that model text, none for any other text.
std::optional<OneByteVariant> oneByteVariantFromName(std::string_view name);

// The two forms of the power-on code: a sync byte 0x55 or the byte 0x0B, then
// four code bytes and the sum of the five bytes modulo 256.
enum class PowerOnCodeForm { Sync55, Start0B };

// The diagnostic-mode commands, in the order of the tester's buttons.
enum class DiagTest { ClearMemory, RevCounter, FuelPump, CoilHorizontal, CoilVertical, Injector1, Injector2 };
inline constexpr std::size_t kDiagTestCount = 7;

// Fault rows as the ECU keeps them: sensors, actuators, internal.
inline constexpr std::size_t kFaultRows = 3;
using FaultBytes = std::array<std::uint8_t, kFaultRows>;

struct OneByteScenario {
    PowerOnCodeForm codeForm = PowerOnCodeForm::Sync55;
    std::array<std::uint8_t, 4> powerOnCode{0xB0, 0x80, 0x80, 0x80};

    // Identification characters from command 0x17 on; none means the variant's
    // default. Addresses past the end of the text answer 0xFF (unprogrammed).
    std::optional<std::string> identification;

    // Fault bytes (a bit per component) and their type bytes (a bit per kind of
    // failure), present and stored. Clearing the memory stores the present ones.
    FaultBytes presentFaults{};
    FaultBytes presentTypes{};
    FaultBytes storedFaults{};
    FaultBytes storedTypes{};

    // Status bits the engine does not drive (0x01 stepper enabled, 0x04, 0x80
    // stepper test running, ...), OR-ed into the status byte.
    std::uint8_t extraStatusBits = 0;

    // The diagnostic command that ends with 0xEE instead of 0xFF.
    std::optional<DiagTest> failingTest;
    // The diagnostic command that never sends its end byte (the ECU still
    // returns to the diagnostic mode once the test's duration is over).
    std::optional<DiagTest> silentTest;
    // Whether a test command is acknowledged at once by echoing it, before the
    // end-of-test byte. The memory clearing always answers with its end byte.
    bool echoTestCommand = true;

    // Range the trimmer-adjust mode accepts; values outside are clamped.
    int trimmerMin = -126;
    int trimmerMax = 126;
};

struct OneByteTiming {
    using Duration = base::Clock::Duration;

    // From the command byte's last bit to the answer's first bit.
    Duration answerDelay = std::chrono::milliseconds(2);
    // From the program's request to the rider's key-on (the 15RC is on at once).
    Duration riderDelay = std::chrono::milliseconds(2000);
    // From key-on to the power-on code's first byte (the ECU boots).
    Duration bootDelay = std::chrono::milliseconds(150);
    // Pause between two bytes of the power-on code.
    Duration codeByteGap = std::chrono::milliseconds(1);
    // Accepted spacing between the ends of two wake-up bytes (0x0F, 0xAA, 0xCC);
    // the tester spaces them 110 ms apart.
    Duration wakeUpMinGap = std::chrono::milliseconds(50);
    Duration wakeUpMaxGap = std::chrono::milliseconds(300);
    // A high byte read (0x01, 0x03) latches its low byte for this long, so that
    // the two halves of one reading belong together.
    Duration latchLifetime = std::chrono::milliseconds(200);
    // Diagnostic or trimmer-adjust mode left alone this long ends by itself.
    Duration diagIdleTimeout = std::chrono::seconds(60);
    // How long each diagnostic command runs before its end byte, by DiagTest.
    std::array<Duration, kDiagTestCount> testDuration{
        std::chrono::milliseconds(500),  // memory clearing
        std::chrono::seconds(10),        // rev counter at 3750 RPM
        std::chrono::seconds(30),        // fuel pump
        std::chrono::seconds(5),         // horizontal coil
        std::chrono::seconds(5),         // vertical coil
        std::chrono::seconds(5),         // injector 1
        std::chrono::seconds(5),         // injector 2
    };
};

// Identification text a variant holds when the scenario gives none: 11
// characters for the MM16 (0x17..0x21), a 10-character part number and an
// 8-character calibration for the others (0x17..0x28).
std::string defaultIdentification(OneByteVariant variant);

}  // namespace dravio::sim
