// The lambda sources end to end: dravio-responder --dlp / --mts on a
// pseudo-terminal, read through the real serial port as the AFR window does.
#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "base/clock.h"
#include "display/lambda_sources.h"
#include "ports/posix_serial_port.h"
#include "responder_process.h"

namespace dravio {
namespace {

using namespace std::chrono_literals;

TEST(LambdaResponder, DlpModuleOnAPseudoTerminal) {
    testing::ResponderProcess responder({"--dlp"});
    ASSERT_FALSE(responder.path().empty());
    base::RealClock clock;
    ports::PosixSerialPort port;
    base::ViewState frmAFR;
    display::LambdaConfig config{display::AfrSource::DlpIo8, 1, responder.path(), {}};
    config.lines[0] = display::CalibrationLine{0, 5, 10, 20}.withSlope();
    config.lines[1] = config.lines[0];
    display::LambdaAcquisition afr(frmAFR, clock, config, &port, nullptr);
    afr.chDLP_Click(true);
    ASSERT_TRUE(frmAFR.messages().empty()) << frmAFR.messages()[0].text;
    afr.AcquiertLambda(0.15);
    EXPECT_EQ(frmAFR.text("lbVolt0"), "2.500");
    EXPECT_NE(responder.log().find("5A"), std::string::npos);  // "Z" asked, in the sniff log
    EXPECT_EQ(frmAFR.text("lbAFR0"), "15.000");
    EXPECT_EQ(frmAFR.text("lbVolt1"), "2.998");  // 3 V is count 614 of the 10-bit converter
}

TEST(LambdaResponder, MtsControllersWarmingUpOnAPseudoTerminal) {
    testing::ResponderProcess responder({"--mts"});
    ASSERT_FALSE(responder.path().empty());
    base::RealClock clock;
    ports::PosixSerialPort port;
    base::ViewState frmAFR;
    display::LambdaAcquisition afr(frmAFR, clock, {display::AfrSource::Mts, 1, responder.path(), {}}, &port, nullptr);
    afr.chDLP_Click(true);
    ASSERT_TRUE(frmAFR.messages().empty()) << frmAFR.messages()[0].text;
    float percent = 0;
    for (int i = 0; i < 20 && percent == 0; ++i) {
        std::this_thread::sleep_for(150ms);
        afr.AcquiertLambda(0.15);
        percent = afr.mts().AFR1;
    }
    // Warming up during the first 10 s: a percentage, the second controller alike.
    EXPECT_GT(percent, 0.0f);
    EXPECT_LE(percent, 100.0f);
    EXPECT_NEAR(afr.mts().AFR2, percent, 1.0f);
}

}  // namespace
}  // namespace dravio
