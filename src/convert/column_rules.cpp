#include "convert/column_rules.h"

namespace dravio::convert {

const std::array<ColumnRule, kColumnRuleCount>& columnRules() {
    // The order matters: "TPSmV" and "SteepTPS" must be tried before "TPS",
    // "Tick" before "Time". Ranges are starting values the user can edit.
    static constexpr std::array<ColumnRule, kColumnRuleCount> rules{{
        {"ick", "Tick", "ms", 0, 65535},
        {"ime", "Time", "ms", 0, 3600000},
        {"RPM", "RPM", "rpm", 0, 15000},
        {"air", "TempAir", "deg", -40, 150},
        {"engi", "TempEngine", "deg", -40, 150},
        {"ssure", "Pressure", "mBar", 0, 1100},
        {"O21", "LambdaO21", "Volt", 0, 5},
        {"O22", "LambdaO22", "Volt", 0, 5},
        {"AFRLC1", "AFR1", "lb", 7, 23},
        {"AFRLC2", "AFR2", "lb", 7, 23},
        {"ction", "Injection", "ms", 0, 25},
        {"olt", "Voltage", "V", 0, 20},
        {"vance", "Advance", "deg", -20, 60},
        {"TPSmV", "TPSmV", "deg", 0, 5000},
        {"Steep", "SteepTPS", "deg", 0, 1023},
        {"TPS", "TPS", "deg", 0, 100},
        {"peedECU", "SpeedECU", "km/h", 0, 300},
        {"earGPS", "SpeedGPS", "km/h", 0, 300},
    }};
    return rules;
}

namespace {

char lowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool containsIgnoreCase(std::string_view text, std::string_view part) {
    if (part.size() > text.size()) return false;
    for (std::size_t i = 0; i + part.size() <= text.size(); ++i) {
        std::size_t k = 0;
        while (k < part.size() && lowerAscii(text[i + k]) == lowerAscii(part[k])) ++k;
        if (k == part.size()) return true;
    }
    return false;
}

}  // namespace

const ColumnRule* RechercheDIF(std::string_view title) {
    // Text comparison: "AirTemp" holds "air", "EngineTemp" holds "engi".
    for (const ColumnRule& rule : columnRules()) {
        if (containsIgnoreCase(title, rule.contains)) return &rule;
    }
    return nullptr;
}

char lineSeparator(std::string_view line) { return line.find(',') != std::string_view::npos ? ',' : ';'; }

std::vector<std::string_view> splitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    if (line.empty()) return fields;
    const char separator = lineSeparator(line);
    std::size_t start = 0;
    while (true) {
        const std::size_t end = line.find(separator, start);
        fields.push_back(line.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    return fields;
}

std::string cleanField(std::string_view field) {
    std::string out;
    out.reserve(field.size());
    for (char c : field) {
        if (c != '"') out.push_back(c);
    }
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    std::size_t begin = 0;
    while (begin < out.size() && blank(out[begin])) ++begin;
    std::size_t end = out.size();
    while (end > begin && blank(out[end - 1])) --end;
    return out.substr(begin, end - begin);
}

std::vector<SourceColumn> readTitles(std::string_view titleLine) {
    std::vector<SourceColumn> columns;
    for (std::string_view field : splitFields(titleLine)) {
        if (columns.size() == kMaxColumns) break;
        SourceColumn column;
        column.title = cleanField(field);
        column.rule = RechercheDIF(column.title);
        columns.push_back(std::move(column));
    }
    return columns;
}

std::string_view firstLine(std::string_view text) {
    std::string_view line = text.substr(0, text.find('\n'));
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
}

}  // namespace dravio::convert
