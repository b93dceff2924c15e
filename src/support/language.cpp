#include "support/language.h"

#include <algorithm>
#include <system_error>

#include "support/text_utils.h"

namespace dravio::support {

std::string_view normalizeLanguage(std::string_view setting) {
    for (std::string_view name : kLanguageNames) {
        if (setting == name) return name;
    }
    return kFrench;
}

namespace {

std::optional<std::filesystem::path> findLangFile(const std::filesystem::path& dataDir, const std::string& wanted) {
    const std::filesystem::path folder = dataDir / "lang";
    std::error_code ec;
    std::filesystem::directory_iterator it(folder, ec);
    if (ec) return std::nullopt;
    // Sorted so that two names differing only in case resolve the same way every time.
    std::vector<std::filesystem::path> matches;
    for (; it != std::filesystem::directory_iterator(); it.increment(ec)) {
        if (ec) break;
        const auto& entry = *it;
        if (equalsIgnoreCase(entry.path().filename().string(), wanted) && entry.is_regular_file(ec)) {
            matches.push_back(entry.path());
        }
    }
    if (matches.empty()) return std::nullopt;
    std::sort(matches.begin(), matches.end());
    return matches.front();
}

}  // namespace

std::optional<std::filesystem::path> findCatalogFile(const std::filesystem::path& dataDir, std::string_view language) {
    return findLangFile(dataDir, "lng" + std::string(language) + ".lang");
}

std::optional<std::filesystem::path> findDtcCatalogFile(const std::filesystem::path& dataDir,
                                                        std::string_view language) {
    return findLangFile(dataDir, "lng" + std::string(language) + ".dtc.lang");
}

LanguageSelection selectLanguage(std::string_view setting, const std::filesystem::path& dataDir) {
    LanguageSelection selection;
    selection.language = std::string(normalizeLanguage(setting));
    selection.settingReplaced = selection.language != setting;
    selection.file = findCatalogFile(dataDir, selection.language);
    if (selection.file) {
        if (auto catalog = Catalog::load(*selection.file)) {
            selection.catalog = std::move(*catalog);
        } else {
            selection.problem = "cannot read " + selection.file->string();
            selection.file.reset();
        }
    } else if (selection.language != kFrench) {
        selection.problem = "File lng" + selection.language + ".lang not found in " + (dataDir / "lang").string();
    }
    if (auto dtcFile = findDtcCatalogFile(dataDir, selection.language)) {
        if (auto dtc = Catalog::load(*dtcFile)) {
            selection.catalog.merge(*dtc);
            selection.dtcFile = std::move(dtcFile);
        }
    }
    return selection;
}

}  // namespace dravio::support
