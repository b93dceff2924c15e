// twin: a lambda source (or any sim::SerialSource) behind the simulated serial port.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "base/clock.h"
#include "ports/sim_serial_port.h"
#include "sim/serial_source.h"

namespace dravio::twin {

// A serial port with `source` at its far end. Every look at the input first
// delivers the bytes due by the clock's now.
class SourceSerialPort final : public ports::SerialPort {
public:
    SourceSerialPort(base::Clock& clock, sim::SerialSource& source);

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
    bool gone() const override { return port_.gone(); }

private:
    void settle();

    base::Clock& clock_;
    sim::SerialSource& source_;
    ports::SimSerialPort port_;
};

}  // namespace dravio::twin
