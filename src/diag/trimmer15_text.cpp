#include "diag/trimmer15_text.h"

namespace dravio::diag {

std::string_view trimStartName(TrimStart start) {
    switch (start) {
        case TrimStart::CycleRunning:
            return "cycle-running";
        case TrimStart::EngineRunning:
            return "engine-running";
        case TrimStart::NoDiagMode:
            return "no-diag-mode";
        case TrimStart::Failed:
            return "failed";
        case TrimStart::Ready:
            return "ready";
    }
    return "";
}

std::string trim15ReadingToText(const Trim15Reading& reading) {
    const Trim15Texts t = trim15Texts(reading);
    return "Regime " + t.lbRPM + " | Papillon " + t.lbTPS + " | Tension " + t.lbVolt + " | Trimmer " + t.lbTrim + "\n";
}

std::string trim15ChangeToText(const Trim15Change& change) {
    const auto yesNo = [](bool b) { return std::string(b ? "yes" : "no"); };
    std::string out = "start: " + std::string(trimStartName(change.start)) + "\n";
    if (change.start != TrimStart::Ready) return out;
    out += "before: " + std::to_string(change.before) + "\n";
    out += "reached: " + std::to_string(change.reached) + "\n";
    out += "saved: " + yesNo(change.saved) + "\n";
    if (!change.saved) return out;
    out += "save echoed: " + yesNo(change.saveEchoed[0]) + ", " + yesNo(change.saveEchoed[1]) + "\n";
    out += "read back: " + std::to_string(change.readBack) + "\n";
    return out;
}

}  // namespace dravio::diag
