#include "session/devices.h"

#include "ports/ftdi_cable.h"
#include "ports/kline_cable.h"
#include "ports/posix_serial_port.h"
#include "ports/serial_devices.h"
#include "ports/sim_cable.h"
#include "ports/traffic_cable.h"
#include "ports/tty_cable.h"
#include "sim/kline_device.h"
#include "twin/sim_cable_adapter.h"
#include "sim/responder.h"

namespace dravio::session {

namespace {
constexpr const char* kElmSettings = "38400,n,8,1";

class RealDeviceFactory final : public DeviceFactory {
public:
    std::unique_ptr<ports::KLineCable> ftdiCable() override { return std::make_unique<ports::FtdiCable>(); }
    std::unique_ptr<ports::KLineCable> ttyCable() override { return std::make_unique<ports::TtyCable>(); }
    std::unique_ptr<ports::SerialPort> serialPort() override { return std::make_unique<ports::PosixSerialPort>(); }
    std::vector<std::string> serialDevices() override { return ports::listSerialDevices(); }
    std::vector<std::string> klineDevices() override {
        auto found = ports::listDevicesOfKind("/dev", "ttyUSB");
        for (auto& path : ports::listDevicesOfKind("/dev", "ttyACM")) found.push_back(std::move(path));
        return found;
    }
};
}  // namespace

std::unique_ptr<DeviceFactory> realDeviceFactory() { return std::make_unique<RealDeviceFactory>(); }

std::vector<std::string> listFtdiCables(DeviceFactory& factory, std::string& error) {
    std::vector<std::string> found;
    auto cable = factory.ftdiCable();
    std::uint32_t count = 0;
    if (cable->deviceCount(count) != ports::kCableOk) {
        error = cable->lastError();
        return found;
    }
    std::string description;
    for (std::uint32_t i = 0; i < count; ++i) {
        if (cable->deviceDescription(i, description) == ports::kCableOk) found.push_back(description);
    }
    return found;
}

struct Devices::Impl {
    InterfaceChoice choice;
    proto::Model model = proto::Model::MM16;
    base::Clock* clock = nullptr;
    std::unique_ptr<sim::SimulatedEcu> simEcu;
    std::unique_ptr<twin::SimCableAdapter> adapter;
    ports::SimCable* simCable = nullptr;
    std::unique_ptr<ports::KLineCable> cable;
    std::unique_ptr<ports::TrafficCable> traffic;
    std::function<void(const ports::TrafficEvent&)> sink;
    std::unique_ptr<ports::SerialPort> elm;
    // What the cable was opened as, to open it again.
    std::string openedAs;
    std::uint32_t openedBaud = 0;

    ~Impl() {
        // The cable talks to the adapter until the end: silence it first.
        if (simCable != nullptr) simCable->setPeer(nullptr);
    }

    // Opens through the traffic recorder, so that it knows the baud rate from the start.
    bool openCable(const std::string& description, std::uint32_t baud, std::string& error) {
        openedAs = description;
        openedBaud = baud;
        traffic = std::make_unique<ports::TrafficCable>(*cable, *clock, [this](const ports::TrafficEvent& e) {
            if (sink) sink(e);
        });
        ports::KLineCable& line = *traffic;
        if (line.open(description) != ports::kCableOk) {
            error = "cannot open " + description + ": " + cable->lastError();
            return false;
        }
        if (line.setBaudRate(baud) != ports::kCableOk || line.setDataCharacteristics8N1() != ports::kCableOk) {
            error = "cannot set " + std::to_string(baud) + " baud 8N1 on " + description + ": " + cable->lastError();
            line.close();
            return false;
        }
        return true;
    }

