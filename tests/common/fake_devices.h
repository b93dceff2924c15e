// Test support: a device factory of simulated cables and ports whose state the
// test sets before the window asks and reads afterwards.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "ports/sim_cable.h"
#include "ports/sim_serial_port.h"
#include "session/devices.h"

namespace dravio::session::testing {

class FakeDevices final : public DeviceFactory {
public:
    explicit FakeDevices(base::Clock& clock) : clock_(clock) {}

    std::vector<std::string> ftdi;         // the FTDI cables present
    std::vector<std::string> kline;        // /dev/ttyUSB*, /dev/ttyACM*
    std::vector<std::string> serial;       // every serial device, in Com order
    bool unplugged = false;                // cables made from now on fail
    int elmOpenError = 0;                  // the next serial port's open() error
    std::string elmOpenReason;
    ports::SimCable* lastCable = nullptr;  // the last cable made
    ports::SimSerialPort* lastPort = nullptr;

    std::unique_ptr<ports::KLineCable> ftdiCable() override { return cable(ftdi); }
    std::unique_ptr<ports::KLineCable> ttyCable() override { return cable(kline); }
    std::unique_ptr<ports::SerialPort> serialPort() override {
        auto port = std::make_unique<ports::SimSerialPort>();
        if (elmOpenError != 0) port->failOpenWith(elmOpenError, elmOpenReason);
        lastPort = port.get();
        return port;
    }
    std::vector<std::string> serialDevices() override { return serial; }
    std::vector<std::string> klineDevices() override { return kline; }

private:
    std::unique_ptr<ports::KLineCable> cable(const std::vector<std::string>& names) {
        auto made = std::make_unique<ports::SimCable>(clock_, names);
        made->setUnplugged(unplugged);
        lastCable = made.get();
        return made;
    }
    base::Clock& clock_;
};

}  // namespace dravio::session::testing
