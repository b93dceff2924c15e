// session: the device factory. From an InterfaceChoice it builds what the link
// talks through: the K-line cable (FTDI through libftdi, a tty, or the simulated
// cable with the model's simulated ECU behind it) or the ELM327's serial port,
// with a traffic recorder in front of every K-line cable.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/clock.h"
#include "proto/models.h"
#include "session/interface_choice.h"

namespace dravio::ports {
class KLineCable;
class SerialPort;
class SimCable;
struct TrafficEvent;
}  // namespace dravio::ports

namespace dravio::sim {
struct SimulatedEcu;
}

namespace dravio::session {

// Where devices come from; tests hand in simulated ones.
class DeviceFactory {
public:
    virtual ~DeviceFactory() = default;
    virtual std::unique_ptr<ports::KLineCable> ftdiCable() = 0;
    virtual std::unique_ptr<ports::KLineCable> ttyCable() = 0;
    virtual std::unique_ptr<ports::SerialPort> serialPort() = 0;
    // The serial devices present, in "Com" order (ttyUSB, ttyACM, rfcomm, ttyS).
    virtual std::vector<std::string> serialDevices() = 0;
    // The K-line cables among them (USB adapters: ttyUSB, ttyACM).
    virtual std::vector<std::string> klineDevices() = 0;
};

// libftdi, POSIX ttys and serial ports, the devices under /dev.
std::unique_ptr<DeviceFactory> realDeviceFactory();

// The FTDI descriptions the factory's cable lists; `error` says why when none.
std::vector<std::string> listFtdiCables(DeviceFactory& factory, std::string& error);

struct OpenOptions {
    // A simulated ECU that talks from the start, with no wake-up.
    bool awake = false;
};

class Devices {
public:
    Devices();
    ~Devices();
    Devices(Devices&&) noexcept;
    Devices& operator=(Devices&&) noexcept;

    // Opens the devices of `choice` for `model`; on failure `error` says why
    // in one line and the result holds nothing open.
    static Devices open(const InterfaceChoice& choice, proto::Model model, base::Clock& clock,
                        DeviceFactory& factory, std::string& error, OpenOptions options = {});

    // Takes over an ELM327 port the caller has already opened.
    static Devices adoptElm(const InterfaceChoice& choice, std::unique_ptr<ports::SerialPort> port);

    const InterfaceChoice& choice() const;
    // The K-line as the link uses it (the traffic recorder); null for the ELM327 and demonstration.
    ports::KLineCable* cable() const;
    ports::SerialPort* elmPort() const;
    // The simulated ECU and its cable, when the choice is the simulator.
    sim::SimulatedEcu* simulatedEcu() const;
    ports::SimCable* simCable() const;
    proto::Model simulatedModel() const;

    // The simulated rider turns the key; false when there is no one-byte twin.
    bool turnKeyOn(base::Clock::TimePoint now);
    // Every byte and line event on the K-line cable.
    void setTrafficSink(std::function<void(const ports::TrafficEvent&)> sink);
    // Closes and opens the ELM327's port again, its settings applied anew.
    bool reopenElm(std::string& error);
    // Opens the cable or the adapter again after it went away (plugged back in).
    bool reopen(std::string& error);
    // Lets go of every device.
    void close();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace dravio::session
