#include "twin/elm327_serial_port.h"

#include <algorithm>

namespace dravio::twin {

Elm327SerialPort::Elm327SerialPort(base::Clock& clock, sim::Elm327Emulator& adapter) : clock_(clock), adapter_(adapter) {
    port_.setPeer([this](std::string_view chars) { adapter_.receive(clock_.now(), chars); });
}

void Elm327SerialPort::settle() {
    // Characters due while the port was closed are lost, as on a real line.
    const std::string due = adapter_.takeDue(clock_.now());
    if (!due.empty()) port_.deliver(due);
}

bool Elm327SerialPort::output(std::string_view data) {
    settle();
    return port_.output(data);
}

std::size_t Elm327SerialPort::inputCount() {
    settle();
    return port_.inputCount();
}

std::string Elm327SerialPort::input() {
    settle();
    return port_.input();
}

std::size_t Elm327SerialPort::waitForInput(std::size_t count, base::Clock::TimePoint deadline) {
    for (;;) {
        const std::size_t have = inputCount();
        if (have >= count || clock_.now() >= deadline) return have;
        clock_.sleepUntil(std::min(deadline, std::max(adapter_.nextDue(), clock_.now())));
    }
}

}  // namespace dravio::twin
