#include "support/ini_file.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "temp_folder.h"

namespace dravio::support {
namespace {

using testing::readBytes;
using testing::TempFolder;
using testing::writeBytes;

TEST(ProfileInt, ReadsLikeTheClassicIntegerReader) {
    const std::pair<const char*, int> cases[] = {
        {"12abc", 12}, {"", 77},  {" 7 ", 7},          {"-1", -1},          {"abc", 77},         {"99999999999", 77},
        {"+5", 5},     {"-", 77}, {"2147483647", INT_MAX}, {"-2147483648", INT_MIN}, {"2147483648", 77}, {"\t42", 42},
        {"4 2", 4},    {"-0012", -12}};
    for (const auto& [text, expected] : cases) EXPECT_EQ(parseProfileInt(text, 77), expected) << '"' << text << '"';
}

TEST(IniFile, IntegerKeysReadTheValueAfterTheBlanks) {
    TempFolder dir;
    writeBytes(dir / "a.ini", "[S]\nnum=12abc\nword=abc\nspaced =  7  \n");
    IniFile ini(dir / "a.ini");
    EXPECT_EQ((std::vector{ini.readInt("S", "num", 5), ini.readInt("S", "word", 5), ini.readInt("S", "spaced", 5),
                           ini.readInt("S", "absent", 5), ini.readInt("Other", "num", 5)}),
              (std::vector{12, 5, 7, 5, 5}));
}

TEST(IniFile, StringsAreCutAt255BytesWithoutSplittingACharacter) {
    TempFolder dir;
    const std::string exact(255, 'x');
    const std::string longer = std::string(254, 'y') + "\xC3\xA9" + "zz";  // é straddles byte 255
    writeBytes(dir / "a.ini", "[S]\nexact=" + exact + "\nlong=" + std::string(300, 'x') + "\naccent=" + longer + "\n");
    IniFile ini(dir / "a.ini");
    EXPECT_EQ(ini.readString("S", "exact", ""), exact);
    EXPECT_EQ(ini.readString("S", "long", ""), exact);
    EXPECT_EQ(ini.readString("S", "accent", ""), std::string(254, 'y'));
    EXPECT_EQ(ini.readString("S", "missing", std::string(400, 'd')), std::string(255, 'd'));
}

TEST(IniFile, SectionsAndKeysIgnoreCaseAndTheFirstOccurrenceWins) {
    TempFolder dir;
    writeBytes(dir / "a.ini", "[Menu]\nauto=1\n[other]\nx=1\n[MENU]\nlog=4\nauto=9\n[ menu ]\nLOG = 6\n");
    IniFile ini(dir / "a.ini");
    EXPECT_EQ(ini.readInt("MENU", "AUTO", 0), 1);
    EXPECT_EQ(ini.readInt("menu", "auto", 0), 1);
    // Only the first section named Menu (any case) is read, as the classic functions do.
    EXPECT_EQ(ini.readInt("Menu", "log", 0), 0);

    ASSERT_TRUE(ini.writeInt("MENU", "log", 3));
    EXPECT_EQ(readBytes(dir / "a.ini"),
              "[Menu]\nauto=1\nlog=3\n[other]\nx=1\n[MENU]\nlog=4\nauto=9\n[ menu ]\nLOG = 6\n");
}

TEST(IniFile, WindowsMadeFileIsReadAndUnchangedPartsSurviveAWrite) {
    TempFolder dir;
    const std::string original =
        "\xEF\xBB\xBF; by hand\r\n[MESURES]\r\n  AIR = 0  \r\n; keep me\r\n\r\n"
        "[Other]\r\nPath=C:\\x\r\n\r\n[graphe]\r\nzmax=0900\r\n";
    writeBytes(dir / "ecu.ini", original);
    IniFile ini(dir / "ecu.ini");
    EXPECT_EQ(ini.readInt("Mesures", "Air", -1), 0);
    EXPECT_EQ(ini.readString("Other", "Path", ""), "C:\\x");
    EXPECT_EQ(ini.readInt("Graphe", "zMax", 1500), 900);

    // Same value: nothing moves, not even the blanks.
    ASSERT_TRUE(ini.writeString("Mesures", "Air", "0"));
    EXPECT_EQ(readBytes(dir / "ecu.ini"), original);

    ASSERT_TRUE(ini.setString("Mesures", "Air", "-1"));
    ASSERT_TRUE(ini.setString("Mesures", "Lambda", "0"));
    ASSERT_TRUE(ini.setString("Graphe", "zMax", "1500"));
    ASSERT_TRUE(ini.setString("COM", "PORT", "3"));
    ASSERT_TRUE(ini.commit());
    EXPECT_EQ(readBytes(dir / "ecu.ini"),
              "\xEF\xBB\xBF; by hand\r\n[MESURES]\r\n  AIR = -1\r\n; keep me\r\nLambda=0\r\n\r\n"
              "[Other]\r\nPath=C:\\x\r\n\r\n[graphe]\r\nzmax=1500\r\n\r\n[COM]\r\nPORT=3\r\n");
}

TEST(IniFile, MissingFileIsCreatedByTheFirstWriteAndALastLineGetsItsLineEnd) {
    TempFolder dir;
    IniFile ini(dir / "new.ini");
    EXPECT_EQ(ini.readString("A", "k", "def"), "def");
    EXPECT_FALSE(std::filesystem::exists(dir / "new.ini"));
    ASSERT_TRUE(ini.writeString("A", "k", "v"));
    EXPECT_EQ(readBytes(dir / "new.ini"), "[A]\nk=v\n");

    writeBytes(dir / "a.ini", "[A]\r\nk=v");
    IniFile cut(dir / "a.ini");
    ASSERT_TRUE(cut.writeString("a", "n", "1"));
    EXPECT_EQ(readBytes(dir / "a.ini"), "[A]\r\nk=v\r\nn=1\r\n");

    IniFile nowhere(dir / "missing-folder" / "a.ini");
    EXPECT_FALSE(nowhere.writeString("A", "k", "v"));
    EXPECT_FALSE(nowhere.lastError().empty());
}

TEST(IniFile, UnusableNamesAndLineBreaksCannotBreakTheFileStructure) {
    TempFolder dir;
    IniFile ini(dir / "a.ini");
    EXPECT_FALSE(ini.setString("", "k", "v"));
    EXPECT_FALSE(ini.setString("A]", "k", "v"));
    EXPECT_FALSE(ini.setString("A", "k=x", "v"));
    EXPECT_FALSE(ini.setString("A", "k\n[B]", "v"));
    EXPECT_FALSE(ini.hasPendingChanges());
    ASSERT_TRUE(ini.writeString("A", "k", "first\r\n[B]\nx=1"));
    EXPECT_EQ(readBytes(dir / "a.ini"), "[A]\nk=first\n");
}

}  // namespace
}  // namespace dravio::support
