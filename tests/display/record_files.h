// Test support for the recordings: a scratch data folder, command output, a
// time of day and a cycle record with distinct values.
#pragma once

#include <ctime>
#include <filesystem>
#include <string>

#include "ecu/measurement_cycle.h"
#include "run_program.h"
#include "support/temp_folder.h"

namespace dravio::display::testing {

using DataFolder = dravio::testing::TempFolder;
using dravio::testing::readBytes;

inline std::string commandOutput(const std::string& command) { return dravio::testing::runProgram(command).out; }

inline std::tm at(int month, int day, int hour, int minute, int second) {
    std::tm t{};
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    return t;
}

inline ecu::CycleRecord sampleRecord() { return {1.25, 1234.5f, 12.5f, 3.25f, 15, 987.5f, 21, 85, 13.5f, 0.4567f}; }

}  // namespace dravio::display::testing
