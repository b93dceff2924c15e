#include "diag/erreur_text.h"

namespace dravio::diag {

namespace {

// A caption of a single blank is an empty row.
bool blank(const std::string& text) { return text.find_first_not_of(' ') == std::string::npos; }

}  // namespace

std::string faultReadingToText(const FaultReading& reading) {
    std::string out;
    for (int r = 0; r < kErreurRows; ++r) {
        if (r == 0) out += "Erreur(s) présente(s) / Failure(s) now\n";
        if (r == 4) out += "Erreur(s) mémorisée(s) / Failure(s) in RAM\n";
        out += r == kStatusRow ? "" : "  ";
        out += erreurRowTitle(r) + ": " + reading.rdef[static_cast<std::size_t>(r)] + "\n";
    }
    out += "\n";
    for (const auto& l : reading.lines) out += l + "\n";
    return out;
}

std::string testRunToText(const TestRun& run) {
    std::string out = run.frdialogue + "\n";
    for (std::size_t i = 0; i < run.lenvoie.size(); ++i) {
        if (blank(run.lenvoie[i]) && blank(run.lrecu[i])) continue;
        out += run.lenvoie[i] + " | " + run.lrecu[i] + "\n";
    }
    for (const auto& m : run.messages) out += "! " + m.text + "\n";
    out += "outcome: " + std::string(testOutcomeName(run.outcome));
    if (!run.endOfTest.empty()) out += " (" + run.endOfTest + ")";
    return out + "\n";
}

}  // namespace dravio::diag
