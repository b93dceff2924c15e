// support: the rotating trace-file name, dravio0.log .. dravio9.log.
#pragma once

#include <filesystem>

#include "support/ini_file.h"

namespace dravio::support {

struct TraceFileChoice {
    int number = 0;                      // 0..9
    std::filesystem::path FichierTrace;  // DossierLog/"dravio<number>.log"
    bool saved = false;                  // MENU/log written back
};

// Reads MENU/log (default 0), takes the next number modulo 10, writes it back and
// names the file. A negative or unreadable value counts as 0, so the next file is 1;
// a value above 9 still yields a single digit ((log + 1) mod 10).
TraceFileChoice rotateTraceFile(IniFile& ini, const std::filesystem::path& DossierLog);

}  // namespace dravio::support
