// The fault-code texts shipped beside the language catalogs.
#include <gtest/gtest.h>

#include <fstream>
#include <set>

#include "support/language.h"

namespace dravio::diag {
namespace {

TEST(DtcCatalogs, FrenchAndEnglishCarryTheSameFirstTextKeysOnly) {
    std::set<int> first;
    for (const char* language : {"Francais", "English"}) {
        const auto file = support::findDtcCatalogFile(DRAVIO_SOURCE_DATA_DIR, language);
        ASSERT_TRUE(file && support::Catalog::load(*file)->malformedLines().empty()) << language;
        std::ifstream in(*file);
        std::set<int> keys;
        for (std::string line; std::getline(in, line);) {
            if (line.empty() || line[0] == '#') continue;
            const int key = std::stoi(line);
            keys.insert(key);
            // P and U keys only: C and B keys are the second-line keys of P and U codes.
            EXPECT_TRUE((key >= 10000 && key <= 13999) || (key >= 21000 && key <= 21999)) << key;
        }
        if (first.empty()) first = keys;
        EXPECT_EQ(keys, first) << language;
    }
    EXPECT_GE(first.size(), 100u);
}

TEST(DtcCatalogs, LanguageSelectionMergesTheFaultTexts) {
    const auto english = support::selectLanguage("English", DRAVIO_SOURCE_DATA_DIR);
    EXPECT_EQ(english.catalog.GetResourceString(10201, "  "), "Injector Circuit Malfunction - Cylinder 1");
    EXPECT_EQ(english.catalog.GetResourceString(524, ""), "Fault number ");
}

}  // namespace
}  // namespace dravio::diag
