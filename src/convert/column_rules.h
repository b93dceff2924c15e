// convert: recordings turned into LogWorks DIF files, the channel database that
// describes their columns, and the reading of recordings for replay.
// This header: the column-title rules and the splitting of a source line.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dravio::convert {

// One column rule: a title containing `contains` is the channel `name`, whose
// default unit is `unit`. The range is the default a new database row gets.
struct ColumnRule {
    std::string_view contains;
    std::string_view name;
    std::string_view unit;
    double rangemin;
    double rangemax;
};

inline constexpr std::size_t kColumnRuleCount = 18;
const std::array<ColumnRule, kColumnRuleCount>& columnRules();

// RechercheDIF: the first rule whose text the title contains, compared without
// regard to case (ASCII); nullptr when none does.
const ColumnRule* RechercheDIF(std::string_view title);

// Most columns a source file is read with (the first, time, column included).
inline constexpr std::size_t kMaxColumns = 101;

// The separator of one line: ',' when the line holds a comma, otherwise ';'.
char lineSeparator(std::string_view line);

// The fields of one line (without its line end), split on lineSeparator(line).
// An empty line has no field.
std::vector<std::string_view> splitFields(std::string_view line);

// RemplacerCar: a field without double quotes and without blanks around it.
std::string cleanField(std::string_view field);

// One column of a source file, as read from its title line.
struct SourceColumn {
    std::string title;                 // the title, cleaned
    const ColumnRule* rule = nullptr;  // the matching rule, if any
};

// ReadTitles on the first line of a file: at most kMaxColumns columns.
std::vector<SourceColumn> readTitles(std::string_view titleLine);

// The first line of `text` without its line end ("\n", "\r\n" or none).
std::string_view firstLine(std::string_view text);

}  // namespace dravio::convert
