// convert: cdConvert, a recording written as a LogWorks DIF file.
//
// The file is Windows-1252 text with CR LF line ends (see DESIGN.md): a header
// (TABLE, VECTORS, TUPLES, DATA), eleven LogWorks channel rows and a row of
// channel names, then one row per source line with more than two fields, and
// "EOD". Column 1 holds the row labels in the channel rows and the value 1 in
// every data row; columns 2 and on are the source columns after the first.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "convert/channel_db.h"
#include "convert/column_rules.h"

namespace dravio::convert {

// Coef A and B: Lambda = A x V + B.
struct LambdaCoefficients {
    double A = 3.008;
    double B = 7.35;
};

// The coefficients as stored under Coef (A, B); a text that is not a number
// gives the default.
LambdaCoefficients coefficientsFromText(std::string_view a, std::string_view b);
// The pattern "0.000" the window shows and "Save Coef" stores.
std::string formatCoefficient(double value);

// Progress of a long conversion: bytes of the source done and in all. Returning
// false cancels the conversion (the target is then left as it was).
using ConvertProgress = std::function<bool(std::uint64_t done, std::uint64_t total)>;

struct ConvertOptions {
    // When set, channels whose unit is "Volt" are written as A x V + B (AFR).
    std::optional<LambdaCoefficients> lambda = LambdaCoefficients{};
    ConvertProgress progress;
    // The fixed tag of the "From device:" row.
    std::string deviceTag = "Dravio";
};

struct ConvertResult {
    bool ok = false;
    bool cancelled = false;
    std::string error;
    std::size_t columns = 0;   // VECTORS
    std::size_t dataRows = 0;  // source lines written as rows
    std::size_t tuples = 0;    // TUPLES: the 12 channel rows and the data rows
};

// The channel description of each source column (the first included): the
// database row of the rule's channel when the database has one, else the
// rule's defaults; a column no rule matches is described by its own title.
std::vector<Channel> describeColumns(const std::vector<SourceColumn>& columns, ChannelDatabase* database);

// cdreadCSV's marks: ClearDIF, then present = 1 for every matched channel.
bool markColumnsPresent(ChannelDatabase& database, const std::vector<SourceColumn>& columns);

// The titles of a source file (first line). Empty with `error` set when the file
// cannot be read or has no title line.
std::vector<SourceColumn> readTitlesOfFile(const std::filesystem::path& source, std::string& error);

// cdConvert: writes `target` from `source` with one channel description per
// source column (`channels[0]`, the first column's, is not written). The target
// is written to a temporary file and renamed into place when complete.
ConvertResult cdConvert(const std::filesystem::path& source, const std::filesystem::path& target,
                        const std::vector<Channel>& channels, const ConvertOptions& options);

// Titles, descriptions from `database` (may be null) and cdConvert in one call.
ConvertResult convertFile(const std::filesystem::path& source, const std::filesystem::path& target,
                          ChannelDatabase* database, const ConvertOptions& options);

// UTF-8 text as Windows-1252 (characters it lacks become '?'); text that is not
// valid UTF-8 is taken to be Windows-1252 already and kept.
std::string toWindows1252(std::string_view text);

// A number as DIF value text: shortest round-trip form, no exponent for whole
// numbers ("7.35", "-40", "4096").
std::string difNumber(double value);

}  // namespace dravio::convert
