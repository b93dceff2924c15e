// sim: what a simulated 59M or 5AM unit holds: its identification, its fault
// memory, the chassis switches it reads and the immobiliser state.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "sim/engine_model.h"

namespace dravio::sim {

enum class KwpVariant {
    M59,  // 59M
    M5A,  // 5AM: stepper motor, lambda, service reset; "IAW5A" in its identification
};

// The identification record, field by field; texts are padded with blanks or
// cut to their length when sent.
struct KwpIdentification {
    std::string ducatiNumber;   // 11 characters
    std::string marelliNumber;  // 11
    std::uint8_t hardVersion = 0;
    std::string softNumber;  // 11
    std::uint16_t softVersion = 0;
    std::string approval;  // 6
    std::array<std::uint8_t, 5> reserved{0x20, 0xAA, 0xAA, 0xAA, 0xAA};
    std::string repairShop;            // 10
    std::uint32_t programmingDate = 0;  // BCD year, month, day: 0x20030828
    std::string ecuType;               // 11, the hardware type read at start-up
};

struct KwpChassis {
    bool sideStandOut = false;
    bool clutchReleased = true;
    bool neutral = true;
    bool runSwitchOnStop = false;
};

struct KwpScenario {
    KwpVariant variant = KwpVariant::M59;
    KwpIdentification identification;
    std::vector<EngineFault> faults;
    KwpChassis chassis;
    std::uint8_t immobiliser = 0x00;  // 0 system OK, 1 blank ECU, 2 locked, ...
    int storedTrimmer = 0;            // signed, -127..126
    std::uint32_t seed = 1;           // engine model seed

    // A 59M or 5AM with a typical identification and an empty fault memory.
    static KwpScenario m59();
    static KwpScenario m5a();
};

}  // namespace dravio::sim
