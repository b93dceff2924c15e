// session: the main window's two recordings, the "CSV" text file (chCSV) and the
// "Excel" workbook (Chenregistre). They follow their boxes in the main window's
// state, whoever changes them (a click, the stop button, a diagnostic window),
// and take one line or row per measurement cycle from what the windows show.
#pragma once

#include <ctime>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/view_state.h"
#include "display/record_row.h"
#include "display/text_recording.h"
#include "display/workbook_recording.h"
#include "ecu/exchange.h"
#include "ecu/measurement_cycle.h"
#include "link/trace.h"
#include "proto/models.h"

namespace dravio::session {

// Status texts of the "Excel" box, with their catalog ids.
inline constexpr int kTracesExcelId = 3400;
inline constexpr const char* kTracesExcel = "Traces Excel";
inline constexpr int kUseCsvId = 3401;
inline constexpr const char* kUseCsv = "Use CSV";

// The columns a model's recordings have.
display::RecordLayout recordLayout(proto::Model model);

// The local time now, for the file and sheet names.
std::tm localNow();

// Converts the text recordings a crash left in `DossierData`, each reported in the trace.
std::vector<std::string> recoverRecordings(link::Trace& trace, const std::filesystem::path& DossierData);

class Recorder {
public:
    struct Setup {
        std::filesystem::path DossierData;
        display::RecordLayout layout = display::RecordLayout::Standard;
        ecu::ResourceText GetResourceString;
        std::function<void(const std::string&)> EcritTrace;
        std::function<std::tm()> now = localNow;
    };

    Recorder(base::ViewState& frmparam, Setup setup);
    ~Recorder();
    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;

    // Starts or stops each recording whose box no longer matches it.
    void follow();
    // One measurement cycle, into each recording that is open.
    void write(const ecu::CycleRecord& record, const display::RecordTexts& texts);
    // Stops both recordings for good, as unchecking their boxes would (the session ends).
    void closeAll();

    bool textOpen() const { return text_.recording(); }
    bool workbookOpen() const { return workbook_.ExcelOuvert; }
    // Every file a stopped recording left, in order.
    const std::vector<std::filesystem::path>& files() const { return files_; }

private:
    void kept(const std::filesystem::path& file);

    base::ViewState& frmparam_;
    Setup setup_;
    display::TextRecording text_;
    display::WorkbookRecording workbook_;
    std::vector<std::filesystem::path> files_;
    bool following_ = false;
    bool closed_ = false;
};

}  // namespace dravio::session
