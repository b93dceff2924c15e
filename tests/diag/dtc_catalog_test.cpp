// The fault-code texts shipped beside the language catalogs.
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>

#include "../support/temp_folder.h"
#include "support/language.h"

namespace dravio::diag {
namespace {

std::set<int> keysOf(const std::filesystem::path& file) {
    std::ifstream in(file);
    std::set<int> keys;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        keys.insert(std::stoi(line.substr(0, line.find('='))));
    }
    return keys;
}

TEST(DtcCatalogs, FrenchAndEnglishCarryTheSameFirstTextKeysOnly) {
    const std::filesystem::path root = DRAVIO_SOURCE_DATA_DIR;
    std::set<int> french;
    for (const char* language : {"Francais", "English"}) {
        SCOPED_TRACE(language);
        const auto file = support::findDtcCatalogFile(root, language);
        ASSERT_TRUE(file);
        const auto catalog = support::Catalog::load(*file);
        ASSERT_TRUE(catalog);
        EXPECT_TRUE(catalog->malformedLines().empty());
        const std::set<int> keys = keysOf(*file);
        EXPECT_GE(keys.size(), 100u);
        for (const int key : keys) {
            // P codes (10000 + four digits) and U codes (21000 + three digits) only: C and B
            // keys would be read as the second text of a P or U code.
            EXPECT_TRUE((key >= 10000 && key <= 13999) || (key >= 21000 && key <= 21999)) << key;
            EXPECT_NE(catalog->GetResourceString(key, ""), "") << key;
        }
        if (french.empty()) {
            french = keys;
        } else {
            EXPECT_EQ(keys, french);
        }
    }
}

TEST(DtcCatalogs, LanguageSelectionMergesTheFaultTextsIntoTheCatalog) {
    const auto english = support::selectLanguage("English", DRAVIO_SOURCE_DATA_DIR);
    ASSERT_TRUE(english.dtcFile);
    EXPECT_EQ(english.catalog.GetResourceString(10201, "  "), "Injector Circuit Malfunction - Cylinder 1");
    EXPECT_EQ(english.catalog.GetResourceString(524, "Erreur numéro "), "Fault number ");
    EXPECT_EQ(english.catalog.GetResourceString(10201 + 20000, " - "), " - ");

    // French needs no main catalog, but its fault texts are found on their own.
    testing::TempFolder dir;
    std::filesystem::create_directories(dir / "lang");
    std::ofstream(dir / "lang" / "lngFrancais.dtc.lang") << "10335=Capteur vilebrequin\n";
    const auto french = support::selectLanguage("Francais", dir.path());
    EXPECT_FALSE(french.file);
    EXPECT_TRUE(french.dtcFile);
    EXPECT_EQ(french.catalog.GetResourceString(10335, "  "), "Capteur vilebrequin");
    // No fault texts for a language: the window's defaults.
    const auto italian = support::selectLanguage("Italiano", dir.path());
    EXPECT_FALSE(italian.dtcFile);
    EXPECT_EQ(italian.catalog.GetResourceString(10335, "  "), "  ");
}

}  // namespace
}  // namespace dravio::diag
