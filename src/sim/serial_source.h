// sim: devices that sit at the far end of a serial port (wideband lambda
// sources), on a clock. The program's bytes reach the device when written;
// the device's bytes are due at given times. SourceSerialPort puts one behind
// the simulated serial port; serveSource plays one on a file descriptor (a
// pseudo-terminal) for the bench responder.
#pragma once

#include <string>
#include <string_view>

#include "base/clock.h"
#include "ports/sim_serial_port.h"
#include "sim/sniff_log.h"

namespace dravio::sim {

using base::Clock;

class SerialSource {
public:
    virtual ~SerialSource() = default;
    // Bytes from the program, heard at `t`.
    virtual void received(Clock::TimePoint t, std::string_view bytes) = 0;
    // The bytes due by `now`, in order, removed.
    virtual std::string takeDue(Clock::TimePoint now) = 0;
    // When the next byte is due; max() when nothing will come unasked.
    virtual Clock::TimePoint nextDue() const = 0;
};

// A serial port with `source` at its far end. Every look at the input first
// delivers the bytes due by the clock's now.
class SourceSerialPort final : public ports::SerialPort {
public:
    SourceSerialPort(base::Clock& clock, SerialSource& source);

    ports::SimSerialPort& port() { return port_; }

    void setPortNumber(int number) override { port_.setPortNumber(number); }
    void setDevicePath(const std::string& path) override { port_.setDevicePath(path); }
    int setSettings(std::string_view settings) override { return port_.setSettings(settings); }
    int open() override;
    void close() override { port_.close(); }
    bool isOpen() const override { return port_.isOpen(); }
    void setBinaryMode(bool binary) override { port_.setBinaryMode(binary); }
    bool output(std::string_view data) override { return port_.output(data); }
    std::size_t inputCount() override;
    std::string input() override;
    std::string lastError() const override { return port_.lastError(); }

private:
    void settle();

    base::Clock& clock_;
    SerialSource& source_;
    ports::SimSerialPort port_;
};

// Serves `fd` with `source` until `stopFd` closes (when >= 0) or `fd` fails,
// logging both ways to `log` when given. Returns 0, or 1 with `error` set.
int serveSource(int fd, int stopFd, SerialSource& source, base::Clock& clock, SniffLog* log, std::string& error);

}  // namespace dravio::sim
