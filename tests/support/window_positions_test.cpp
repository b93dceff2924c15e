#include "support/window_positions.h"

#include <gtest/gtest.h>

#include "temp_folder.h"

namespace dravio::support {
namespace {

using testing::readBytes;
using testing::TempFolder;
using testing::writeBytes;

TEST(WindowPositions, WritesItsKeysLeftFirstAndReadsThemBack) {
    TempFolder dir;
    IniFile ini(dir / "ecu.ini");
    ASSERT_TRUE(writePosition(ini, WindowId::Graph, {120, 45, 5000, 6000}));
    ASSERT_TRUE(writePosition(ini, WindowId::Map, {1, 2, 3, 4}));
    ASSERT_TRUE(writePosition(ini, WindowId::DTC59, {5, 6, 7, 8}));
    EXPECT_EQ(readBytes(dir / "ecu.ini"),
              "[POSITIONS]\nGraphLeft=45\nGraphTop=120\nGraphHeight=5000\nGraphWidth=6000\n"
              "MapLeft=2\nMapTop=1\nMapHeight=3\nMapWidth=4\nDTC59Left=6\nDTC59Top=5\nDTC59Height=7\n");
    IniFile again(dir / "ecu.ini");
    EXPECT_EQ(readPosition(again, WindowId::Graph), (WindowPosition{120, 45, 5000, 6000}));
    // Written-only sizes are not read back.
    EXPECT_EQ(readPosition(again, WindowId::Map), (WindowPosition{1, 2, {}, {}}));
}

TEST(WindowPositions, MainWindowNeverOpensAtANegativePlace) {
    TempFolder dir;
    writeBytes(dir / "ecu.ini", "[POSITIONS]\nParamTop=-300\nParamLeft=-15\nTraceTop=-300\n");
    IniFile ini(dir / "ecu.ini");
    EXPECT_EQ(readPosition(ini, WindowId::Param), (WindowPosition{0, 0, {}, {}}));
    EXPECT_EQ(readPosition(ini, WindowId::Trace).top, -300);
}

}  // namespace
}  // namespace dravio::support
