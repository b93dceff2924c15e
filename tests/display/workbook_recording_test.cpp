#include "display/workbook_recording.h"

#include <gtest/gtest.h>

#include <regex>

#include "record_files.h"

namespace dravio::display {
namespace {

using testing::at;
using testing::commandOutput;
using testing::DataFolder;
using testing::readBytes;
using testing::sampleRecord;

std::string part(const std::filesystem::path& xlsx, const std::string& member) {
    return commandOutput("unzip -p '" + xlsx.string() + "' " + member + " 2>/dev/null");
}

// The XML of cell `ref` (e.g. "B2"), "" when absent.
std::string cell(const std::string& sheet, const std::string& ref) {
    const std::regex pattern("<c r=\"" + ref + "\"[^>]*(/>|>.*?</c>)");
    std::smatch m;
    return std::regex_search(sheet, m, pattern) ? m.str(0) : std::string{};
}

std::filesystem::path recordTwoRows(const std::filesystem::path& folder, RecordLayout layout, base::ViewState& view) {
    WorkbookRecording recording(folder, layout, view);
    EXPECT_TRUE(recording.start(at(12, 4, 9, 5, 7)));
    RecordTexts texts;
    texts.AFR1 = "14.70";
    texts.lambdaShown = true;
    texts.SteepTPS = "112";
    recording.writeRow(sampleRecord(), texts);
    recording.writeRow(sampleRecord(), RecordTexts{});
    EXPECT_EQ(recording.ExcelRow, 4);
    return recording.stop(at(12, 4, 9, 15, 30));
}

TEST(WorkbookRecording, SavedWorkbookHasSheetHeadersRowsAndFrozenHeader) {
    DataFolder data;
    base::ViewState frmparam;
    const auto file = recordTwoRows(data.path(), RecordLayout::Standard, frmparam);
    EXPECT_EQ(file, data.path() / "Mesures09h1530.xlsx");
    EXPECT_EQ(frmparam.text("lbPanel2"), "Traces Excel");

    EXPECT_NE(part(file, "xl/workbook.xml").find("name=\"09h05\""), std::string::npos);
    const std::string sheet = part(file, "xl/worksheets/sheet1.xml");
    ASSERT_FALSE(sheet.empty());
    EXPECT_NE(sheet.find("topLeftCell=\"A2\""), std::string::npos);
    EXPECT_NE(sheet.find("state=\"frozen\""), std::string::npos);

    const std::pair<const char*, const char*> cells[] = {
        {"A1", "<t>Time</t>"}, {"L1", "<t>LambdamV</t>"}, {"D1", "<t>Injection</t>"}, {"A2", "<v>1.25</v>"},
        {"B2", "<v>1234.5</v>"}, {"J2", "<v>14.7</v>"}, {"K2", "<v>0</v>"}, {"L2", "<v>0.456"}, {"L3", "<v>0</v>"}};
    for (const auto& [ref, text] : cells) EXPECT_NE(cell(sheet, ref).find(text), std::string::npos) << ref;
    EXPECT_TRUE(cell(sheet, "M1").empty());  // 12 columns
    EXPECT_TRUE(cell(sheet, "A4").empty());

    EXPECT_NE(part(file, "xl/styles.xml").find("formatCode=\"0.000\""), std::string::npos);
}

TEST(WorkbookRecording, NoWorkbookPossibleSaysUseCsvAndHidesTheBox) {
    DataFolder data;
    base::ViewState frmparam;
    WorkbookRecording recording(data.path() / "missing", RecordLayout::Standard, frmparam);
    EXPECT_FALSE(ExcelPresent(data.path() / "missing"));
    EXPECT_FALSE(recording.start(at(1, 1, 0, 0, 0)));
    EXPECT_EQ(frmparam.text("lbPanel2"), "Use CSV");
    EXPECT_FALSE(frmparam.visible("Chenregistre"));
    EXPECT_TRUE(recording.stop(at(1, 1, 0, 0, 1)).empty());
}

// LibreOffice reads the workbook back with the same values.
TEST(WorkbookCompat, LibreOfficeConvertsTheWorkbookToCsv) {
    if (commandOutput("command -v soffice").empty()) GTEST_SKIP() << "LibreOffice (soffice) is not installed";
    DataFolder data;
    base::ViewState frmparam;
    const auto file = recordTwoRows(data.path(), RecordLayout::Standard, frmparam);
    commandOutput("cd '" + data.path().string() + "' && HOME='" + data.path().string() +
                  "' soffice --headless --convert-to csv '" + file.filename().string() + "' >/dev/null 2>&1");
    const std::string csv = readBytes(data.path() / "Mesures09h1530.csv");
    EXPECT_EQ(csv.substr(0, csv.find('\n')),
              "Time,RPM,TPS,Injection,Advance,Pressure,AirTemp,EngineTemp,Voltage,AFR1,AFR2,LambdamV");
    // The cells hold the values; their patterns only change how they are shown.
    EXPECT_NE(csv.find("\n1.25,1234.5,12.5,3.25,15,987.5,21,85,13.5,14.7,0,0.4566999"), std::string::npos) << csv;
}

}  // namespace
}  // namespace dravio::display
