#include "session/recorder.h"

#include <chrono>

namespace dravio::session {

display::RecordLayout recordLayout(proto::Model model) {
    if (proto::isOneByte(model)) return display::RecordLayout::ThrottleSteps;
    if (model == proto::Model::Obd) return display::RecordLayout::ObdLoad;
    return display::RecordLayout::Standard;
}

std::tm localNow() {
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm local{};
    localtime_r(&now, &local);
    return local;
}

std::vector<std::string> recoverRecordings(link::Trace& trace, const std::filesystem::path& DossierData) {
    if (DossierData.empty()) return {};
    auto lines = display::recoverTextRecordings(DossierData);
    for (const auto& line : lines) trace.EcritTrace(line, false);
    return lines;
}

Recorder::Recorder(base::ViewState& frmparam, Setup setup)
    : frmparam_(frmparam),
      setup_(std::move(setup)),
      text_(setup_.DossierData, setup_.layout),
      workbook_(setup_.DossierData, setup_.layout, frmparam) {}

Recorder::~Recorder() { closeAll(); }

void Recorder::kept(const std::filesystem::path& file) {
    if (!file.empty()) files_.push_back(file);
}

void Recorder::follow() {
    // Starting and stopping change the window's state, which calls back here.
    if (following_ || closed_) return;
    following_ = true;
    const bool csv = frmparam_["chCSV"].checked.value_or(false);
    if (csv && !text_.recording()) {
        const std::string line = text_.start(setup_.now());
        if (setup_.EcritTrace) setup_.EcritTrace(line);
    } else if (!csv && text_.recording()) {
        kept(text_.stop());
    }

    const bool excel = frmparam_["Chenregistre"].checked.value_or(false);
    const auto text = [this](int id, const char* french) {
        return setup_.GetResourceString ? setup_.GetResourceString(id, french) : std::string(french);
    };
    if (excel && !workbook_.ExcelOuvert) {
        if (workbook_.start(setup_.now())) {
            frmparam_.setText("lbPanel2", text(kTracesExcelId, kTracesExcel));
        } else {
            // No workbook this run: the box goes away, unchecked.
            frmparam_.setText("lbPanel2", text(kUseCsvId, kUseCsv));
            frmparam_.setChecked("Chenregistre", false);
        }
    } else if (!excel && workbook_.ExcelOuvert) {
        const auto file = workbook_.stop(setup_.now());
        if (file.empty() && setup_.EcritTrace) setup_.EcritTrace("Excel: " + workbook_.lastError());
        kept(file);
    }
    following_ = false;
}

void Recorder::write(const ecu::CycleRecord& record, const display::RecordTexts& texts) {
    if (workbook_.ExcelOuvert) workbook_.writeRow(record, texts);
    if (text_.recording()) text_.writeLine(record, texts);
}

void Recorder::closeAll() {
    if (closed_) return;
    closed_ = true;
    kept(text_.stop());
    if (workbook_.ExcelOuvert) kept(workbook_.stop(setup_.now()));
}

}  // namespace dravio::session
