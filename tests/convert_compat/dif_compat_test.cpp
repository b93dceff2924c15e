// Compatibility with LibreOffice: it reads our DIF files with the same values.
// Optional (ctest label "compat"): skipped when soffice is not installed.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "convert/dif_writer.h"
#include "support/temp_folder.h"

namespace dravio::convert {
namespace {

using testing::readBytes;

const std::filesystem::path kExample =
    std::filesystem::path(DRAVIO_SOURCE_DATA_DIR) / "examples" / "mes1204 -090507.csv";

// LibreOffice reads our DIF with the same values. Optional: needs soffice.
TEST(DifWriterCompat, LibreOfficeReadsTheSameValues) {
    if (std::system("command -v soffice >/dev/null 2>&1") != 0) GTEST_SKIP() << "soffice is not installed";
    testing::TempFolder folder;
    ASSERT_TRUE(convertFile(kExample, folder / "mes.dif", nullptr, {}).ok);
    const std::string command = "cd '" + folder.path().string() + "' && HOME='" + folder.path().string() +
                                "' soffice --headless --infilter=DIF:\"44,34,ANSI\" --convert-to csv mes.dif "
                                ">/dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0);
    const std::string csv = readBytes(folder / "mes.csv");
    std::vector<std::string> lines;
    std::istringstream in(csv);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    ASSERT_EQ(lines.size(), 19u) << csv;
    EXPECT_EQ(lines[3], "Name:,RPM,TPS,Injection,Advance,Pressure,TempAir,TempEngine,Voltage,AFR1,AFR2,Lambda");
    EXPECT_EQ(lines[12], "1,1250,2.1,2.45,10,1013,25,85,13.8,0,0,0");
    EXPECT_EQ(lines[18], "1,1380,2.2,2.5,11,1011,26,87,13.8,0,0,0");
}

}  // namespace
}  // namespace dravio::convert
