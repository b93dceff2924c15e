// session: what the AFR window reads: the serial port of a DLP-IO8 module or an
// MTS controller, or the DAQ board. With the simulator the port has a simulated
// controller at its far end and the board is the simulated one, so the whole
// path can be tried without hardware.
#pragma once

#include <memory>

#include "base/clock.h"
#include "display/lambda_sources.h"
#include "ports/daq_board.h"
#include "ports/serial_port.h"
#include "sim/serial_source.h"
#include "support/settings.h"

namespace dravio::session {

struct LambdaDevices {
    std::unique_ptr<sim::SerialSource> source;  // the simulated controller, if any
    std::unique_ptr<ports::SerialPort> port;
    std::unique_ptr<ports::DaqBoard> board;

    // The devices `source` needs; none for AfrSource::None.
    static LambdaDevices open(display::AfrSource source, bool simulated, base::Clock& clock);
};

// SourceAFR, PortAFR and the two calibration lines (with their slopes) from the settings.
display::LambdaConfig lambdaConfig(const support::Settings& settings);

}  // namespace dravio::session
