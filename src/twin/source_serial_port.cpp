#include "twin/source_serial_port.h"

namespace dravio::twin {

SourceSerialPort::SourceSerialPort(base::Clock& clock, sim::SerialSource& source)
    : clock_(clock),
      source_(source),
      port_([this](std::string_view bytes) { source_.received(clock_.now(), bytes); }) {}

int SourceSerialPort::open() {
    const int status = port_.open();
    // What the device sent while nobody listened is gone.
    if (status == ports::kSerialOk) source_.takeDue(clock_.now());
    return status;
}

void SourceSerialPort::settle() {
    const std::string due = source_.takeDue(clock_.now());
    if (!due.empty()) port_.deliver(due);
}

std::size_t SourceSerialPort::inputCount() {
    settle();
    return port_.inputCount();
}

std::string SourceSerialPort::input() {
    settle();
    return port_.input();
}

}  // namespace dravio::twin
