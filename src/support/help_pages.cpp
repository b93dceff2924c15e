#include "support/help_pages.h"

#include <algorithm>
#include <system_error>
#include <vector>

#include "support/language.h"

namespace dravio::support {

std::string_view helpLanguageCode(std::string_view language) {
    const std::string_view name = normalizeLanguage(language);
    if (name == "English") return "en";
    if (name == "Italiano") return "it";
    if (name == "Deutsch") return "de";
    if (name == "Nederlands") return "nl";
    return "fr";
}

HelpPage findHelpPage(std::string_view window, std::string_view language, const std::filesystem::path& updatedHelp,
                      const std::filesystem::path& shippedHelp) {
    const bool known = std::find(kHelpWindows.begin(), kHelpWindows.end(), window) != kHelpWindows.end();
    const std::string page(known ? window : kHelpIndex);
    std::vector<std::string_view> codes = {helpLanguageCode(language), "en", "fr"};
    for (std::string_view code : codes) {
        const std::string name = page + "." + std::string(code) + ".html";
        for (const auto& folder : {updatedHelp, shippedHelp}) {
            std::error_code ec;
            if (!folder.empty() && std::filesystem::is_regular_file(folder / name, ec)) return {folder / name, {}};
        }
    }
    return {std::nullopt, std::string(kFichierAbsent)};
}

}  // namespace dravio::support
