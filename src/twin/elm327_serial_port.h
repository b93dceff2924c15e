// twin: an ELM327 adapter behind a serial port, on a clock. What the program
// outputs reaches the emulator at the clock's time; every look at the input
// (inputCount, input) first delivers the characters due by now, so a reader
// that polls inputCount() while its clock advances sees the adapter's answer
// arrive at the times a real adapter would send it.
#pragma once

#include "base/clock.h"
#include "ports/sim_serial_port.h"
#include "sim/elm327_emulator.h"

namespace dravio::twin {

class Elm327SerialPort final : public ports::SerialPort {
public:
    Elm327SerialPort(base::Clock& clock, sim::Elm327Emulator& adapter);

    // Moves the characters due by now into the port.
    void settle();
    // Sleeps on the clock until `count` characters wait or `deadline` passes,
    // waking exactly when the adapter has something to say. Returns the count.
    std::size_t waitForInput(std::size_t count, base::Clock::TimePoint deadline);

    ports::SimSerialPort& port() { return port_; }
    sim::Elm327Emulator& adapter() { return adapter_; }

    void setPortNumber(int number) override { port_.setPortNumber(number); }
    void setDevicePath(const std::string& path) override { port_.setDevicePath(path); }
    int setSettings(std::string_view settings) override { return port_.setSettings(settings); }
    int open() override { return port_.open(); }
    void close() override { port_.close(); }
    bool isOpen() const override { return port_.isOpen(); }
    void setBinaryMode(bool binary) override { port_.setBinaryMode(binary); }
    bool output(std::string_view data) override;
    std::size_t inputCount() override;
    std::string input() override;
    std::string lastError() const override { return port_.lastError(); }

private:
    base::Clock& clock_;
    sim::Elm327Emulator& adapter_;
    ports::SimSerialPort port_;
};

}  // namespace dravio::twin
