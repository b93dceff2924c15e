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
