// Recordings and other loggers' files: the column-title reader, the line
// splitter, the text encoder of the DIF writer and the replay reader.
#include <cstdint>
#include <string>
#include <string_view>

#include "convert/column_rules.h"
#include "convert/dif_writer.h"
#include "convert/recording.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    using namespace dravio::convert;
    const auto columns = readTitles(firstLine(text));
    if (columns.size() > kMaxColumns) __builtin_trap();
    for (const auto& column : columns) {
        if (column.title.find('"') != std::string::npos) __builtin_trap();
        if (column.rule && RechercheDIF(column.title) != column.rule) __builtin_trap();
        (void)toWindows1252(column.title);
    }
    for (const auto field : splitFields(text)) (void)cleanField(field);
    const Recording recording = parseRecording(text);
    if (recording.titles.size() > kMaxColumns || recording.problems.size() > kMaxProblems) __builtin_trap();
    double previous = -1e308;
    for (const auto& row : recording.rows) {
        if (row.values.size() != recording.titles.size() || row.time < previous) __builtin_trap();
        previous = row.time;
        (void)liveValuesOf(recording, row);
    }
    return 0;
}
