#include "convert/dif_writer.h"

#include <gtest/gtest.h>

#include "dif_reader.h"
#include "support/temp_folder.h"

namespace dravio::convert {
namespace {

using testing::DifCell;
using testing::readBytes;
using testing::readDif;
using testing::writeBytes;

const std::filesystem::path kExample =
    std::filesystem::path(DRAVIO_SOURCE_DATA_DIR) / "examples" / "mes1204 -090507.csv";

std::string text(const DifCell& cell) { return cell.isText ? cell.text : "#num"; }
double number(const DifCell& cell) { return cell.isText ? -99999 : cell.number; }
template <class F>
auto each(const std::vector<DifCell>& row, F f) {
    std::vector<decltype(f(row[0]))> out;
    for (const auto& cell : row) out.push_back(f(cell));
    return out;
}
std::vector<double> numbers(const std::vector<DifCell>& row) { return each(row, number); }
std::vector<std::string> texts(const std::vector<DifCell>& row) { return each(row, text); }

TEST(DifWriter, ADravioRecordingReadsBackWithItsChannelsAndValues) {
    testing::TempFolder folder;
    std::string error;
    auto db = ChannelDatabase::open(folder / kChannelDatabaseFile, error);
    ASSERT_TRUE(db) << error;
    Channel voltage = *db->channel("Voltage");
    voltage.title = "Batterie";
    ASSERT_TRUE(db->cdUpdateDIF(voltage));

    const auto target = folder / "out.dif";
    const ConvertResult result = convertFile(kExample, target, db.get(), {});
    ASSERT_TRUE(result.ok) << result.error;
    const std::string bytes = readBytes(target);
    EXPECT_EQ(bytes.rfind("TABLE\r\n0,1\r\n\"EXCEL\"\r\nVECTORS\r\n0,12\r\n\"LMTR\"\r\nTUPLES\r\n0,19\r\n\"1222222" +
                              std::string(90, '0') + "\"\r\nDATA\r\n0,0\r\n\"\"\r\n-1,0\r\nBOT\r\n",
                          0),
              0u);
    EXPECT_EQ(bytes.substr(bytes.size() - 11), "-1,0\r\nEOD\r\n");

    const auto dif = readDif(bytes);
    ASSERT_TRUE(dif);
    EXPECT_TRUE(dif->ended);
    ASSERT_EQ(dif->rows.size(), 19u);
    for (const auto& row : dif->rows) EXPECT_EQ(row.size(), 12u);

    const std::vector<std::string> labels = {
        "Input Description", "Stochiometric:", "From device:", "Name:", "Unit:", "Range:", "equiv(Sample):", "to:",
        "equiv(Sample):",    "-End-",          "Session 1",    ""};
    for (std::size_t r = 0; r < labels.size(); ++r) EXPECT_EQ(text(dif->rows[r][0]), labels[r]) << r;
    EXPECT_EQ(number(dif->rows[1][1]), 14.7);
    EXPECT_EQ(text(dif->rows[2][5]), " (Dravio)");
    EXPECT_EQ(texts(dif->rows[3]),
              (std::vector<std::string>{"Name:", "RPM", "TPS", "Injection", "Advance", "Pressure", "TempAir",
                                        "TempEngine", "Batterie", "AFR1", "AFR2", "Lambda"}));
    EXPECT_EQ(texts(dif->rows[4]),
              (std::vector<std::string>{"Unit:", "rpm", "deg", "ms", "deg", "mBar", "deg", "deg", "V", "", "", ""}));
    EXPECT_EQ(number(dif->rows[5][6]), -40);    // TempAir range
    EXPECT_EQ(number(dif->rows[7][1]), 15000);  // RPM range
    EXPECT_EQ(text(dif->rows[11][7]), "TempEngine");

    // The data: value 1 first, then the source's columns after the first.
    EXPECT_EQ(numbers(dif->rows[12]), (std::vector<double>{1, 1250, 2.1, 2.45, 10, 1013, 25, 85, 13.8, 0, 0, 0}));
    EXPECT_EQ(numbers(dif->rows[18]), (std::vector<double>{1, 1380, 2.2, 2.5, 11, 1011, 26, 87, 13.8, 0, 0, 0}));
}

TEST(DifWriter, OnlyLinesWithMoreThanTwoFieldsGiveRows) {
    testing::TempFolder folder;
    const auto source = folder / "log.txt";
    writeBytes(source,
               "\"Time;RPM;TPS\"\r\n"
               "\"0.5;1000;3\"\r\n"  // quoted as a recording being written
               "7;8\n"               // two fields: no row
               "\n"
               "lonely\n"
               "2,5;9,4;12\n"  // the comma wins: three fields "2", "5;9", "4;12"
               "3;1100;4;99;98\n");
    const ConvertResult result = convertFile(source, folder / "log.dif", nullptr, {});
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(result.dataRows, 3u);
    const auto dif = readDif(readBytes(folder / "log.dif"));
    ASSERT_TRUE(dif);
    EXPECT_EQ(dif->tuples, 15);
    ASSERT_EQ(dif->rows.size(), 15u);
    const std::vector<std::vector<DifCell>> data(dif->rows.begin() + 12, dif->rows.end());
    EXPECT_EQ(numbers(data[0]), (std::vector<double>{1.0, 1000.0, 3.0}));
    // Fields that are not numbers are written as 0.
    EXPECT_EQ(numbers(data[1]), (std::vector<double>{1.0, 0.0, 0.0}));
    // Extra fields beyond the titles are dropped.
    EXPECT_EQ(numbers(data[2]), (std::vector<double>{1.0, 1100.0, 4.0}));
}

TEST(DifWriter, VoltChannelsBecomeAfrWithTheCoefficients) {
    testing::TempFolder folder;
    const auto source = folder / "lc1.csv";
    writeBytes(source, "Time;O21;Voltage\n0;0;12.5\n1;5;13\n2;2.5;x\n");
    ConvertOptions options;
    options.lambda = coefficientsFromText("3,008", " 7.35 ");
    ASSERT_TRUE(convertFile(source, folder / "a.dif", nullptr, options).ok);
    auto dif = readDif(readBytes(folder / "a.dif"));
    ASSERT_TRUE(dif);
    EXPECT_EQ(text(dif->rows[4][1]), "AFR");
    EXPECT_EQ(number(dif->rows[5][1]), 7.35);
    EXPECT_NEAR(number(dif->rows[7][1]), 22.39, 1e-9);
    EXPECT_EQ(text(dif->rows[4][2]), "V");  // battery volts are not lambda
    EXPECT_EQ(numbers(dif->rows[13]), (std::vector<double>{1, 22.39, 13}));
    EXPECT_EQ(numbers(dif->rows[14]), (std::vector<double>{1, 14.87, 0}));

    // Texts are Windows-1252; text that is not UTF-8 is taken as such already.
    EXPECT_EQ(toWindows1252("Temp\xC3\xA9rature \xE2\x82\xAC \xE6\x97\xA5"), "Temp\xE9rature \x80 ?");
    EXPECT_EQ(toWindows1252("\xE9t\xE9"), "\xE9t\xE9");

    options.lambda.reset();
    ASSERT_TRUE(convertFile(source, folder / "b.dif", nullptr, options).ok);
    dif = readDif(readBytes(folder / "b.dif"));
    ASSERT_TRUE(dif);
    EXPECT_EQ(text(dif->rows[4][1]), "Volt");
    EXPECT_EQ(number(dif->rows[13][1]), 5);
}

TEST(DifWriter, ACancelledConversionLeavesTheTargetAlone) {
    testing::TempFolder folder;
    const auto source = folder / "big.csv";
    std::string big = "Time;RPM;TPS\n";
    for (int i = 0; i < 100000; ++i) big += std::to_string(i) + ";1000;5\n";
    writeBytes(source, big);
    writeBytes(folder / "big.dif", "old");
    ConvertOptions options;
    int calls = 0;
    options.progress = [&](std::uint64_t, std::uint64_t) { return ++calls < 2; };
    const ConvertResult result = convertFile(source, folder / "big.dif", nullptr, options);
    EXPECT_TRUE(result.cancelled);
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(readBytes(folder / "big.dif"), "old");
    EXPECT_FALSE(std::filesystem::exists(folder / "big.dif.part"));
}

}  // namespace
}  // namespace dravio::convert
