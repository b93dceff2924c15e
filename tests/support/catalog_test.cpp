#include "support/catalog.h"

#include <gtest/gtest.h>

#include "support/language.h"
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
        {"plain", "501=Dravio main\n502=Wait\n", {{501, "Dravio main"}, {502, "Wait"}}, {}},
        {"text keeps '=' and blanks", "7=a=b \n8=   indented\n", {{7, "a=b "}, {8, "   indented"}}, {}},
        {"escapes",
         "1=two\\nlines\n2=back\\\\slash\n3=\\\\n\n4=tab\\t\n",
         {{1, "two\nlines"}, {2, "back\\slash"}, {3, "\\n"}, {4, "tab\\t"}},
         {}},
        {"comments and blank lines", "# header\n\n   \n#9=not an entry\n9=yes\n", {{9, "yes"}}, {}},
        {"CRLF", "1=one\r\n2=two\r\n", {{1, "one"}, {2, "two"}}, {}},
        {"byte-order mark",
         "\xEF\xBB\xBF"
         "5=five\n",
         {{5, "five"}},
         {}},
        {"blanks around the id", " 12 =twelve\n", {{12, "twelve"}}, {}},
        {"malformed lines skipped",
         "no equals\nabc=x\n-4=neg\n99999999999=big\n=empty id\n6=ok\n7=\xC3(\n",
         {{6, "ok"}},
         {1, 2, 3, 4, 5, 7}},
        {"duplicate id: the last wins", "3=first\n3=second\n", {{3, "second"}}, {}},
        {"no final line end", "4=last", {{4, "last"}}, {}},
        {"empty and single blank mean none", "1=\n2= \n3=  \n", {{1, "FR"}, {2, "FR"}, {3, "  "}}, {}},
    };
    for (const Case& c : cases) {
        Catalog catalog = Catalog::parse(c.text);
        for (const auto& [id, text] : c.expected) EXPECT_EQ(catalog.GetResourceString(id, "FR"), text) << c.name;
        EXPECT_EQ(catalog.size(), c.expected.size()) << c.name;
        EXPECT_EQ(catalog.malformedLines(), c.malformed) << c.name;
    }
}

TEST(Catalog, EmptyCatalogGivesTheFrenchDefault) {
    Catalog none;
    EXPECT_EQ(none.GetResourceString(501, "Défauts présents"), "Défauts présents");
    Catalog some = Catalog::parse("501=Present faults\n");
    EXPECT_EQ(some.GetResourceString(502, "Attente"), "Attente");
}

TEST(Catalog, CaptionsTranslatedInOrderWithTheirOwnFallback) {
    Catalog catalog = Catalog::parse("10=Initialisation EN\n11= \n");
    std::vector<CaptionEntry> entries = {{10, "Initialisation"}, {11, "Paramètres"}, {12, "Quitter"}};
    EXPECT_EQ(translateCaptions(catalog, entries),
              (std::vector<std::string>{"Initialisation EN", "Paramètres", "Quitter"}));
}

TEST(Language, OnlyTheFiveExactNamesAreLanguages) {
    for (std::string_view name : {"Francais", "English", "Italiano", "Deutsch", "Nederlands"}) {
        EXPECT_EQ(normalizeLanguage(name), name);
    }
    for (std::string_view other : {"english", "Français", "Espanol", "", "English "}) {
        EXPECT_EQ(normalizeLanguage(other), "Francais") << other;
    }
}

TEST(Language, SelectionFallsBackToFrenchText) {
    TempFolder data;
    writeBytes(data / "lang" / "lngenglish.lang", "501=Present faults\n502= \n");
    writeBytes(data / "lang" / "lngItaliano.lang", "501=Errori presenti\n");

    LanguageSelection english = selectLanguage("English", data.path());
    EXPECT_EQ(english.language, "English");
    EXPECT_FALSE(english.settingReplaced);
    ASSERT_TRUE(english.file.has_value());  // found whatever the case of the file name
    EXPECT_EQ(english.catalog.GetResourceString(501, "Défauts présents"), "Present faults");
    EXPECT_EQ(english.catalog.GetResourceString(502, "Attente"), "Attente");

    LanguageSelection unknown = selectLanguage("Klingon", data.path());
    EXPECT_EQ(unknown.language, "Francais");
    EXPECT_TRUE(unknown.settingReplaced);
    EXPECT_EQ(unknown.catalog.GetResourceString(501, "Défauts présents"), "Défauts présents");

    LanguageSelection missing = selectLanguage("Deutsch", data.path());
    EXPECT_EQ(missing.language, "Deutsch");
    EXPECT_FALSE(missing.file.has_value());
    EXPECT_NE(missing.problem.find("lngDeutsch"), std::string::npos);
    EXPECT_EQ(missing.catalog.GetResourceString(501, "Défauts présents"), "Défauts présents");

    LanguageSelection french = selectLanguage("Francais", data.path());
    EXPECT_TRUE(french.problem.empty());
    EXPECT_EQ(french.catalog.GetResourceString(501, "Défauts présents"), "Défauts présents");
}

TEST(Language, AFrenchCatalogIsUsedWhenPresent) {
    TempFolder data;
    writeBytes(data / "lang" / "lngFrancais.lang", "501=Défauts actifs\n");
    LanguageSelection french = selectLanguage("Francais", data.path());
    EXPECT_EQ(french.catalog.GetResourceString(501, "Défauts présents"), "Défauts actifs");
}

}  // namespace
}  // namespace dravio::support
