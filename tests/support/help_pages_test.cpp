#include "support/help_pages.h"

#include <gtest/gtest.h>

#include "support/temp_folder.h"

namespace dravio::support {
namespace {

const std::filesystem::path kShipped = std::filesystem::path(DRAVIO_SOURCE_DATA_DIR) / "help";

TEST(HelpPages, EveryWindowHasAFrenchAndAnEnglishPage) {
    for (std::string_view window : kHelpWindows) {
        for (const char* language : {"Francais", "English"}) {
            const HelpPage page = findHelpPage(window, language, {}, kShipped);
            ASSERT_TRUE(page.path) << window << " " << language;
            EXPECT_EQ(page.path->filename().string(),
                      std::string(window) + "." + std::string(helpLanguageCode(language)) + ".html");
        }
    }
}

TEST(HelpPages, UpdatedPagesFirstThenEnglishThenFrenchElseFichierAbsent) {
    testing::TempFolder updated;
    testing::writeBytes(updated / "frmgraph.fr.html", "new");
    testing::writeBytes(updated / "frmCarto.nl.html", "nl");
    const struct {
        const char* window;
        const char* language;
        std::filesystem::path expected;
    } cases[] = {
        {"frmgraph", "Francais", updated / "frmgraph.fr.html"},
        {"frmCarto", "Nederlands", updated / "frmCarto.nl.html"},
        {"frmchoix", "Deutsch", kShipped / "frmchoix.en.html"},
        {"FrmDTC59", "English", kShipped / "index.en.html"},
        {"../etc/passwd", "English", kShipped / "index.en.html"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(findHelpPage(c.window, c.language, updated.path(), kShipped).path, c.expected) << c.window;

    EXPECT_EQ(findHelpPage("frmparam", "Francais", updated / "none", updated / "none").message, "Fichier absent");
}

}  // namespace
}  // namespace dravio::support
