#include "display/lambda_sources.h"

#include <gtest/gtest.h>

#include "ports/sim_daq_board.h"
#include "sim/dlp_module.h"
#include "sim/mts_stream.h"
#include "sim/serial_source.h"
#include "twin/source_serial_port.h"

namespace dravio::display {
namespace {

using namespace std::chrono_literals;

TEST(Calibration, SlopeAndAfrFromTheTwoPoints) {
    const struct {
        CalibrationLine line;
        float volts, slope, afr;
    } cases[] = {{{0, 5, 10, 20}, 2.5f, 2.0f, 15.0f},
                 {{1, 4, 10, 16}, 4.0f, 2.0f, 16.0f},   // through the high point even when ViL is not 0
                 {{2, 2, 11, 20}, 4.9f, 0.0f, 11.0f}};  // equal volt points: flat at FRiL
    for (const auto& c : cases) {
        EXPECT_FLOAT_EQ(c.line.withSlope().slope, c.slope);
        EXPECT_FLOAT_EQ(c.line.withSlope().afr(c.volts), c.afr);
    }
}

struct DlpBench {
    base::VirtualClock clock;
    sim::DlpModule module;
    twin::SourceSerialPort port{clock, module};
    base::ViewState frmAFR;
    LambdaAcquisition afr{frmAFR,
                          clock,
                          {AfrSource::DlpIo8, 3, {}, {CalibrationLine{}.withSlope(), CalibrationLine{}.withSlope()}},
                          &port,
                          nullptr};
};

TEST(DlpIo8, BinaryModeThenBothChannelsThroughTheirLines) {
    DlpBench b;
    b.afr.chDLP_Click(true);
    EXPECT_EQ(b.port.port().settingsText(), "115200,n,8,1");
    EXPECT_TRUE(b.module.binary());
    b.module.setVolts(0, 2.5f);
    b.module.setVolts(1, 4.995f);  // count 1023: bytes 0x03 0xFF
    b.afr.AcquiertLambda(0.15);
    EXPECT_EQ((std::vector{b.frmAFR.text("lbVolt0"), b.frmAFR.text("lbAFR0"), b.frmAFR.text("lbVolt1"),
                           b.frmAFR.text("lbAFR1")}),
              (std::vector<std::string>{"2.500", "15.000", "4.995", "19.990"}));
}

TEST(DlpIo8, SilenceOrABadPortAfterTheStart) {
    DlpBench b;
    b.afr.chDLP_Click(true);
    b.module.setSilent(true);
    const auto start = b.clock.now();
    EXPECT_EQ(b.afr.LitVoltDLP(0), 0.0f);
    EXPECT_EQ(b.clock.now() - start, 100ms);  // no answer within 100 ms

    b.afr.chDLP_Click(false);
    b.port.port().failOpenWith(ports::kSerialOpenFailed, "busy");
    b.afr.chDLP_Click(true);
    ASSERT_EQ(b.frmAFR.messages().size(), 1u);
    EXPECT_EQ(b.frmAFR.messages()[0].text, "Com Error Port:3\nDisconnect and connect the DLP8-LC1");
}

TEST(MtsSource, ControllerStatesReachTheWindow) {
    base::VirtualClock clock;
    sim::MtsStream stream(clock.now());
    twin::SourceSerialPort port(clock, stream);
    base::ViewState frmAFR;
    LambdaAcquisition afr(frmAFR, clock, {AfrSource::Mts, 2, {}, {}}, &port, nullptr);
    afr.chDLP_Click(true);  // waits 50 ms and drops what came
    EXPECT_EQ(port.port().settingsText(), "19200,n,8,1");
    clock.advance(500ms);  // one packet of two sub-packets every 81.92 ms: 6 by now
    EXPECT_EQ(port.inputCount(), 6u * 10u);
    port.input();
    const struct {
        std::function<void()> set;
        const char *afr1, *afr2;
    } steps[] = {
        {[&] { stream.setWarmingUp(0, 45.5f), stream.setError(1, 9); }, "45.50", "9.00"},
        {[&] { stream.setLambda(0, 1.0f), stream.setLambda(1, 0.8f); }, "14.70", "11.76"},
    };
    for (const auto& s : steps) {
        s.set();
        clock.advance(150ms);
        afr.AcquiertLambda(0.15);
        EXPECT_EQ(afr.afrText(0), s.afr1);
        EXPECT_EQ(afr.afrText(1), s.afr2);
    }
}

// Either serial source unplugged while acquiring: no stale or zero reading stays on
// show, the acquisition stops at once and the user is told once.
TEST(SerialSources, UnpluggedDeviceStopsTheAcquisitionAndShowsNoValue) {
    for (const AfrSource source : {AfrSource::DlpIo8, AfrSource::Mts}) {
        base::VirtualClock clock;
        sim::DlpModule module;
        sim::MtsStream stream(clock.now());
        twin::SourceSerialPort port(clock, source == AfrSource::Mts ? static_cast<sim::SerialSource&>(stream) : module);
        base::ViewState frmAFR;
        LambdaAcquisition afr(frmAFR, clock, {source, 2, {}, {}}, &port, nullptr);
        afr.texts = [](int id, const std::string&) { return "text " + std::to_string(id); };
        afr.chDLP_Click(true);
        clock.advance(200ms);
        afr.AcquiertLambda(0.15);
        ASSERT_NE(afr.afrText(0), "--") << static_cast<int>(source);
        port.port().setGone(true);
        for (int cycle = 0; cycle < 3; ++cycle) {
            const auto before = clock.now();
            afr.AcquiertLambda(0.15);
            EXPECT_EQ(clock.now(), before) << "no wait on a device that is gone";
        }
        EXPECT_FALSE(afr.acquiring());
        EXPECT_EQ(frmAFR["chDLP"].checked, false);
        EXPECT_EQ((std::vector{afr.afrText(0), afr.afrText(1)}), (std::vector<std::string>{"--", "--"}));
        ASSERT_EQ(frmAFR.messages().size(), 1u);
        EXPECT_EQ(frmAFR.messages()[0].text.rfind("text 3420", 0), 0u) << frmAFR.messages()[0].text;
    }
}

struct UsbBench {
    base::VirtualClock clock;
    ports::SimDaqBoard board;
    base::ViewState frmAFR;
    LambdaAcquisition afr{frmAFR, clock, {AfrSource::Usb1208, 0, {}, {}}, nullptr, &board};
    UsbBench() { afr.chDLP_Click(true); }
};

TEST(Usb1208, FiveReadingAverageWithRangeSelectionAndCorrection) {
    UsbBench u;
    u.board.setVolts(0, 0.5f);
    u.board.setVolts(1, 12.0f);
    u.afr.AcquiertLambda(0.15);
    EXPECT_EQ(u.board.rangesAsked(), (std::vector<int>{15, 4, 4, 4, 4, 4, 15, 15, 15, 15, 15, 15}));
    EXPECT_EQ(u.frmAFR.text("lbVolt0"), "0.497");  // 0.5 on the 1 V range, less 0.003
    EXPECT_EQ(u.frmAFR.text("lbAFR0"), "0.5");
    EXPECT_EQ(u.frmAFR.text("lbAFR1"), "12.0");
}

TEST(Usb1208, BoardFailures) {
    UsbBench u;
    auto& [clock, board, frmAFR, afr] = u;
    board.setRanges({ports::kBip10Volts});
    EXPECT_EQ(afr.LitCanalCBW(0), LambdaAcquisition::kBoardFailure);
    EXPECT_EQ(frmAFR.messages().at(0).title, "Unsupported Gain");
    EXPECT_TRUE(afr.acquiring());

    board.failWith(ports::kDaqBadBoard);
    afr.AcquiertLambda(0.15);
    EXPECT_EQ(frmAFR.messages().at(1).text, "Measurement failed");
    EXPECT_EQ(frmAFR.text("lbVolt0"), "996.000");
    afr.AcquiertLambda(0.15);  // unchecked: no more readings, no more messages
    EXPECT_EQ(frmAFR.messages().size(), 2u);
}

}  // namespace
}  // namespace dravio::display
