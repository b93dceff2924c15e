// The lambda sources end to end: dravio-responder --dlp / --mts on a
// pseudo-terminal, read through the real serial port as the AFR window does.
#include <gtest/gtest.h>

#include <thread>

#include "base/clock.h"
#include "display/lambda_sources.h"
#include "ports/posix_serial_port.h"
#include "responder_process.h"

namespace dravio {
namespace {

using display::AfrSource;

TEST(LambdaResponder, DlpModuleAndMtsControllersOnAPseudoTerminal) {
    for (const AfrSource source : {AfrSource::DlpIo8, AfrSource::Mts}) {
        testing::ResponderProcess responder({source == AfrSource::Mts ? "--mts" : "--dlp"});
        ASSERT_FALSE(responder.path().empty());
        base::RealClock clock;
        ports::PosixSerialPort port;
        base::ViewState frmAFR;
        display::LambdaAcquisition afr(frmAFR, clock, {source, 1, responder.path(), {}}, &port, nullptr);
        afr.chDLP_Click(true);
        ASSERT_TRUE(frmAFR.messages().empty()) << frmAFR.messages()[0].text;
        if (source == AfrSource::DlpIo8) {
            afr.AcquiertLambda(0.15);
            EXPECT_EQ(frmAFR.text("lbVolt0"), "2.500");
            EXPECT_EQ(frmAFR.text("lbVolt1"), "2.998");                // 3 V is count 614 of the 10-bit converter
            EXPECT_NE(responder.log().find("5A"), std::string::npos);  // "Z" asked, in the sniff log
        } else {
            for (int i = 0; i < 20 && afr.mts().AFR1 == 0; ++i) {
                std::this_thread::sleep_for(std::chrono::milliseconds(150));
                afr.AcquiertLambda(0.15);
            }
            // Both controllers warm up during the first 10 s: a percentage.
            EXPECT_GT(afr.mts().AFR1, 0.0f);
            EXPECT_LE(afr.mts().AFR1, 100.0f);
            EXPECT_NEAR(afr.mts().AFR2, afr.mts().AFR1, 1.0f);
        }
        // Unplugged: the last reading does not stay on show.
        responder.kill();
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        for (int i = 0; i < 3; ++i) afr.AcquiertLambda(0.15);
        EXPECT_EQ(frmAFR.text("lbAFR0"), "--") << static_cast<int>(source);
        EXPECT_FALSE(afr.acquiring());
        EXPECT_EQ(frmAFR.messages().size(), 1u);
    }
}

}  // namespace
}  // namespace dravio
