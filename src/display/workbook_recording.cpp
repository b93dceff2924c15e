#include "display/workbook_recording.h"

#include <xlsxwriter.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>

namespace dravio::display {
namespace {

enum FormatIndex { kThreeDecimals, kWhole, kOneDecimal, kTwoDecimals, kHeader };

std::string twoDigits(int value) {
    char text[8];
    std::snprintf(text, sizeof text, "%02d", value % 100);
    return text;
}

// A display text as a cell: a number when it reads as one, as the spreadsheet
// would take it, else the text.
void writeShown(lxw_worksheet* sheet, lxw_row_t row, lxw_col_t col, const std::string& text) {
    const std::string shown = shownOrZero(text);
    double value = 0;
    const char* first = shown.data();
    const char* last = shown.data() + shown.size();
    const auto [end, error] = std::from_chars(first, last, value);
    if (!shown.empty() && error == std::errc() && end == last) {
        worksheet_write_number(sheet, row, col, value, nullptr);
    } else {
        worksheet_write_string(sheet, row, col, shown.c_str(), nullptr);
    }
}

}  // namespace

bool ExcelPresent(const std::filesystem::path& DossierData) {
    if (lxw_version() == nullptr) return false;
    // Constant-memory workbooks keep their rows in temporary files there.
    const std::filesystem::path probe = DossierData / ".dravio-workbook-probe";
    std::FILE* f = std::fopen(probe.c_str(), "wb");
    if (f == nullptr) return false;
    std::fclose(f);
    std::error_code ec;
    std::filesystem::remove(probe, ec);
    return true;
}

std::string workbookName(const std::tm& now) {
    return "Mesures" + twoDigits(now.tm_hour) + "h" + twoDigits(now.tm_min) + twoDigits(now.tm_sec) + ".xlsx";
}

WorkbookRecording::WorkbookRecording(std::filesystem::path DossierData, RecordLayout layout, base::ViewState& frmparam)
    : DossierData_(std::move(DossierData)), layout_(layout), frmparam_(frmparam) {}

WorkbookRecording::~WorkbookRecording() { close(); }

void WorkbookRecording::close() {
    if (workbook_ != nullptr) workbook_close(workbook_);
    workbook_ = nullptr;
    sheet_ = nullptr;
}

bool WorkbookRecording::start(const std::tm& now) {
    if (ExcelOuvert) return true;
    partPath_ = DossierData_ / ".Mesures.xlsx.part";
    std::string tmpdir = DossierData_.string();
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    options.tmpdir = tmpdir.data();
    if (ExcelPresent(DossierData_)) workbook_ = workbook_new_opt(partPath_.c_str(), &options);
    const std::string sheetName = twoDigits(now.tm_hour) + "h" + twoDigits(now.tm_min);
    if (workbook_ != nullptr) sheet_ = workbook_add_worksheet(workbook_, sheetName.c_str());
    if (sheet_ == nullptr) {
        close();
        ExcelOuvert = false;
        frmparam_.setText("lbPanel2", "Use CSV");
        frmparam_.setVisible("Chenregistre", false);
        return false;
    }
    ExcelOuvert = true;
    frmparam_.setText("lbPanel2", "Traces Excel");

    const char* patterns[] = {"0.000", "0", "0.0", "0.00"};
    for (int i = 0; i < 4; ++i) {
        formats_[i] = workbook_add_format(workbook_);
        format_set_num_format(formats_[i], patterns[i]);
    }
    formats_[kHeader] = workbook_add_format(workbook_);
    format_set_bold(formats_[kHeader]);

    const auto headers = workbookHeaders(layout_);
    for (std::size_t col = 0; col < headers.size(); ++col) {
        worksheet_write_string(sheet_, 0, static_cast<lxw_col_t>(col), headers[col].c_str(), formats_[kHeader]);
    }
    worksheet_freeze_panes(sheet_, 1, 0);
    ExcelRow = 2;
    return true;
}

void WorkbookRecording::writeRow(const ecu::CycleRecord& r, const RecordTexts& texts) {
    if (!ExcelOuvert || sheet_ == nullptr) return;
    const auto row = static_cast<lxw_row_t>(ExcelRow - 1);
    const auto number = [&](lxw_col_t col, double value, lxw_format* format) {
        worksheet_write_number(sheet_, row, col, value, format);
    };
    number(0, r.secondes, formats_[kThreeDecimals]);
    number(1, r.Regime, formats_[kWhole]);
    number(2, r.Papillon, formats_[kOneDecimal]);
    number(3, r.Injection, formats_[kTwoDecimals]);
    number(4, r.AvanceVal, nullptr);
    number(5, r.PressionVal, formats_[kOneDecimal]);
    number(6, r.TempAir, nullptr);
    number(7, r.TempEau, nullptr);
    number(8, r.TensionVal, formats_[kOneDecimal]);
    writeShown(sheet_, row, 9, texts.AFR1);
    writeShown(sheet_, row, 10, texts.AFR2);
    number(11, texts.lambdaShown ? r.LambdaVal : 0.0, formats_[kThreeDecimals]);
    if (layout_ == RecordLayout::ThrottleSteps) {
        writeShown(sheet_, row, 12, texts.SteepTPS);
        writeShown(sheet_, row, 13, texts.TPSmV);
    }
    ++ExcelRow;
}

std::filesystem::path WorkbookRecording::stop(const std::tm& now) {
    if (!ExcelOuvert) return {};
    ExcelOuvert = false;
    // The last row's engine speed is the selected cell, as the live sheet left it.
    const auto last = static_cast<lxw_row_t>(ExcelRow > 2 ? ExcelRow - 2 : 1);
    worksheet_set_selection(sheet_, last, 1, last, 1);
    const lxw_error status = workbook_close(workbook_);
    workbook_ = nullptr;
    sheet_ = nullptr;
    if (status != LXW_NO_ERROR) {
        lastError_ = lxw_strerror(status);
        return {};
    }
    const std::filesystem::path target = DossierData_ / workbookName(now);
    std::error_code ec;
    std::filesystem::rename(partPath_, target, ec);
    if (ec) {
        lastError_ = ec.message();
        return {};
    }
    return target;
}

}  // namespace dravio::display
