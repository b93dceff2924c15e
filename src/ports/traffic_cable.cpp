#include "ports/traffic_cable.h"

#include <cstdio>

#include "proto/hex.h"

namespace dravio::ports {

std::string formatTraffic(const TrafficEvent& event, base::Clock::TimePoint origin) {
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%.4f ", std::chrono::duration<double>(event.t - origin).count());
    std::string line = stamp;
    switch (event.kind) {
        case TrafficEvent::Kind::Sent:
            line += "T> " + proto::spacedHex(proto::toHex(event.bytes));
            break;
        case TrafficEvent::Kind::Received:
            line += "<E " + proto::spacedHex(proto::toHex(event.bytes));
            break;
        case TrafficEvent::Kind::BreakOn:
            line += "-- ligne basse";
            break;
        case TrafficEvent::Kind::BreakOff:
            line += "-- ligne relâchée";
            break;
        case TrafficEvent::Kind::Baud:
            line += "-- vitesse";
            break;
    }
    line += " (" + std::to_string(event.baud) + " bd)";
    return line;
}

TrafficCable::TrafficCable(KLineCable& inner, base::Clock& clock, Listener listener)
    : inner_(inner), clock_(clock), listener_(std::move(listener)) {}

void TrafficCable::report(TrafficEvent::Kind kind, std::vector<std::uint8_t> bytes) {
    if (listener_) listener_({clock_.now(), kind, std::move(bytes), baud_});
}

int TrafficCable::setBaudRate(std::uint32_t baud) {
    const int status = inner_.setBaudRate(baud);
    if (status == kCableOk) {
        baud_ = baud;
        report(TrafficEvent::Kind::Baud);
    }
    return status;
}

int TrafficCable::write(std::uint8_t byte) {
    const int status = inner_.write(byte);
    if (status == kCableOk) report(TrafficEvent::Kind::Sent, {byte});
    return status;
}

int TrafficCable::read(std::uint32_t count, std::vector<std::uint8_t>& out) {
    const auto before = out.size();
    const int status = inner_.read(count, out);
    if (out.size() > before) {
        report(TrafficEvent::Kind::Received,
               std::vector<std::uint8_t>(out.begin() + static_cast<std::ptrdiff_t>(before), out.end()));
    }
    return status;
}

int TrafficCable::breakOn() {
    const int status = inner_.breakOn();
    if (status == kCableOk) report(TrafficEvent::Kind::BreakOn);
    return status;
}

int TrafficCable::breakOff() {
    const int status = inner_.breakOff();
    if (status == kCableOk) report(TrafficEvent::Kind::BreakOff);
    return status;
}

}  // namespace dravio::ports
