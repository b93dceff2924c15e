// display: the workbook recording (box "Excel"), written with libxlsxwriter in
// place of spreadsheet automation. The sheet is named after the start time,
// row 1 holds the headers and stays in view (panes frozen at A2), one row per
// cycle follows. Rows go to disk as they come (constant-memory mode), so a
// long session does not grow; the workbook itself is assembled at stop, as
// "Mesures<hh>h<mm><ss>.xlsx" in the data folder.
#pragma once

#include <ctime>
#include <filesystem>
#include <string>

#include "base/view_state.h"
#include "display/record_row.h"

extern "C" {
struct lxw_workbook;
struct lxw_worksheet;
struct lxw_format;
}

namespace dravio::display {

// True when a workbook can be recorded: the library answers and its temporary
// files can be made in `DossierData`.
bool ExcelPresent(const std::filesystem::path& DossierData);

// "Mesures09h0507.xlsx" at 09:05:07: "Mesures" + hour + "h" + minute + second.
std::string workbookName(const std::tm& now);

class WorkbookRecording {
public:
    // `frmparam`: status panel 2 and the "Excel" box (Chenregistre).
    WorkbookRecording(std::filesystem::path DossierData, RecordLayout layout, base::ViewState& frmparam);
    ~WorkbookRecording();
    WorkbookRecording(const WorkbookRecording&) = delete;
    WorkbookRecording& operator=(const WorkbookRecording&) = delete;

    // Chenregistre checked. On success "Traces Excel" in status panel 2;
    // otherwise "Use CSV" and the box is hidden for the rest of the run.
    bool start(const std::tm& now);
    // One cycle, when open.
    void writeRow(const ecu::CycleRecord& record, const RecordTexts& texts);
    // Chenregistre unchecked: saves under the name of `now`. Returns the file,
    // empty when nothing was open or saving failed (see lastError()).
    std::filesystem::path stop(const std::tm& now);

    bool ExcelOuvert = false;
    int ExcelRow = 0;  // next sheet row, 1-based; 2 after the header
    const std::string& lastError() const { return lastError_; }

private:
    void close();

    std::filesystem::path DossierData_;
    RecordLayout layout_;
    base::ViewState& frmparam_;
    lxw_workbook* workbook_ = nullptr;
    lxw_worksheet* sheet_ = nullptr;
    lxw_format* formats_[5] = {};  // "0.000", "0", "0.0", "0.00", bold header
    std::filesystem::path partPath_;
    std::string lastError_;
};

}  // namespace dravio::display
