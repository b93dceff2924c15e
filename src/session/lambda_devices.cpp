#include "session/lambda_devices.h"

#include <chrono>

#include "ports/posix_serial_port.h"
#include "ports/sim_daq_board.h"
#include "sim/dlp_module.h"
#include "sim/mts_stream.h"
#include "twin/source_serial_port.h"

namespace dravio::session {

namespace {
// What the simulated controllers' analog outputs read, as the bench responder has them.
constexpr float kSimVolts[2] = {2.5f, 3.0f};
constexpr auto kSimWarmUp = std::chrono::seconds(10);
}  // namespace

LambdaDevices LambdaDevices::open(display::AfrSource source, bool simulated, base::Clock& clock) {
    LambdaDevices d;
    switch (source) {
        case display::AfrSource::None:
            return d;
        case display::AfrSource::Usb1208:
            if (simulated) {
                auto board = std::make_unique<ports::SimDaqBoard>();
                for (int i = 0; i < 2; ++i) board->setVolts(i, kSimVolts[i]);
                d.board = std::move(board);
            } else {
                d.board = ports::openDaqBoard();
            }
            return d;
        case display::AfrSource::DlpIo8:
        case display::AfrSource::Mts:
            break;
    }
    if (!simulated) {
        d.port = std::make_unique<ports::PosixSerialPort>();
        return d;
    }
    if (source == display::AfrSource::Mts) {
        auto stream = std::make_unique<sim::MtsStream>(clock.now());
        stream->playWarmUpThenSweep(kSimWarmUp);
        d.source = std::move(stream);
    } else {
        auto dlp = std::make_unique<sim::DlpModule>();
        for (int i = 0; i < 2; ++i) dlp->setVolts(i, kSimVolts[i]);
        d.source = std::move(dlp);
    }
    d.port = std::make_unique<twin::SourceSerialPort>(clock, *d.source);
    return d;
}

display::LambdaConfig lambdaConfig(const support::Settings& settings) {
    display::LambdaConfig config;
    config.SourceAFR = display::sourceFromName(settings.LcDlp);
    config.PortAFR = settings.Port;
    for (std::size_t i = 0; i < 2; ++i) {
        display::CalibrationLine line;
        line.voltsLow = settings.LowVolts[i];
        line.voltsHigh = settings.HighVolts[i];
        line.afrLow = settings.LowAfr[i];
        line.afrHigh = settings.HighAfr[i];
        config.lines[i] = line.withSlope();
    }
    return config;
}

}  // namespace dravio::session
