#include "support/catalog.h"

#include <gtest/gtest.h>

#include <sstream>

#include "support/language.h"
#include "support/resource_ids.h"
#include "temp_folder.h"

namespace dravio::support {
namespace {

using testing::TempFolder;
using testing::writeBytes;

TEST(Catalog, ParsesEntriesEscapesCommentsAndBadLines) {
    struct Case {
        const char* name;
        std::string text;
        std::map<int, std::string> expected;  // id -> text looked up with default "FR"
        std::vector<std::size_t> malformed;
    };
    const Case cases[] = {
        {"text keeps '=' and blanks", "7=a=b \n8=   indented\n", {{7, "a=b "}, {8, "   indented"}}, {}},
        {"escapes", "1=two\\nlines\n2=back\\\\slash\n3=\\\\n\n4=tab\\t\n",
         {{1, "two\nlines"}, {2, "back\\slash"}, {3, "\\n"}, {4, "tab\\t"}}, {}},
        {"comments and blank lines", "# header\n\n   \n#9=not an entry\n9=yes\n", {{9, "yes"}}, {}},
        {"CRLF, byte-order mark, no final line end", "\xEF\xBB\xBF" "1=one\r\n2=two", {{1, "one"}, {2, "two"}}, {}},
        {"blanks around the id", " 12 =twelve\n", {{12, "twelve"}}, {}},
        {"malformed lines skipped", "no equals\nabc=x\n-4=neg\n99999999999=big\n=empty id\n6=ok\n7=\xC3(\n",
         {{6, "ok"}}, {1, 2, 3, 4, 5, 7}},
        {"duplicate id: the last wins", "3=first\n3=second\n", {{3, "second"}}, {}},
        {"empty and single blank mean none", "1=\n2= \n3=  \n", {{1, "FR"}, {2, "FR"}, {3, "  "}}, {}},
    };
    for (const Case& c : cases) {
        Catalog catalog = Catalog::parse(c.text);
        for (const auto& [id, text] : c.expected) EXPECT_EQ(catalog.GetResourceString(id, "FR"), text) << c.name;
        EXPECT_EQ(catalog.size(), c.expected.size()) << c.name;
        EXPECT_EQ(catalog.malformedLines(), c.malformed) << c.name;
    }
    EXPECT_EQ(Catalog{}.GetResourceString(501, "Défauts présents"), "Défauts présents");
}

TEST(Language, SelectionFallsBackToFrenchText) {
    TempFolder data;
    writeBytes(data / "lang" / "lngenglish.lang", "501=Present faults\n502= \n");
    LanguageSelection english = selectLanguage("English", data.path());  // file name in another case
    EXPECT_FALSE(english.settingReplaced);
    EXPECT_EQ(english.catalog.GetResourceString(501, "Défauts présents"), "Present faults");
    EXPECT_EQ(english.catalog.GetResourceString(502, "Attente"), "Attente");

    LanguageSelection unknown = selectLanguage("Klingon", data.path());
    EXPECT_EQ(unknown.language, "Francais");
    EXPECT_TRUE(unknown.settingReplaced);

    EXPECT_NE(selectLanguage("Deutsch", data.path()).problem.find("lngDeutsch"), std::string::npos);

    EXPECT_TRUE(selectLanguage("Francais", data.path()).problem.empty());
    writeBytes(data / "lang" / "lngFrancais.lang", "501=Défauts actifs\n");
    EXPECT_EQ(selectLanguage("Francais", data.path()).catalog.GetResourceString(501, "x"), "Défauts actifs");
}

class ShippedCatalogs : public ::testing::Test {
protected:
    static Catalog load(std::string_view language) {
        const auto file = findCatalogFile(kRoot, language);
        EXPECT_TRUE(file.has_value()) << "lng" << language << ".lang is missing";
        auto catalog = file ? Catalog::load(*file) : std::nullopt;
        EXPECT_TRUE(catalog.has_value());
        if (catalog) {
            EXPECT_TRUE(catalog->malformedLines().empty()) << "lng" << language << ".lang has malformed lines";
        }
        return catalog.value_or(Catalog{});
    }
    static std::size_t leadingBlanks(const std::string& s) { return std::min(s.find_first_not_of(' '), s.size()); }

    static constexpr const char* kNone = "\x01";  // never a catalog text
    static constexpr int kIdLimit = 10000;
    inline static const std::filesystem::path kRoot = DRAVIO_SOURCE_DATA_DIR;
};

// The same ids as the French reference, no text that the loader would take for
// none, and the blanks the windows rely on: leading ones indent a failure kind
// under its component, a trailing one separates a text from the number after it.
TEST_F(ShippedCatalogs, TranslationsMatchTheFrenchReference) {
    const Catalog reference = load("Francais");
    std::vector<int> ids;
    for (int id = 0; id < kIdLimit; ++id)
        if (reference.contains(id)) ids.push_back(id);
    // Every reference id lies below the limit, so equal sizes make equal id sets.
    ASSERT_EQ(ids.size(), reference.size());
    ASSERT_GE(ids.size(), 100u);
    for (std::string_view language : kLanguageNames) {
        SCOPED_TRACE(language);
        const Catalog translated = load(language);
        EXPECT_EQ(translated.size(), reference.size());
        std::ostringstream wrong;
        for (int id = 0; id < kIdLimit; ++id)
            if (translated.contains(id) != reference.contains(id)) wrong << ' ' << id;
        EXPECT_TRUE(wrong.str().empty()) << "ids missing or extra:" << wrong.str();
        for (int id : ids) {
            const std::string text = translated.GetResourceString(id, kNone);
            const std::string french = reference.GetResourceString(id, kNone);
            EXPECT_NE(text.find_first_not_of(' '), std::string::npos) << "id " << id << " is blank";
            EXPECT_NE(text, kNone) << "id " << id << " is empty";
            EXPECT_EQ(leadingBlanks(text), leadingBlanks(french)) << "id " << id << ": \"" << text << '"';
            EXPECT_EQ(text.back() == ' ', french.back() == ' ') << "id " << id << ": \"" << text << '"';
        }
    }
}

TEST_F(ShippedCatalogs, EveryIdUsedInTheSourceIsInEachCatalog) {
    const std::set<int> used = resourceIdsInTree(kRoot / "src");
    // The program shows dozens of numbered texts; finding none means the scan is broken.
    EXPECT_GE(used.size(), 40u);
    const Catalog reference = load("Francais");
    std::ostringstream missing;
    for (int id : used)
        if (!reference.contains(id)) missing << ' ' << id;
    EXPECT_TRUE(missing.str().empty()) << "the catalogs lack ids:" << missing.str();
}

}  // namespace
}  // namespace dravio::support
