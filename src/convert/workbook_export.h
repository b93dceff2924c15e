// convert: cdExcel and cdMerge, recordings written as a workbook with the
// recording's conventions: one sheet named hour "h" minute, the titles in row 1
// (bold, panes frozen at A2), one row per source line. Merging appends the
// lines of every further file under the first file's titles, by position.
#pragma once

#include <cstddef>
#include <ctime>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "convert/dif_writer.h"

namespace dravio::convert {

struct WorkbookResult {
    bool ok = false;
    bool cancelled = false;
    std::string error;
    std::size_t rows = 0;  // data rows written, titles not counted
};

// A field as the sheet takes it: a number when it reads as one, else the cleaned
// text. (A line holding a comma is split on commas, so a decimal comma never
// reaches a field.)
struct SheetCell {
    bool isNumber = false;
    double number = 0;
    std::string text;
};
SheetCell sheetCell(std::string_view field);

// "09h05" at 09:05.
std::string sheetName(const std::tm& now);

// Writes `sources` (at least one) into the workbook `target`, through a hidden
// ".part" file renamed when complete. `progress` counts bytes of all sources.
WorkbookResult exportWorkbook(const std::vector<std::filesystem::path>& sources, const std::filesystem::path& target,
                              const std::tm& now, const ConvertProgress& progress = {});

// The workbook name proposed for a source: the same name ending ".xlsx".
std::filesystem::path workbookNameFor(const std::filesystem::path& source);

}  // namespace dravio::convert
