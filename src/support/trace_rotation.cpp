#include "support/trace_rotation.h"

#include <string>

#include "support/settings_keys.h"

namespace dravio::support {

TraceFileChoice rotateTraceFile(IniFile& ini, const std::filesystem::path& DossierLog) {
    int last = ini.readInt(keys::MENU, keys::Log, 0);
    if (last < 0) last = 0;  // a negative number would give a "-n" file name
    TraceFileChoice choice;
    choice.number = (last % 10 + 1) % 10;
    choice.FichierTrace = DossierLog / ("dravio" + std::to_string(choice.number) + ".log");
    choice.saved = ini.writeInt(keys::MENU, keys::Log, choice.number);
    return choice;
}

}  // namespace dravio::support
