// Every backend of the K-line cable refuses work cleanly before it is opened:
// the status names the missing handle, nothing is read, no wait hangs.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <vector>

#include "base/clock.h"
#include "ports/ftdi_cable.h"
#include "ports/tty_cable.h"

namespace dravio::ports {
namespace {

template <typename Cable>
class ClosedCable : public ::testing::Test {};

using Backends = ::testing::Types<FtdiCable, TtyCable>;
TYPED_TEST_SUITE(ClosedCable, Backends);

TYPED_TEST(ClosedCable, EveryOperationFailsCleanly) {
    TypeParam cable;
    std::uint32_t count = 5;
    std::vector<std::uint8_t> out;
    const struct {
        const char* name;
        int status;
    } calls[] = {
        {"reset", cable.reset()},
        {"purge", cable.purge()},
        {"setBaudRate", cable.setBaudRate(10400)},
        {"8N1", cable.setDataCharacteristics8N1()},
        {"write", cable.write(0x81)},
        {"queueStatus", cable.queueStatus(count)},
        {"read", cable.read(4, out)},
        {"breakOn", cable.breakOn()},
        {"breakOff", cable.breakOff()},
    };
    for (const auto& c : calls) EXPECT_EQ(c.status, kCableInvalidHandle) << c.name;
    EXPECT_EQ(count, 0u);
    EXPECT_TRUE(out.empty());
    const auto far = std::chrono::time_point_cast<base::Clock::Duration>(std::chrono::steady_clock::now() +
                                                                         std::chrono::seconds(10));
    // At once: nothing to wait on.
    EXPECT_EQ(cable.waitForQueue(1, far), 0u);
    EXPECT_FALSE(cable.lastError().empty());
}

}  // namespace
}  // namespace dravio::ports
