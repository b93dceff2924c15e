#include "app/responder_lambda.h"

#include <unistd.h>

#include <iostream>

#include "base/clock.h"
#include "sim/dlp_module.h"
#include "sim/mts_stream.h"
#include "sim/pty.h"
#include "sim/serial_source.h"
#include "sim/sniff_log.h"

namespace dravio::app {

int serveLambdaSource(bool mts, bool pty, const std::string& device, const std::string& logPath, int stopFd) {
    base::RealClock clock;
    sim::MtsStream stream(clock.now());
    stream.playWarmUpThenSweep(std::chrono::seconds(10));
    sim::DlpModule dlp;
    dlp.setVolts(0, 2.5f);
    dlp.setVolts(1, 3.0f);
    sim::SerialSource& source = mts ? static_cast<sim::SerialSource&>(stream) : dlp;

    std::string error;
    const auto fail = [&] {
        std::cerr << "dravio-responder: " << error << '\n';
        return 1;
    };
    auto log = sim::SniffLog::open(logPath, clock.now(), error);
    if (!log) return fail();
    sim::Pty terminal;
    int fd = -1;
    if (pty) {
        if (!terminal.create(error)) return fail();
        fd = terminal.masterFd();
        std::cout << terminal.slavePath() << '\n' << std::flush;
    } else if ((fd = sim::openDevice(device, mts ? 19200 : 115200, error)) < 0) {
        return fail();
    }
    const int status = sim::serveSource(fd, stopFd, source, clock, log.get(), error);
    if (!pty) ::close(fd);
    return status == 0 ? 0 : fail();
}

}  // namespace dravio::app
