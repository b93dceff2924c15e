#include "support/resource_ids.h"

#include <charconv>
#include <system_error>

#include "support/atomic_file.h"

namespace dravio::support {

std::set<int> resourceIdsInText(std::string_view text) {
    constexpr std::string_view kCall = "GetResourceString";
    std::set<int> ids;
    auto skipSpaces = [&](std::size_t i) {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' || text[i] == '\r')) ++i;
        return i;
    };
    for (std::size_t at = text.find(kCall); at != std::string_view::npos; at = text.find(kCall, at + 1)) {
        std::size_t i = skipSpaces(at + kCall.size());
        if (i >= text.size() || text[i] != '(') continue;
        i = skipSpaces(i + 1);
        std::size_t start = i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
        if (i == start) continue;
        int id = 0;
        auto [end, ec] = std::from_chars(text.data() + start, text.data() + i, id);
        if (ec == std::errc{} && end == text.data() + i) ids.insert(id);
    }
    // Ids given names in a `namespace text_id { ... }` block: "Name = 137;".
    constexpr std::string_view kNamed = "namespace text_id";
    for (std::size_t at = text.find(kNamed); at != std::string_view::npos; at = text.find(kNamed, at + 1)) {
        const std::size_t open = text.find('{', at);
        const std::size_t close = open == std::string_view::npos ? open : text.find('}', open);
        if (close == std::string_view::npos) break;
        const auto block = text.substr(open, close - open);
        for (std::size_t eq = block.find('='); eq != std::string_view::npos; eq = block.find('=', eq + 1)) {
            std::size_t i = skipSpaces(open + eq + 1);
            const std::size_t start = i;
            while (i < close && text[i] >= '0' && text[i] <= '9') ++i;
            int id = 0;
            if (i > start && std::from_chars(text.data() + start, text.data() + i, id).ec == std::errc{}) ids.insert(id);
        }
    }
    return ids;
}

std::set<int> resourceIdsInTree(const std::filesystem::path& sourceRoot) {
    std::set<int> ids;
    std::error_code ec;
    std::filesystem::recursive_directory_iterator it(sourceRoot, ec);
    if (ec) return ids;
    for (; it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        if (ec) break;
        const auto ext = it->path().extension();
        if (ext != ".cpp" && ext != ".h" && ext != ".hpp") continue;
        std::string text;
        bool missing = false;
        if (!readWholeFile(it->path(), text, missing)) continue;
        ids.merge(resourceIdsInText(text));
    }
    return ids;
}

}  // namespace dravio::support
