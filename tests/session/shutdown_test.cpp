#include "session/shutdown.h"

#include <gtest/gtest.h>

#include "ports/sim_cable.h"
#include "proto/framing.h"
#include "proto/hex.h"
#include "session/link_host.h"

namespace dravio::session {
namespace {

using std::chrono::milliseconds;

class ShutdownTest : public ::testing::Test {
protected:
    void open(InterfaceKind kind) {
        std::string error;
        ASSERT_TRUE(host.openDevices({kind, ""}, proto::Model::M59, error)) << error;
        if (auto* cable = host.devices.simCable()) {
            cable->setPeer(nullptr);  // nobody answers: each stop request waits its time-out
            cable->clearEvents();
        }
        host.link.setCable(host.devices.cable());
        start = clock.now();
    }
    std::string written() const {
        std::vector<std::uint8_t> bytes;
        for (const auto& event : host.devices.simCable()->writes()) bytes.push_back(static_cast<std::uint8_t>(event.value));
        return proto::toHex(bytes);
    }

    base::VirtualClock clock;
    base::EventLoop loop{clock};
    LinkHost host{clock, loop, realDeviceFactory()};
    base::Clock::TimePoint start;
};

TEST_F(ShutdownTest, KwpEcuGetsStopDiagnosticThenStopCommunicationThenTheCableCloses) {
    open(InterfaceKind::Simulator);
    host.link.TypeECU = proto::Model::M59;
    auto* cable = host.devices.simCable();
    closeLink(host.link, host.devices, true);
    const auto stopDiag = proto::frameRequest("20", proto::Model::M59, "10F1");
    EXPECT_EQ(written(), stopDiag + proto::frameRequest("82", proto::Model::M59, "10F1"));
    const auto writes = cable->writes();
    // 0.06 s pause, then the 6 ms gap before the first byte.
    EXPECT_EQ(writes.front().t - start, milliseconds(66));
    // The unanswered request waits its 1000 ms, then the pause and the gap again.
    const auto gap = writes[stopDiag.size() / 2].t - writes[stopDiag.size() / 2 - 1].t;
    EXPECT_GE(gap, milliseconds(1066));
    EXPECT_LT(gap, milliseconds(1100));
    EXPECT_FALSE(cable->isOpen());
}

TEST_F(ShutdownTest, WhatEachModelSendsAtExit) {
    const struct {
        proto::Model model;
        bool sendStops, demo, sends;
    } cases[] = {
        {proto::Model::MM16, true, false, false},
        {proto::Model::Obd, true, false, false},
        {proto::Model::M59, true, false, true},
        {proto::Model::M59, false, false, false},  // a one-off exchange ends no session
        {proto::Model::M59, true, true, false},    // demonstration: nothing on the line
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.model << " stops " << c.sendStops << " demo " << c.demo);
        open(InterfaceKind::Simulator);
        host.link.TypeECU = c.model;
        host.link.ModeDemo = c.demo;
        auto* cable = host.devices.simCable();
        closeLink(host.link, host.devices, c.sendStops);
        EXPECT_EQ(!cable->writes().empty(), c.sends);
        EXPECT_FALSE(cable->isOpen());
    }
}

}  // namespace
}  // namespace dravio::session
