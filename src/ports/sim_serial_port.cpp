#include "ports/sim_serial_port.h"

#include "ports/serial_devices.h"
#include "ports/serial_settings.h"

namespace dravio::ports {

SimSerialPort::SimSerialPort(Peer peer) : peer_(std::move(peer)) {}

void SimSerialPort::deliver(std::string_view bytes) {
    if (open_) received_.append(bytes);
}

void SimSerialPort::failOpenWith(int error, std::string reason) {
    openError_ = error;
    openErrorReason_ = std::move(reason);
}

void SimSerialPort::setPortNumber(int number) {
    portNumber_ = number;
    devicePath_.clear();
}

void SimSerialPort::setDevicePath(const std::string& path) {
    devicePath_ = path;
    portNumber_.reset();
}

int SimSerialPort::setSettings(std::string_view settings) {
    if (!parseLineSettings(settings)) {
        lastError_ = "Paramètres de port série illisibles : \"" + std::string(settings) + "\"";
        return kSerialInvalidSettings;
    }
    settingsText_ = std::string(settings);
    return kSerialOk;
}

int SimSerialPort::open() {
    if (open_) {
        lastError_ = "Le port simulé est déjà ouvert";
        return kSerialPortAlreadyOpen;
    }
    // Same rule as the real port: a number must be in range, or a path given.
    if (devicePath_.empty() && (!portNumber_ || *portNumber_ < kFirstPortNumber || *portNumber_ > kLastPortNumber)) {
        lastError_ = "Aucun port série choisi";
        return kSerialInvalidPort;
    }
    if (openError_ != kSerialOk) {
        lastError_ = openErrorReason_.empty() ? "Ouverture simulée refusée" : openErrorReason_;
        return openError_;
    }
    open_ = true;
    received_.clear();
    lastError_.clear();
    return kSerialOk;
}

void SimSerialPort::close() {
    open_ = false;
    received_.clear();
}

bool SimSerialPort::output(std::string_view data) {
    if (!open_) {
        lastError_ = "Le port série n'est pas ouvert";
        return false;
    }
    if (gone_) {
        lastError_ = "Input/output error";
        return false;
    }
    if (peer_) peer_(data);
    return true;
}

std::string SimSerialPort::input() {
    std::string all;
    all.swap(received_);
    return all;
}

}  // namespace dravio::ports
