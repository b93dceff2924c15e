// support: the help pages, HTML files named <window>.<language code>.html in the
// shipped help/ folder, or in DossierFiles/help when the update service brought a
// newer one.
#pragma once

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace dravio::support {

inline constexpr std::string_view kFichierAbsent = "Fichier absent";

// The windows with a page of their own; any other name opens the index page.
inline constexpr std::array<std::string_view, 8> kHelpWindows = {"frmparam", "frmInterface", "frmchoix", "frmgraph",
                                                                 "frmCarto", "frmStatuts",   "frmTrace", "frmLogWork"};
inline constexpr std::string_view kHelpIndex = "index";

// "fr" for Francais, "en" for English, "it", "de", "nl" for the others.
std::string_view helpLanguageCode(std::string_view language);

struct HelpPage {
    std::optional<std::filesystem::path> path;  // the page to open
    std::string message;                        // kFichierAbsent when there is none
};

// The page for `window` in `language` (a name of Affichage/Langue): the user's
// language first, then English, then French; in each, the updated page before
// the shipped one.
HelpPage findHelpPage(std::string_view window, std::string_view language, const std::filesystem::path& updatedHelp,
                      const std::filesystem::path& shippedHelp);

}  // namespace dravio::support
