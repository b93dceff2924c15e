#include "convert/workbook_export.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <regex>

#include "support/temp_folder.h"

namespace dravio::convert {
namespace {

using testing::readBytes;
using testing::writeBytes;

std::string unzipped(const std::filesystem::path& xlsx, const std::string& member) {
    std::string out;
    if (std::FILE* pipe = ::popen(("unzip -p '" + xlsx.string() + "' " + member + " 2>/dev/null").c_str(), "r")) {
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
        ::pclose(pipe);
    }
    return out;
}

// The XML of cell `ref`, "" when absent.
std::string cell(const std::string& sheet, const std::string& ref) {
    const std::regex pattern("<c r=\"" + ref + "\"[^>]*(/>|>.*?</c>)");
    std::smatch m;
    return std::regex_search(sheet, m, pattern) ? m.str(0) : std::string{};
}

std::tm at(int hour, int minute) {
    std::tm t{};
    t.tm_hour = hour;
    t.tm_min = minute;
    return t;
}

TEST(WorkbookExport, FieldsBecomeNumbersOrTexts) {
    const struct {
        const char* field;
        bool isNumber;
        double number;
        const char* text;
    } cases[] = {
        {"1250", true, 1250, "1250"}, {" \"2.45\" ", true, 2.45, "2.45"}, {"+13.8", true, 13.8, "+13.8"},
        {"-40", true, -40, "-40"},    {"Time", false, 0, "Time"},         {"1e999", false, 0, "1e999"},
        {"", false, 0, ""},           {"12abc", false, 0, "12abc"},
    };
    for (const auto& c : cases) {
        const SheetCell got = sheetCell(c.field);
        EXPECT_EQ(got.isNumber, c.isNumber) << c.field;
        if (c.isNumber) {
            EXPECT_DOUBLE_EQ(got.number, c.number) << c.field;
        }
        EXPECT_EQ(got.text, c.text) << c.field;
    }
}

TEST(WorkbookExport, OneRecordingAndAMergeKeepTheRecordingConventions) {
    testing::TempFolder folder;
    writeBytes(folder / "a.txt", "Time;RPM;Note\r\n0.5;1250;idle\r\n\r\n1.0;1300;\"x\"\r\n");
    writeBytes(folder / "b.csv", "T,R\n2.0,1400\n");

    const auto single = exportWorkbook({folder / "a.txt"}, folder / "a.xlsx", at(9, 5));
    ASSERT_TRUE(single.ok) << single.error;
    EXPECT_EQ(single.rows, 2u);
    EXPECT_NE(unzipped(folder / "a.xlsx", "xl/workbook.xml").find("name=\"09h05\""), std::string::npos);
    std::string sheet = unzipped(folder / "a.xlsx", "xl/worksheets/sheet1.xml");
    EXPECT_NE(sheet.find("topLeftCell=\"A2\""), std::string::npos);
    EXPECT_NE(sheet.find("state=\"frozen\""), std::string::npos);
    const std::pair<const char*, const char*> cells[] = {
        {"A2", "<v>0.5</v>"}, {"B2", "<v>1250</v>"}, {"A3", "<v>1</v>"}, {"B3", "<v>1300</v>"}};
    for (const auto& [ref, text] : cells) EXPECT_NE(cell(sheet, ref).find(text), std::string::npos) << ref;
    EXPECT_NE(cell(sheet, "C2").find("<t>idle</t>"), std::string::npos);
    EXPECT_NE(cell(sheet, "C3").find("<t>x</t>"), std::string::npos);
    EXPECT_TRUE(cell(sheet, "A4").empty());
    EXPECT_NE(cell(sheet, "B1").find("<t>RPM</t>"), std::string::npos);

    const auto merged = exportWorkbook({folder / "a.txt", folder / "b.csv"}, folder / "m.xlsx", at(17, 30));
    ASSERT_TRUE(merged.ok) << merged.error;
    EXPECT_EQ(merged.rows, 3u);
    sheet = unzipped(folder / "m.xlsx", "xl/worksheets/sheet1.xml");
    EXPECT_NE(cell(sheet, "A4").find("<v>2</v>"), std::string::npos);  // the second file under the first's titles
    EXPECT_NE(cell(sheet, "B4").find("<v>1400</v>"), std::string::npos);
    EXPECT_TRUE(cell(sheet, "A5").empty());
}

TEST(WorkbookExport, FailureOrCancelLeavesTheTargetAsItWas) {
    testing::TempFolder folder;
    std::string big = "Time;RPM\n";
    for (int i = 0; i < 40000; ++i) big += std::to_string(i) + ";1250\n";
    writeBytes(folder / "big.txt", big);
    writeBytes(folder / "old.xlsx", "old");
    const auto cancelled = exportWorkbook({folder / "big.txt"}, folder / "old.xlsx", at(1, 2),
                                          [](std::uint64_t, std::uint64_t) { return false; });
    EXPECT_TRUE(cancelled.cancelled);
    EXPECT_FALSE(cancelled.ok);
    const auto missing = exportWorkbook({folder / "big.txt", folder / "none.txt"}, folder / "old.xlsx", at(1, 2));
    EXPECT_FALSE(missing.ok);
    EXPECT_NE(missing.error.find("none.txt"), std::string::npos);
    EXPECT_EQ(readBytes(folder / "old.xlsx"), "old");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 2);  // no part file left
}

}  // namespace
}  // namespace dravio::convert
