// Settings files written by hand, by other programs or cut short by a crash.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "support/ini_file.h"

namespace {

const std::filesystem::path& scratchFile() {
    static const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("dravio-fuzz-ini-" + std::to_string(getpid()) + ".ini");
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto& path = scratchFile();
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    dravio::support::IniFile ini(path);
    for (const char* section : {"Mesures", "MENU", "Menu", "POSITIONS", "ECU"}) {
        for (const char* key : {"Air", "log", "auto", "ParamTop", "Init"}) {
            const auto text = ini.readString(section, key, "x");
            if (text.size() > dravio::support::kMaxProfileValueLength) __builtin_trap();
            (void)ini.readInt(section, key, 7);
        }
    }
    // A value set in memory reads back, whatever the file held before.
    ini.setString("ECU", "Init", "3");
    if (ini.readInt("ECU", "Init", -1) != 3) __builtin_trap();
    (void)ini.serialize();
    (void)dravio::support::parseProfileInt(std::string(reinterpret_cast<const char*>(data), size), 5);
    return 0;
}
