#include "convert/recording.h"

#include <charconv>
#include <cmath>
#include <fstream>
#include <sstream>
#include <system_error>

#include "convert/column_rules.h"
#include "support/text_utils.h"

namespace dravio::convert {

namespace {

constexpr double kRowSpacingWithoutTime = 0.1;

std::optional<double> readNumber(std::string text, bool decimalComma) {
    if (decimalComma) {
        for (char& c : text) {
            if (c == ',') c = '.';
        }
    }
    const char* begin = text.data();
    const char* end = text.data() + text.size();
    if (begin != end && *begin == '+') ++begin;
    double value = 0;
    const auto [stop, ec] = std::from_chars(begin, end, value);
    if (ec != std::errc() || stop != end || begin == end || !std::isfinite(value)) return std::nullopt;
    return value;
}

std::vector<std::string_view> split(std::string_view line, char separator) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = line.find(separator, start);
        fields.push_back(line.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
        if (end == std::string_view::npos) return fields;
        start = end + 1;
    }
}

}  // namespace

std::optional<std::size_t> Recording::column(std::string_view title) const {
    for (std::size_t i = 0; i < titles.size(); ++i) {
        if (support::equalsIgnoreCase(titles[i], title)) return i;
    }
    return std::nullopt;
}

std::optional<double> Recording::value(const ReplayRow& row, std::string_view title) const {
    const auto index = column(title);
    if (!index || *index >= row.values.size()) return std::nullopt;
    return row.values[*index];
}

LiveValues liveValuesOf(const Recording& recording, const ReplayRow& row) {
    LiveValues v;
    v.Regime = recording.value(row, "RPM");
    v.Papillon = recording.value(row, "TPS");
    v.Injection = recording.value(row, "Injection");
    v.AvanceVal = recording.value(row, "Advance");
    v.PressionVal = recording.value(row, "Pressure");
    v.TempAir = recording.value(row, "AirTemp");
    v.TempEau = recording.value(row, "EngineTemp");
    v.TensionVal = recording.value(row, "Voltage");
    v.LambdaVal = recording.value(row, "Lambda");
    return v;
}

Recording parseRecording(std::string_view text) {
    Recording recording;
    const auto problem = [&](std::size_t line, const std::string& why) {
        ++recording.skippedLines;
        if (recording.problems.size() < kMaxProblems) {
            recording.problems.push_back("line " + std::to_string(line) + ": " + why + "; line skipped");
        }
    };
    std::size_t lineNumber = 0;
    char separator = ';';
    bool decimalComma = false;
    double previousTime = 0;
    while (!text.empty()) {
        const std::size_t nl = text.find('\n');
        std::string_view line = text.substr(0, nl);
        text.remove_prefix(nl == std::string_view::npos ? text.size() : nl + 1);
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (support::trimBlanks(line).empty()) continue;
        if (recording.titles.empty()) {
            separator = line.find(';') != std::string_view::npos ? ';' : ',';
            decimalComma = separator == ';';
            for (std::string_view field : split(line, separator)) {
                if (recording.titles.size() == kMaxColumns) break;
                recording.titles.push_back(cleanField(field));
                const ColumnRule* rule = RechercheDIF(recording.titles.back());
                if (!recording.timeColumn && rule && rule->name == "Time") {
                    recording.timeColumn = recording.titles.size() - 1;
                }
            }
            continue;
        }
        const auto fields = split(line, separator);
        if (fields.size() < recording.titles.size()) {
            problem(lineNumber, std::to_string(fields.size()) + " fields for " +
                                    std::to_string(recording.titles.size()) + " columns");
            continue;
        }
        ReplayRow row;
        row.line = lineNumber;
        row.values.reserve(recording.titles.size());
        bool good = true;
        for (std::size_t i = 0; i < recording.titles.size(); ++i) {
            const std::string field = cleanField(fields[i]);
            const auto value = readNumber(field, decimalComma);
            if (!value) {
                problem(lineNumber,
                        "\"" + field.substr(0, 40) + "\" in column " + recording.titles[i] + " is not a number");
                good = false;
                break;
            }
            row.values.push_back(*value);
        }
        if (!good) continue;
        row.time = recording.timeColumn ? row.values[*recording.timeColumn]
                                        : static_cast<double>(recording.rows.size()) * kRowSpacingWithoutTime;
        // A time that goes back is played at once rather than reordered.
        if (!recording.rows.empty() && row.time < previousTime) row.time = previousTime;
        previousTime = row.time;
        recording.rows.push_back(std::move(row));
    }
    return recording;
}

std::optional<Recording> loadRecording(const std::filesystem::path& file, std::string& error) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(file, ec);
    if (ec) {
        error = "cannot read " + file.string();
        return std::nullopt;
    }
    if (size > kMaxRecordingBytes) {
        error = file.string() + " is too large to replay";
        return std::nullopt;
    }
    std::ifstream in(file, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    if (!in) {
        error = "cannot read " + file.string();
        return std::nullopt;
    }
    Recording recording = parseRecording(bytes.str());
    if (recording.titles.empty()) {
        error = file.string() + " has no title line";
        return std::nullopt;
    }
    return recording;
}

}  // namespace dravio::convert
