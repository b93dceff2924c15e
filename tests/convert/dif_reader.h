// Test support: a small DIF reader, enough to read back what the converter writes.
#pragma once

#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace dravio::testing {

struct DifCell {
    bool isText = false;
    double number = 0;
    std::string text;
};

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
    const auto quoted = [](const std::string& s) { return s.size() >= 2 && s.front() == '"' && s.back() == '"'; };
    // Header entries (topic, "0,value", quoted string) up to the data.
    for (bool data = false; !data && i + 2 < lines.size(); i += 3) {
        const auto comma = lines[i + 1].find(',');
        if (comma == std::string::npos || !quoted(lines[i + 2])) return std::nullopt;
        if (lines[i] == "VECTORS") table.vectors = std::stoi(lines[i + 1].substr(comma + 1));
        if (lines[i] == "TUPLES") table.tuples = std::stoi(lines[i + 1].substr(comma + 1));
        data = lines[i] == "DATA";
    }
    while (i + 1 < lines.size()) {
        const std::string indicator = lines[i];
        const std::string value = lines[i + 1];
        i += 2;
        const auto comma = indicator.find(',');
        if (comma == std::string::npos) return std::nullopt;
        const int type = std::stoi(indicator.substr(0, comma));
        if (type == -1 && value == "EOD") {
            table.ended = true;
            return table;
        }
        if (type == -1 && value == "BOT") {
            table.rows.emplace_back();
        } else if (type == 0 && value == "V" && !table.rows.empty()) {
            table.rows.back().push_back({false, std::stod(indicator.substr(comma + 1)), {}});
        } else if (type == 1 && quoted(value) && !table.rows.empty()) {
            table.rows.back().push_back({true, 0, value.substr(1, value.size() - 2)});
        } else {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

}  // namespace dravio::testing