    bool openElm(std::string& error) {
        elm->setDevicePath(choice.detail);
        elm->setSettings(kElmSettings);
        if (const int code = elm->open(); code != ports::kSerialOk) {
            error = "cannot open " + choice.detail + " (" + std::to_string(code) + "): " + elm->lastError();
            return false;
        }
        return true;
    }
};

Devices::Devices() : impl_(std::make_unique<Impl>()) {}
Devices::~Devices() = default;
Devices::Devices(Devices&&) noexcept = default;
Devices& Devices::operator=(Devices&&) noexcept = default;

Devices Devices::open(const InterfaceChoice& choice, proto::Model model, base::Clock& clock, DeviceFactory& factory,
                      std::string& error, OpenOptions options) {
    Devices devices;
    Impl& d = *devices.impl_;
    d.choice = choice;
    d.model = model;
    d.clock = &clock;
    const std::uint32_t baud = proto::rowOf(model).baud;
    bool ok = true;
    switch (choice.kind) {
        case InterfaceKind::Demo:
            return devices;
        case InterfaceKind::Simulator: {
            const std::string name = choice.detail.empty() ? std::string(proto::rowOf(model).twin) : choice.detail;
            d.simEcu = std::make_unique<sim::SimulatedEcu>(sim::makeSimulatedEcu(name, false, options.awake, clock.now()));
            if (!d.simEcu->device) {
                error = "unknown simulated model '" + name + "' (59m, 5am, obd, mm16, mm15, 15rc, p8)";
                return Devices{};
            }
            auto cable = std::make_unique<ports::SimCable>(clock);
            d.simCable = cable.get();
            d.adapter = std::make_unique<twin::SimCableAdapter>(*d.simEcu->device);
            d.simCable->setPeer(d.adapter.get());
            d.cable = std::move(cable);
            std::string description;
            d.cable->deviceDescription(0, description);
            ok = d.openCable(description, d.simEcu->baud, error);
            break;
        }
        case InterfaceKind::TtyCable:
            d.cable = factory.ttyCable();
            ok = d.openCable(choice.detail, baud, error);
            break;
        case InterfaceKind::Ftdi: {
            d.cable = factory.ftdiCable();
            std::string description = choice.detail;
            if (description.empty()) {
                std::string why;
                const auto found = listFtdiCables(factory, why);
                if (found.empty()) {
                    error = "no FTDI cable found" + (why.empty() ? std::string{} : ": " + why);
                    return Devices{};
                }
                description = found.front();
            }
            ok = d.openCable(description, baud, error);
            break;
        }
        case InterfaceKind::Elm327:
            d.elm = factory.serialPort();
            ok = d.openElm(error);
            break;
    }
    if (!ok) return Devices{};
    return devices;
}

Devices Devices::adoptElm(const InterfaceChoice& choice, std::unique_ptr<ports::SerialPort> port) {
    Devices devices;
    devices.impl_->choice = choice;
    devices.impl_->elm = std::move(port);
    return devices;
}

const InterfaceChoice& Devices::choice() const { return impl_->choice; }
ports::KLineCable* Devices::cable() const { return impl_->traffic.get(); }
ports::SerialPort* Devices::elmPort() const { return impl_->elm.get(); }
sim::SimulatedEcu* Devices::simulatedEcu() const { return impl_->simEcu.get(); }
ports::SimCable* Devices::simCable() const { return impl_->simCable; }
proto::Model Devices::simulatedModel() const { return impl_->model; }

bool Devices::turnKeyOn(base::Clock::TimePoint now) {
    Impl& d = *impl_;
    if (!d.simEcu || d.simEcu->oneByte == nullptr || d.simCable == nullptr || !d.adapter) return false;
    d.simEcu->oneByte->requestKeyOn(d.adapter->output(*d.simCable), now);
    return true;
}

void Devices::setTrafficSink(std::function<void(const ports::TrafficEvent&)> sink) { impl_->sink = std::move(sink); }

bool Devices::reopenElm(std::string& error) {
    Impl& d = *impl_;
    if (!d.elm) return false;
    if (d.elm->isOpen()) d.elm->close();
    return d.openElm(error);
}

bool Devices::reopen(std::string& error) {
    Impl& d = *impl_;
    if (d.elm) return reopenElm(error);
    if (!d.traffic) return false;
    if (d.simCable) d.simCable->setGone(false);
    d.traffic->close();
    ports::KLineCable& line = *d.traffic;
    if (line.open(d.openedAs) != ports::kCableOk || line.setBaudRate(d.openedBaud) != ports::kCableOk ||
        line.setDataCharacteristics8N1() != ports::kCableOk) {
        error = "cannot open " + d.openedAs + ": " + d.cable->lastError();
        line.close();
        return false;
    }
    return true;
}

void Devices::close() {
    Impl& d = *impl_;
    if (d.cable && d.cable->isOpen()) d.cable->close();
    if (d.elm && d.elm->isOpen()) d.elm->close();
}

}  // namespace dravio::session
