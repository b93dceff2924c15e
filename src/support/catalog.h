// support: language catalogs, the texts of one language by numeric resource id.
//
// File format (UTF-8, an optional byte-order mark): one entry per line "<id>=<text>",
// the id a decimal integer (blanks around it allowed), the text everything after
// the first '='; in the text "\n" is a line break and "\\" a backslash (any other
// backslash stays as it is). Lines starting with '#' and blank lines are ignored,
// "\r\n" line ends are accepted. A malformed line (no '=', an id that is not a
// number from 0 to INT_MAX, text that is not valid UTF-8) is skipped and its line
// number remembered. When an id appears twice the last line wins.
#pragma once

#include <cstddef>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dravio::support {

class Catalog {
public:
    // An empty catalog: every lookup gives the French default.
    Catalog() = default;

    static Catalog parse(std::string_view text);
    // nullopt when the file cannot be opened or read.
    static std::optional<Catalog> load(const std::filesystem::path& file);

    // The catalog's text for `id`; `defaultText` (the built-in French) when the id
    // is missing or its text is empty or exactly one blank.
    std::string GetResourceString(int id, std::string_view defaultText) const;

    bool contains(int id) const { return texts_.count(id) != 0; }
    // Adds the entries of `other` whose ids this catalog lacks.
    void merge(const Catalog& other) { texts_.insert(other.texts_.begin(), other.texts_.end()); }
    std::size_t size() const { return texts_.size(); }
    // 1-based numbers of the lines skipped as malformed.
    const std::vector<std::size_t>& malformedLines() const { return malformedLines_; }

private:
    std::map<int, std::string> texts_;
    std::vector<std::size_t> malformedLines_;
};

// A control's resource id and its current (French) caption.
struct CaptionEntry {
    int id = 0;
    std::string caption;
};

// The captions to show: GetResourceString(id, caption) for each entry, in order.
// The window code walks its controls, calls this, and sets the results.
std::vector<std::string> translateCaptions(const Catalog& catalog, const std::vector<CaptionEntry>& entries);

}  // namespace dravio::support
