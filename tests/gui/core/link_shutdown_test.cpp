#include "ecu/link_shutdown.h"

#include <gtest/gtest.h>

#include "base/clock.h"
#include "base/event_loop.h"
#include "base/hex.h"
#include "link/framing.h"
#include "ports/sim_cable.h"

namespace dravio::gui {
namespace {

using std::chrono::milliseconds;

class LinkShutdownTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(cable.open("Dravio simulated K-line"), ports::kCableOk);
        link.setCable(&cable);
        cable.clearEvents();
        start = clock.now();
    }
    std::vector<std::uint8_t> written() const {
        std::vector<std::uint8_t> bytes;
        for (const auto& event : cable.writes()) bytes.push_back(static_cast<std::uint8_t>(event.value));
        return bytes;
    }

    base::VirtualClock clock;
    base::EventLoop loop{clock};
    link::Trace trace{clock};
    link::Link link{loop, trace};
    ports::SimCable cable{clock};
    base::Clock::TimePoint start;
};

TEST_F(LinkShutdownTest, KwpEcuGetsStopDiagnosticThenStopCommunicationThenTheCableCloses) {
    link.TypeECU = 4;
    ecu::closeLink(link, ecu::RequestTable{}, 4, 0);

    const auto stopDiag = base::fromHex(link::frameRequest("20", 4, "10F1"));
    const auto stopCom = base::fromHex(link::frameRequest("82", 4, "10F1"));
    auto expected = stopDiag;
    expected.insert(expected.end(), stopCom.begin(), stopCom.end());
    EXPECT_EQ(base::toHex(written()), base::toHex(expected));

    const auto writes = cable.writes();
    ASSERT_EQ(writes.size(), expected.size());
    // 0.06 s pause, then the 6 ms gap before the first byte.
    EXPECT_EQ(writes.front().t - start, milliseconds(66));
    // The unanswered request waits its 1000 ms, then the pause and the gap again.
    const auto& lastOfFirst = writes[stopDiag.size() - 1];
    const auto& firstOfSecond = writes[stopDiag.size()];
    EXPECT_GE(firstOfSecond.t - lastOfFirst.t, milliseconds(1066));
    EXPECT_LT(firstOfSecond.t - lastOfFirst.t, milliseconds(1100));
    EXPECT_FALSE(cable.isOpen());
}

TEST_F(LinkShutdownTest, WhatEachInterfaceAndModelSendsAtExit) {
    struct Case {
        std::int16_t typeEcu, typeInterface;
        bool sends, closes;
    };
    const Case cases[] = {
        {0, 0, false, true}, {3, 4, false, true}, {5, 0, false, true}, {4, 4, true, true}, {4, 3, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "model " << c.typeEcu << " interface " << c.typeInterface);
        if (!cable.isOpen()) {
            ASSERT_EQ(cable.open("Dravio simulated K-line"), ports::kCableOk);
        }
        cable.clearEvents();
        link.TypeECU = c.typeEcu;
        link.TypeInterface = c.typeInterface == 3 ? link::kInterfaceElm327 : c.typeInterface;
        ecu::closeLink(link, ecu::RequestTable{}, c.typeEcu, c.typeInterface);
        EXPECT_EQ(!cable.writes().empty(), c.sends);
        EXPECT_EQ(!cable.isOpen(), c.closes);
    }
}

TEST_F(LinkShutdownTest, DemonstrationModeSendsNothingOnTheLine) {
    link.ModeDemo = true;
    link.TypeECU = 4;
    ecu::closeLink(link, ecu::RequestTable{}, 4, 0);
    EXPECT_TRUE(cable.writes().empty());
    EXPECT_FALSE(cable.isOpen());
}

}  // namespace
}  // namespace dravio::gui
