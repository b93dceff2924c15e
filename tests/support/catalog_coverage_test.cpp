// Every id the program asks for must be in each translated catalog.
#include <gtest/gtest.h>

#include <sstream>

#include "support/language.h"
#include "support/resource_ids.h"

namespace dravio::support {
namespace {

TEST(ResourceIds, FoundOnlyAsLiteralFirstArguments) {
    const std::set<int> ids = resourceIdsInText(
        "a = GetResourceString(501, \"x\");\n"
        "b = cat.GetResourceString( 17 ,\"y\");\n"
        "c = GetResourceString (\n   902, z);\n"
        "d = GetResourceString(id, \"no\");\n"
        "e = GetResourceString(base + 3, \"no\");\n"
        "f = GetResourceStrings(44, \"other function\");\n");
    EXPECT_EQ(ids, (std::set<int>{17, 501, 902}));
    const auto named = resourceIdsInText("namespace text_id {\ninline constexpr int Titre = 501;  // title\n"
                                         "inline constexpr int Attente=137;\n}\nint other = 12;");
    EXPECT_EQ(named, (std::set<int>{137, 501}));
}

TEST(CatalogCoverage, EveryIdUsedInTheSourceIsInEachTranslatedCatalog) {
    const std::filesystem::path root = DRAVIO_SOURCE_DATA_DIR;
    bool anyCatalog = false;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(root / "lang", ec)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("lng", 0) == 0 && entry.path().extension() == ".lang") anyCatalog = true;
    }
    if (!anyCatalog) GTEST_SKIP() << "no lng*.lang catalog in " << (root / "lang") << " yet";

    const std::set<int> used = resourceIdsInTree(root / "src");
    // The program shows dozens of numbered texts; finding none means the scan is broken.
    EXPECT_GE(used.size(), 40u);
    for (std::string_view language : {"English", "Italiano", "Deutsch", "Nederlands"}) {
        auto file = findCatalogFile(root, language);
        ASSERT_TRUE(file.has_value()) << "lng" << language << ".lang is missing";
        auto catalog = Catalog::load(*file);
        ASSERT_TRUE(catalog.has_value()) << *file;
        std::ostringstream missing;
        for (int id : used) {
            if (!catalog->contains(id)) missing << ' ' << id;
        }
        EXPECT_TRUE(missing.str().empty()) << "lng" << language << ".lang lacks ids:" << missing.str();
        EXPECT_TRUE(catalog->malformedLines().empty()) << "lng" << language << ".lang has malformed lines";
    }
}

}  // namespace
}  // namespace dravio::support
