#include "display/lambda_sources.h"

#include <gtest/gtest.h>

#include "ports/sim_daq_board.h"
#include "sim/dlp_module.h"
#include "sim/mts_stream.h"
#include "sim/serial_source.h"

namespace dravio::display {
namespace {

using namespace std::chrono_literals;

TEST(Calibration, SlopeAndAfrFromTheTwoPoints) {
    const struct {
        CalibrationLine line;
        float volts;
        float slope;
        float afr;
    } cases[] = {
        {{0, 5, 10, 20}, 2.5f, 2.0f, 15.0f},
        {{0, 5, 10, 20}, 0.0f, 2.0f, 10.0f},
        {{1, 4, 10, 16}, 4.0f, 2.0f, 16.0f},  // through the high point even when ViL is not 0
        {{2, 2, 11, 20}, 4.9f, 0.0f, 11.0f},  // equal volt points: flat at FRiL
    };
    for (const auto& c : cases) {
        const CalibrationLine line = c.line.withSlope();
        EXPECT_FLOAT_EQ(line.slope, c.slope);
        EXPECT_FLOAT_EQ(line.afr(c.volts), c.afr);
    }
}

TEST(Sources, NamesOfTheOptionsList) {
    EXPECT_EQ(sourceFromName("Nothing"), AfrSource::None);
    EXPECT_EQ(sourceFromName("DLP-IO8"), AfrSource::DlpIo8);
    EXPECT_EQ(sourceFromName("LC-LM"), AfrSource::Mts);
    EXPECT_EQ(sourceFromName("USB-1208"), AfrSource::Usb1208);
    EXPECT_EQ(sourceFromName("lc-lm"), AfrSource::None);
}

struct DlpBench {
    base::VirtualClock clock;
    sim::DlpModule module;
    sim::SourceSerialPort port{clock, module};
    base::ViewState frmAFR;
    LambdaConfig config{
        AfrSource::DlpIo8, 3, {}, {CalibrationLine{}.withSlope(), CalibrationLine{0, 5, 10, 20}.withSlope()}};
    LambdaAcquisition afr{frmAFR, clock, config, &port, nullptr};
};

TEST(DlpIo8, StartPutsTheModuleInBinaryModeAndReadsBothChannels) {
    DlpBench b;
    b.afr.chDLP_Click(true);
    EXPECT_EQ(b.port.port().settingsText(), "115200,n,8,1");
    EXPECT_EQ(b.port.port().portNumber(), 3);
    EXPECT_TRUE(b.module.binary());
    b.module.setVolts(0, 2.5f);
    b.module.setVolts(1, 4.995f);
    b.afr.AcquiertLambda(0.15);
    EXPECT_EQ(b.frmAFR.text("lbVolt0"), "2.500");
    EXPECT_EQ(b.frmAFR.text("lbAFR0"), "15.000");
    EXPECT_EQ(b.frmAFR.text("lbVolt1"), "4.995");  // 0x03 0xFF: 1023 x 5 / 1024
    EXPECT_EQ(b.frmAFR.text("lbAFR1"), "19.990");
    b.afr.chDLP_Click(false);
    EXPECT_FALSE(b.port.isOpen());
}

TEST(DlpIo8, RawBytesToVolts) {
    const struct {
        std::string answer;
        float volts;
    } cases[] = {
        {"\x03\xFF", 4.995f},
        {std::string("\x00\x00", 2), 0.0f},
        {std::string("\x02\x00", 2), 2.5f},
        {"\x01", 1.25f + 0.0048828f},  // one byte: first and last are the same byte
        {"", 0.0f},                    // nothing within 100 ms
    };
    for (const auto& c : cases) {
        base::VirtualClock clock;
        ports::SimSerialPort port;
        std::string asked;
        port.setPeer([&](std::string_view out) {
            asked += out;
            port.deliver(c.answer);
        });
        port.setPortNumber(1);
        ASSERT_EQ(port.open(), ports::kSerialOk);
        base::ViewState view;
        LambdaAcquisition afr(view, clock, {}, &port, nullptr);
        EXPECT_NEAR(afr.LitVoltDLP(1), c.volts, 0.0005f);
        EXPECT_EQ(asked, "X");
    }
}

TEST(DlpIo8, SilentModuleTimesOutAfter100Milliseconds) {
    DlpBench b;
    b.afr.chDLP_Click(true);
    b.module.setSilent(true);
    const auto start = b.clock.now();
    EXPECT_EQ(b.afr.LitVoltDLP(0), 0.0f);
    EXPECT_EQ(b.clock.now() - start, 100ms);
}

TEST(DlpIo8, PortThatCannotOpenShowsComError) {
    DlpBench b;
    b.port.port().failOpenWith(ports::kSerialOpenFailed, "busy");
    b.afr.chDLP_Click(true);
    ASSERT_EQ(b.frmAFR.messages().size(), 1u);
    EXPECT_EQ(b.frmAFR.messages()[0].text, "Com Error Port:3\nDisconnect and connect the DLP8-LC1");
    EXPECT_EQ(b.frmAFR.messages()[0].icon, base::MessageBox::Icon::Critical);
}

TEST(MtsSource, StreamFromTheSimulatedControllersReachesTheWindow) {
    base::VirtualClock clock;
    sim::MtsStream stream(clock.now());
    sim::SourceSerialPort port(clock, stream);
    base::ViewState frmAFR;
    LambdaAcquisition afr(frmAFR, clock, {AfrSource::Mts, 2, {}, {}}, &port, nullptr);
    afr.chDLP_Click(true);
    EXPECT_EQ(port.port().settingsText(), "19200,n,8,1");

    stream.setWarmingUp(0, 45.5f);
    stream.setError(1, 9);
    clock.advance(150ms);
    afr.AcquiertLambda(0.15);
    EXPECT_EQ(afr.afrText(0), "45.50");
    EXPECT_EQ(afr.afrText(1), "9.00");

    stream.setLambda(0, 1.0f);
    stream.setLambda(1, 0.8f);
    clock.advance(150ms);
    afr.AcquiertLambda(0.15);
    EXPECT_EQ(afr.afrText(0), "14.70");
    EXPECT_EQ(afr.afrText(1), "11.76");
}

TEST(MtsSource, TestBoxFeedsTheTestPacket) {
    base::VirtualClock clock;
    base::ViewState frmAFR;
    LambdaAcquisition afr(frmAFR, clock, {AfrSource::Mts, 2, {}, {}}, nullptr, nullptr);
    afr.chDLP_Click(true);
    afr.chTest = true;
    afr.AcquiertLambda(0.15);
    EXPECT_EQ(afr.afrText(0), "28.20");
    EXPECT_EQ(afr.afrText(1), "27.20");
}

TEST(Usb1208, RangeFollowsTheLastReading) {
    const struct {
        float volts;
        std::int16_t range;
    } cases[] = {{0.5f, 4}, {-0.5f, 4}, {1.5f, 2}, {3.0f, 0}, {9.0f, 1}, {12.0f, 15}};
    for (const auto& c : cases) EXPECT_EQ(rangeFor(c.volts), c.range) << c.volts;
}

TEST(Usb1208, FiveReadingAverageWithRangeSelectionAndCorrection) {
    base::VirtualClock clock;
    ports::SimDaqBoard board;
    board.setVolts(0, 0.5f);
    board.setVolts(1, 12.0f);
    base::ViewState frmAFR;
    LambdaAcquisition afr(frmAFR, clock, {AfrSource::Usb1208, 0, {}, {}}, nullptr, &board);
    afr.chDLP_Click(true);
    afr.AcquiertLambda(0.15);
    EXPECT_EQ(board.rangesAsked(), (std::vector<int>{15, 4, 4, 4, 4, 4, 15, 15, 15, 15, 15, 15}));
    EXPECT_EQ(frmAFR.text("lbVolt0"), "0.497");  // 0.5 on the 1 V range, less 0.003
    EXPECT_EQ(frmAFR.text("lbAFR0"), "0.5");
    EXPECT_EQ(frmAFR.text("lbAFR1"), "12.0");
}

TEST(Usb1208, BoardFailures) {
    base::VirtualClock clock;
    ports::SimDaqBoard board;
    base::ViewState frmAFR;
    LambdaAcquisition afr(frmAFR, clock, {AfrSource::Usb1208, 0, {}, {}}, nullptr, &board);
    afr.chDLP_Click(true);

    board.setRanges({ports::kBip10Volts});
    EXPECT_EQ(afr.LitCanalCBW(0), LambdaAcquisition::kBoardFailure);
    ASSERT_EQ(frmAFR.messages().size(), 1u);
    EXPECT_EQ(frmAFR.messages()[0].title, "Unsupported Gain");
    EXPECT_EQ(frmAFR.messages()[0].text, "Change the Gain argument to one supported by this board.");
    EXPECT_TRUE(afr.acquiring());

    board.failWith(ports::kDaqBadBoard);
    afr.AcquiertLambda(0.15);
    ASSERT_EQ(frmAFR.messages().size(), 2u);
    EXPECT_EQ(frmAFR.messages()[1].text, "Measurement failed");
    EXPECT_EQ(frmAFR.messages()[1].title, "Measurement Computing");
    EXPECT_FALSE(afr.acquiring());
    EXPECT_EQ(frmAFR.text("lbVolt0"), "996.000");
    afr.AcquiertLambda(0.15);  // unchecked: no more readings, no more messages
    EXPECT_EQ(frmAFR.messages().size(), 2u);
}

TEST(Usb1208, BuildWithoutTheVendorLibrarySaysMeasurementFailed) {
    base::VirtualClock clock;
    const auto board = ports::openDaqBoard();
    base::ViewState frmAFR;
    LambdaAcquisition afr(frmAFR, clock, {AfrSource::Usb1208, 0, {}, {}}, nullptr, board.get());
    afr.chDLP_Click(true);
    afr.AcquiertLambda(0.15);
    ASSERT_EQ(frmAFR.messages().size(), 1u);
    EXPECT_EQ(frmAFR.messages()[0].text, "Measurement failed");
    EXPECT_NE(board->describe().find("no Measurement Computing library"), std::string::npos);
}

}  // namespace
}  // namespace dravio::display
