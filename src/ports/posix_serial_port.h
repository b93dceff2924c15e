// ports: a serial port on a POSIX tty (ELM327 adapters, lambda sources), numbered
// "Com" 1..25 over the devices found in /dev or given by path.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "ports/serial_port.h"
#include "ports/serial_settings.h"
#include "ports/tty_device.h"

namespace dravio::ports {

class PosixSerialPort final : public SerialPort {
public:
    // `devDir` is where numbered ports are looked up; tests pass their own.
    explicit PosixSerialPort(std::string devDir = "/dev");
    ~PosixSerialPort() override;

    // The last of setPortNumber / setDevicePath decides which device opens.
    void setPortNumber(int number) override;
    void setDevicePath(const std::string& path) override;
    // Applied at once when the port is open.
    int setSettings(std::string_view settings) override;

    int open() override;
    void close() override;
    bool isOpen() const override { return tty_.isOpen(); }
    void setBinaryMode(bool binary) override { binary_ = binary; }

    bool output(std::string_view data) override;
    std::size_t inputCount() override;
    std::string input() override;

    std::string lastError() const override { return lastError_; }
    bool gone() const override { return gone_; }

    const LineSettings& settings() const { return settings_; }
    bool binaryMode() const { return binary_; }

private:
    int fail(int code, std::string why);
    // A transfer failed with errno `err`; marks the port gone when the device vanished.
    void ioFailure(const std::string& operation, int err);
    // The device hung up (pulled out, or the far end of a pseudo-terminal closed).
    void noticeHangUp();
    // The device path to open, or nothing with lastError_ set.
    std::optional<std::string> resolvePath();

    std::string devDir_;
    std::optional<int> portNumber_;
    std::string devicePath_;
    LineSettings settings_{9600, Parity::None, 8, 1};
    bool binary_ = false;
    TtyDevice tty_;
    std::string lastError_;
    bool gone_ = false;
};

}  // namespace dravio::ports
