#include "convert/dif_writer.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <system_error>

#include "support/text_utils.h"

namespace dravio::convert {

namespace {

constexpr std::string_view kEol = "\r\n";
// The fixed channel rows before the row of names.
constexpr std::size_t kChannelRows = 12;
constexpr std::uint64_t kProgressStep = 256 * 1024;

std::optional<double> parseNumber(std::string_view text) {
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    double value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

// Code points 0x80-0x9F of Windows-1252, in byte order; 0 where the byte is unused.
constexpr char32_t kCp1252High[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char cp1252Byte(char32_t code) {
    if (code < 0x80 || (code >= 0xA0 && code <= 0xFF)) return static_cast<char>(code);
    for (int i = 0; i < 32; ++i) {
        if (kCp1252High[i] == code) return static_cast<char>(0x80 + i);
    }
    return '?';
}

class DifOut {
public:
    explicit DifOut(std::string& out) : out_(out) {}
    void line(std::string_view text) {
        out_ += text;
        out_ += kEol;
    }
    void quoted(std::string_view text) {
        out_ += '"';
        for (char c : toWindows1252(text)) {
            // A quote would end the text early; line breaks would break the line structure.
            if (c != '"' && c != '\r' && c != '\n') out_ += c;
        }
        out_ += '"';
        out_ += kEol;
    }
    void beginRow() {
        line("-1,0");
        line("BOT");
    }
    void number(std::string_view value) {
        out_ += "0,";
        out_ += value;
        out_ += kEol;
        line("V");
    }
    void text(std::string_view value) {
        line("1,0");
        quoted(value);
    }
    void labelRow(std::string_view label) {
        beginRow();
        text(label);
    }

private:
    std::string& out_;
};

bool isVoltChannel(const Channel& channel, const ConvertOptions& options) {
    return options.lambda && channel.unit == "Volt";
}

// The description written for a channel: volt channels converted to AFR show
// the converted unit and the span of the controller's 0-5 V output.
Channel writtenChannel(Channel channel, const ConvertOptions& options) {
    if (isVoltChannel(channel, options)) {
        channel.unit = "AFR";
        channel.rangemin = options.lambda->B;
        channel.rangemax = options.lambda->A * 5 + options.lambda->B;
    }
    return channel;
}

std::string rangeMinText(double value) {
    std::string text = difNumber(value);
    // Whole numbers are written with ".0" as LogWorks itself does.
    if (text.find_first_of(".eE") == std::string::npos) text += ".0";
    return text;
}

void writeHeader(std::string& out, const std::vector<Channel>& written, std::size_t tuples,
                 const ConvertOptions& options) {
    DifOut dif(out);
    const std::size_t columns = written.size() + 1;
    dif.line("TABLE");
    dif.line("0,1");
    dif.quoted("EXCEL");
    dif.line("VECTORS");
    dif.line("0," + std::to_string(columns));
    dif.quoted("LMTR");
    dif.line("TUPLES");
    dif.line("0," + std::to_string(tuples));
    dif.quoted("1" + std::string(6, '2') + std::string(90, '0'));
    // The format's keyword: spreadsheets refuse any other spelling ("Data").
    dif.line("DATA");
    dif.line("0,0");
    dif.quoted("");

    const auto emptyRow = [&](std::string_view label) {
        dif.labelRow(label);
        for (std::size_t i = 0; i < written.size(); ++i) dif.text("");
    };
    emptyRow("Input Description");
    dif.labelRow("Stochiometric:");
    for (std::size_t i = 0; i < written.size(); ++i) {
        if (i == 0) {
            dif.number("14.70000");
        } else {
            dif.text("");
        }
    }
    dif.labelRow("From device:");
    for (std::size_t i = 0; i < written.size(); ++i) dif.text(" (" + options.deviceTag + ")");
    dif.labelRow("Name:");
    for (const Channel& c : written) dif.text(c.title);
    dif.labelRow("Unit:");
    for (const Channel& c : written) dif.text(c.unit);
    dif.labelRow("Range:");
    for (const Channel& c : written) dif.number(rangeMinText(c.rangemin));
    dif.labelRow("equiv(Sample):");
    for (std::size_t i = 0; i < written.size(); ++i) dif.number("0");
    dif.labelRow("to:");
    for (const Channel& c : written) dif.number(difNumber(c.rangemax));
    dif.labelRow("equiv(Sample):");
    for (std::size_t i = 0; i < written.size(); ++i) dif.number("4096");
    emptyRow("-End-");
    emptyRow("Session 1");
    dif.labelRow("");
    for (const Channel& c : written) dif.text(c.name);
    // The data rows start with BOT and end with this row separator.
    dif.line("-1,0");
}

// One data row for a source line, appended to `out`; false when the line has two
// fields or fewer.
bool writeDataRow(std::string& out, std::string_view line, const std::vector<Channel>& channels,
                  const ConvertOptions& options) {
    const auto fields = splitFields(line);
    if (fields.size() <= 2) return false;
    DifOut dif(out);
    dif.line("BOT");
    dif.number("1");
    // A row never gets more columns than the titles gave.
    const std::size_t count = std::min(fields.size(), channels.size());
    for (std::size_t i = 1; i < count; ++i) {
        std::string value = cleanField(fields[i]);
        const auto parsed = parseNumber(value);
        // A numeric cell holds a number: anything else would make the file unreadable.
        if (!parsed) {
            value = "0";
        } else if (isVoltChannel(channels[i], options)) {
            char buffer[64];
            std::snprintf(buffer, sizeof buffer, "%.3f", options.lambda->A * *parsed + options.lambda->B);
            value = buffer;
        }
        dif.number(value);
    }
    dif.line("-1,0");
    return true;
}

void stripLineEnd(std::string& line) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
}

}  // namespace

LambdaCoefficients coefficientsFromText(std::string_view a, std::string_view b) {
    LambdaCoefficients c;
    const auto read = [](std::string_view text, double fallback) {
        std::string t(support::trimBlanks(text));
        for (char& ch : t) {
            if (ch == ',') ch = '.';
        }
        return parseNumber(t).value_or(fallback);
    };
    c.A = read(a, c.A);
    c.B = read(b, c.B);
    return c;
}

std::string formatCoefficient(double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.3f", value);
    return buffer;
}

std::string difNumber(double value) {
    if (!std::isfinite(value)) return "0";
    char buffer[64];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    if (ec != std::errc()) return "0";
    return std::string(buffer, end);
}

std::string toWindows1252(std::string_view text) {
    bool ascii = true;
    for (unsigned char c : text) ascii = ascii && c < 0x80;
    if (ascii || !support::isValidUtf8(text)) return std::string(text);
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        const std::size_t length = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        char32_t code = length == 1 ? c : length == 2 ? c & 0x1F : length == 3 ? c & 0x0F : c & 0x07;
        for (std::size_t k = 1; k < length; ++k) code = (code << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        out += cp1252Byte(code);
        i += length;
    }
    return out;
}

std::vector<Channel> describeColumns(const std::vector<SourceColumn>& columns, ChannelDatabase* database) {
    std::vector<Channel> channels;
    channels.reserve(columns.size());
    for (const SourceColumn& column : columns) {
        Channel c;
        if (column.rule) {
            std::optional<Channel> row;
            if (database) row = database->channel(column.rule->name);
            if (row) {
                c = *row;
            } else {
                c.name = c.title = std::string(column.rule->name);
                c.unit = std::string(column.rule->unit);
                c.rangemin = column.rule->rangemin;
                c.rangemax = column.rule->rangemax;
            }
        } else {
            c.name = c.title = column.title;
            c.rangemax = 100;
        }
        channels.push_back(std::move(c));
    }
    return channels;
}

bool markColumnsPresent(ChannelDatabase& database, const std::vector<SourceColumn>& columns) {
    bool ok = database.ClearDIF();
    for (const SourceColumn& column : columns) {
        if (column.rule) ok = database.markPresent(column.rule->name) && ok;
    }
    return ok;
}

std::vector<SourceColumn> readTitlesOfFile(const std::filesystem::path& source, std::string& error) {
    std::ifstream in(source, std::ios::binary);
    std::string line;
    if (!in || !std::getline(in, line)) {
        error = "cannot read " + source.string();
        return {};
    }
    stripLineEnd(line);
    auto columns = readTitles(line);
    if (columns.empty()) error = source.string() + ": no column titles on the first line";
    return columns;
}

ConvertResult cdConvert(const std::filesystem::path& source, const std::filesystem::path& target,
                        const std::vector<Channel>& channels, const ConvertOptions& options) {
    ConvertResult result;
    if (channels.empty()) {
        result.error = "no columns to convert";
        return result;
    }
    std::error_code ec;
    const std::uint64_t total = std::filesystem::file_size(source, ec);
    std::ifstream in(source, std::ios::binary);
    if (!in || ec) {
        result.error = "cannot read " + source.string();
        return result;
    }
    // TUPLES needs the row count before any row: a first pass counts the lines
    // that will give a row.
    std::string line;
    std::getline(in, line);  // titles
    while (std::getline(in, line)) {
        stripLineEnd(line);
        if (splitFields(line).size() > 2) ++result.dataRows;
    }
    in.clear();
    in.seekg(0);
    std::getline(in, line);

    std::vector<Channel> written;
    for (std::size_t i = 1; i < channels.size(); ++i) written.push_back(writtenChannel(channels[i], options));
    result.columns = written.size() + 1;
    result.tuples = kChannelRows + result.dataRows;

    const std::filesystem::path temporary = target.string() + ".part";
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) {
        result.error = "cannot write " + temporary.string();
        return result;
    }
    std::string buffer;
    writeHeader(buffer, written, result.tuples, options);
    std::uint64_t done = static_cast<std::uint64_t>(line.size()) + 1;
    std::uint64_t reported = 0;
    std::size_t rows = 0;
    while (std::getline(in, line)) {
        done += line.size() + 1;
        stripLineEnd(line);
        if (writeDataRow(buffer, line, channels, options)) ++rows;
        if (buffer.size() > (1u << 20)) {
            out.write(buffer.data(), static_cast<std::streamsize>(buffer.size()));
            buffer.clear();
        }
        if (options.progress && done - reported >= kProgressStep) {
            reported = done;
            if (!options.progress(std::min(done, total), total)) {
                out.close();
                std::filesystem::remove(temporary, ec);
                result.cancelled = true;
                result.error = "conversion cancelled";
                return result;
            }
        }
    }
    // The file changed between the passes: the count in TUPLES would be wrong.
    if (rows != result.dataRows) {
        out.close();
        std::filesystem::remove(temporary, ec);
        result.error = source.string() + " changed during the conversion";
        return result;
    }
    buffer += "EOD";
    buffer += kEol;
    out.write(buffer.data(), static_cast<std::streamsize>(buffer.size()));
    out.close();
    if (!out) {
        std::filesystem::remove(temporary, ec);
        result.error = "cannot write " + temporary.string();
        return result;
    }
    std::filesystem::rename(temporary, target, ec);
    if (ec) {
        std::filesystem::remove(temporary, ec);
        result.error = "cannot write " + target.string();
        return result;
    }
    if (options.progress) options.progress(total, total);
    result.ok = true;
    return result;
}

ConvertResult convertFile(const std::filesystem::path& source, const std::filesystem::path& target,
                          ChannelDatabase* database, const ConvertOptions& options) {
    std::string error;
    const auto columns = readTitlesOfFile(source, error);
    if (columns.empty()) {
        ConvertResult result;
        result.error = error;
        return result;
    }
    return cdConvert(source, target, describeColumns(columns, database), options);
}

}  // namespace dravio::convert
