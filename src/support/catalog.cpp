#include "support/catalog.h"

#include <charconv>

#include "support/atomic_file.h"
#include "support/text_utils.h"

namespace dravio::support {

namespace {

std::string unescape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && (text[i + 1] == 'n' || text[i + 1] == '\\')) {
            out += text[i + 1] == 'n' ? '\n' : '\\';
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::optional<int> parseId(std::string_view text) {
    text = trimBlanks(text);
    if (text.empty()) return std::nullopt;
    int id = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), id);
    if (ec != std::errc{} || end != text.data() + text.size() || id < 0) return std::nullopt;
    return id;
}

}  // namespace

Catalog Catalog::parse(std::string_view text) {
    Catalog catalog;
    constexpr std::string_view kBom = "\xEF\xBB\xBF";
    if (text.substr(0, kBom.size()) == kBom) text.remove_prefix(kBom.size());
    std::size_t number = 0;
    while (!text.empty()) {
        ++number;
        auto nl = text.find('\n');
        std::string_view line = text.substr(0, nl);
        text = nl == std::string_view::npos ? std::string_view{} : text.substr(nl + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (trimBlanks(line).empty() || line.front() == '#') continue;
        auto eq = line.find('=');
        std::optional<int> id = eq == std::string_view::npos ? std::nullopt : parseId(line.substr(0, eq));
        std::string_view body = eq == std::string_view::npos ? std::string_view{} : line.substr(eq + 1);
        if (!id || !isValidUtf8(body) || body.find('\0') != std::string_view::npos) {
            catalog.malformedLines_.push_back(number);
            continue;
        }
        catalog.texts_[*id] = unescape(body);
    }
    return catalog;
}

std::optional<Catalog> Catalog::load(const std::filesystem::path& file) {
    std::string bytes;
    bool missing = false;
    if (!readWholeFile(file, bytes, missing)) return std::nullopt;
    return parse(bytes);
}

std::string Catalog::GetResourceString(int id, std::string_view defaultText) const {
    auto it = texts_.find(id);
    if (it == texts_.end() || it->second.empty() || it->second == " ") return std::string(defaultText);
    return it->second;
}

std::vector<std::string> translateCaptions(const Catalog& catalog, const std::vector<CaptionEntry>& entries) {
    std::vector<std::string> captions;
    captions.reserve(entries.size());
    for (const CaptionEntry& entry : entries) captions.push_back(catalog.GetResourceString(entry.id, entry.caption));
    return captions;
}

}  // namespace dravio::support
