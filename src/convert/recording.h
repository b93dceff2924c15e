// convert: a recording read back for replay: the rows of values with their times.
//
// Reads Dravio's recordings (";" separated, titles on the first line, the
// "Time" column in seconds) and similar logs (","-separated, quoted lines as in
// a recording still being written). The separator is taken from the title
// line; with ";" a decimal comma is accepted. A line that cannot be read is
// skipped with a message; reading never fails on content.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dravio::convert {

struct ReplayRow {
    double time = 0;             // seconds since the start of the recording
    std::vector<double> values;  // one per title, in column order
    std::size_t line = 0;        // 1-based line in the file
};

struct Recording {
    std::vector<std::string> titles;
    std::vector<ReplayRow> rows;
    // Why lines were skipped, at most kMaxProblems; skippedLines counts them all.
    std::vector<std::string> problems;
    std::size_t skippedLines = 0;
    // The column giving the time; without one the rows are 0.1 s apart.
    std::optional<std::size_t> timeColumn;

    // The column whose title is `title` (without regard to case).
    std::optional<std::size_t> column(std::string_view title) const;
    // The value of `title` in `row`, if the recording has that column.
    std::optional<double> value(const ReplayRow& row, std::string_view title) const;
};

// The values the main window shows, taken from a row by the recording's column
// titles (Dravio's own: RPM, TPS, Injection, Advance, Pressure, AirTemp,
// EngineTemp, Voltage, Lambda); empty where the recording has no such column.
struct LiveValues {
    std::optional<double> Regime, Papillon, Injection, AvanceVal, PressionVal, TempAir, TempEau, TensionVal, LambdaVal;
};
LiveValues liveValuesOf(const Recording& recording, const ReplayRow& row);

inline constexpr std::size_t kMaxProblems = 20;
// Largest file loadRecording reads.
inline constexpr std::uintmax_t kMaxRecordingBytes = 256u * 1024 * 1024;

Recording parseRecording(std::string_view text);

// nullopt with `error` set when the file cannot be read, is too large, or has no
// title line.
std::optional<Recording> loadRecording(const std::filesystem::path& file, std::string& error);

}  // namespace dravio::convert
