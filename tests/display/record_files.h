// Test support for the recordings: a scratch data folder, file reading and a
// cycle record with distinct values in every column.
#pragma once

#include <stdlib.h>

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "ecu/measurement_cycle.h"

namespace dravio::display::testing {

class DataFolder {
public:
    DataFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "dravio-data-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
    }
    ~DataFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

inline std::string readFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Output of a shell command, "" when it fails.
inline std::string commandOutput(const std::string& command) {
    std::string out;
    if (FILE* p = ::popen(command.c_str(), "r")) {
        char buffer[4096];
        std::size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, p)) > 0) out.append(buffer, n);
        ::pclose(p);
    }
    return out;
}

inline std::tm at(int month, int day, int hour, int minute, int second) {
    std::tm t{};
    t.tm_year = 126;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    return t;
}

inline ecu::CycleRecord sampleRecord() {
    ecu::CycleRecord r;
    r.secondes = 1.25;
    r.Regime = 1234.5f;
    r.Papillon = 12.5f;
    r.Injection = 3.25f;
    r.AvanceVal = 15;
    r.PressionVal = 987.5f;
    r.TempAir = 21;
    r.TempEau = 85;
    r.TensionVal = 13.5f;
    r.LambdaVal = 0.4567f;
    return r;
}

}  // namespace dravio::display::testing
