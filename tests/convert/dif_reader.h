// Test support: a small DIF reader, enough to read back what the converter writes.
#pragma once

#include <optional>
#include <sstream>
#include <string>
#include <variant>
#include <vector>

namespace dravio::testing {

using DifCell = std::variant<double, std::string>;

struct DifTable {
    int vectors = -1;
    int tuples = -1;
    std::vector<std::vector<DifCell>> rows;
    bool ended = false;  // EOD seen
};

// nullopt when the text is not DIF as the format defines it.
inline std::optional<DifTable> readDif(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    DifTable table;
    std::size_t i = 0;
    const auto unquote = [](const std::string& s) -> std::optional<std::string> {
        if (s.size() < 2 || s.front() != '"' || s.back() != '"') return std::nullopt;
        return s.substr(1, s.size() - 2);
    };
    // Header entries: topic, "vector,value", quoted string.
    while (i + 2 < lines.size()) {
        const std::string topic = lines[i];
        const std::string numbers = lines[i + 1];
        if (!unquote(lines[i + 2])) return std::nullopt;
        i += 3;
        const auto comma = numbers.find(',');
        if (comma == std::string::npos) return std::nullopt;
        const int value = std::stoi(numbers.substr(comma + 1));
        if (topic == "VECTORS") table.vectors = value;
        if (topic == "TUPLES") table.tuples = value;
        if (topic == "DATA" || topic == "Data") break;
    }
    while (i + 1 < lines.size()) {
        const std::string indicator = lines[i];
        const std::string value = lines[i + 1];
        i += 2;
        const auto comma = indicator.find(',');
        if (comma == std::string::npos) return std::nullopt;
        const int type = std::stoi(indicator.substr(0, comma));
        if (type == -1) {
            if (value == "BOT") {
                table.rows.emplace_back();
            } else if (value == "EOD") {
                table.ended = true;
                return table;
            } else {
                return std::nullopt;
            }
        } else if (type == 0) {
            if (value != "V" || table.rows.empty()) return std::nullopt;
            table.rows.back().push_back(std::stod(indicator.substr(comma + 1)));
        } else if (type == 1) {
            auto text = unquote(value);
            if (!text || table.rows.empty()) return std::nullopt;
            table.rows.back().push_back(*text);
        } else {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

}  // namespace dravio::testing
