// diag: frmTrimmer15's findings as plain text, for the command line.
#pragma once

#include <string>
#include <string_view>

#include "diag/trimmer15_window.h"

namespace dravio::diag {

std::string_view trimStartName(TrimStart start);
// "Regime 360 | Papillon 1.5 | Tension 5.0 | Trimmer 1"
std::string trim15ReadingToText(const Trim15Reading& reading);
// One "name: value" line per field of the change.
std::string trim15ChangeToText(const Trim15Change& change);

}  // namespace dravio::diag
