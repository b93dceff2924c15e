#include "convert/workbook_export.h"

#include <xlsxwriter.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <system_error>

#include "convert/column_rules.h"

namespace dravio::convert {

namespace fs = std::filesystem;

namespace {

constexpr std::uint64_t kProgressStep = 256 * 1024;

std::string twoDigits(int value) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "%02d", value < 0 ? 0 : value % 100);
    return buffer;
}

// The workbook being written; closed (and its temporary files removed) on every path.
class Sheet {
public:
    Sheet(const fs::path& part, const std::tm& now) {
        lxw_workbook_options options{};
        options.constant_memory = LXW_TRUE;
        workbook_ = workbook_new_opt(part.c_str(), &options);
        if (workbook_ == nullptr) return;
        sheet_ = workbook_add_worksheet(workbook_, sheetName(now).c_str());
        bold_ = workbook_add_format(workbook_);
        if (bold_ != nullptr) format_set_bold(bold_);
    }
    ~Sheet() {
        if (workbook_ != nullptr) workbook_close(workbook_);
    }
    Sheet(const Sheet&) = delete;
    Sheet& operator=(const Sheet&) = delete;

    bool usable() const { return sheet_ != nullptr; }

    void titles(const std::vector<std::string_view>& fields) {
        for (std::size_t col = 0; col < fields.size() && col < LXW_COL_MAX; ++col) {
            worksheet_write_string(sheet_, 0, static_cast<lxw_col_t>(col), cleanField(fields[col]).c_str(), bold_);
        }
        worksheet_freeze_panes(sheet_, 1, 0);
        row_ = 1;
    }

    bool row(std::string_view line) {
        if (row_ >= LXW_ROW_MAX) return false;
        const auto fields = splitFields(line);
        for (std::size_t col = 0; col < fields.size() && col < LXW_COL_MAX; ++col) {
            const SheetCell cell = sheetCell(fields[col]);
            const auto c = static_cast<lxw_col_t>(col);
            if (cell.isNumber) {
                worksheet_write_number(sheet_, row_, c, cell.number, nullptr);
            } else if (!cell.text.empty()) {
                worksheet_write_string(sheet_, row_, c, cell.text.c_str(), nullptr);
            }
        }
        ++row_;
        return true;
    }

    // Saves the workbook; "" on success, else why not.
    std::string close() {
        const lxw_error status = workbook_close(workbook_);
        workbook_ = nullptr;
        return status == LXW_NO_ERROR ? std::string() : std::string(lxw_strerror(status));
    }

private:
    lxw_workbook* workbook_ = nullptr;
    lxw_worksheet* sheet_ = nullptr;
    lxw_format* bold_ = nullptr;
    lxw_row_t row_ = 0;
};

}  // namespace

SheetCell sheetCell(std::string_view field) {
    SheetCell cell;
    cell.text = cleanField(field);
    const std::string& text = cell.text;
    const char* begin = text.data();
    const char* end = begin + text.size();
    if (begin != end && *begin == '+') ++begin;
    double value = 0;
    const auto [stop, ec] = std::from_chars(begin, end, value);
    if (begin != end && ec == std::errc() && stop == end && std::isfinite(value)) {
        cell.isNumber = true;
        cell.number = value;
    }
    return cell;
}

std::string sheetName(const std::tm& now) { return twoDigits(now.tm_hour) + "h" + twoDigits(now.tm_min); }

fs::path workbookNameFor(const fs::path& source) {
    fs::path target = source;
    return target.replace_extension(".xlsx");
}

WorkbookResult exportWorkbook(const std::vector<fs::path>& sources, const fs::path& target, const std::tm& now,
                              const ConvertProgress& progress) {
    WorkbookResult result;
    if (sources.empty()) {
        result.error = "no file to write";
        return result;
    }
    std::uint64_t total = 0;
    for (const auto& source : sources) {
        std::error_code ec;
        const auto size = fs::file_size(source, ec);
        if (ec) {
            result.error = source.string() + ": " + ec.message();
            return result;
        }
        total += size;
    }

    const fs::path part = target.parent_path() / ("." + target.filename().string() + ".part");
    std::uint64_t done = 0;
    std::uint64_t reported = 0;
    {
        Sheet sheet(part, now);
        if (!sheet.usable()) {
            result.error = "cannot create " + part.string();
            fs::remove(part);
            return result;
        }
        for (std::size_t i = 0; i < sources.size(); ++i) {
            std::ifstream in(sources[i], std::ios::binary);
            if (!in) {
                result.error = "cannot read " + sources[i].string();
                break;
            }
            bool first = true;
            for (std::string line; std::getline(in, line);) {
                done += line.size() + 1;
                if (!line.empty() && line.back() == '\r') line.pop_back();
                if (first) {
                    first = false;
                    // The titles come from the first file; the others' are skipped.
                    if (i == 0) sheet.titles(splitFields(line));
                    continue;
                }
                if (line.empty()) continue;
                if (!sheet.row(line)) {
                    result.error = "more rows than a sheet holds";
                    break;
                }
                ++result.rows;
                if (progress && done - reported >= kProgressStep) {
                    reported = done;
                    if (!progress(done, total)) {
                        result.cancelled = true;
                        break;
                    }
                }
            }
            if (result.cancelled || !result.error.empty()) break;
        }
        if (result.cancelled || !result.error.empty()) {
            sheet.close();
            fs::remove(part);
            return result;
        }
        result.error = sheet.close();
    }
    if (!result.error.empty()) {
        fs::remove(part);
        return result;
    }
    std::error_code ec;
    fs::rename(part, target, ec);
    if (ec) {
        result.error = target.string() + ": " + ec.message();
        fs::remove(part);
        return result;
    }
    if (progress) progress(total, total);
    result.ok = true;
    return result;
}

}  // namespace dravio::convert
