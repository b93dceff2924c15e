// ports: the simulated twin of a serial port. No device: what the program sends
// goes to a peer (a test, an adapter emulator), and the peer answers through
// deliver(). Single-threaded and clock-free; timing belongs to the peer.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "ports/serial_port.h"

namespace dravio::ports {

class SimSerialPort final : public SerialPort {
public:
    using Peer = std::function<void(std::string_view)>;

    explicit SimSerialPort(Peer peer = {});

    // Who hears output(). May call deliver() from inside the call.
    void setPeer(Peer peer) { peer_ = std::move(peer); }
    // Bytes from the far end; lost while the port is closed, as on a real line.
    void deliver(std::string_view bytes);
    // The next open() calls fail with `error` (e.g. kSerialOpenFailed) and
    // `reason` as lastError; kSerialOk restores normal opening.
    void failOpenWith(int error, std::string reason = {});

    void setPortNumber(int number) override;
    void setDevicePath(const std::string& path) override;
    int setSettings(std::string_view settings) override;
    int open() override;
    void close() override;
    bool isOpen() const override { return open_; }
    void setBinaryMode(bool binary) override { binary_ = binary; }
    bool output(std::string_view data) override;
    std::size_t inputCount() override { return received_.size(); }
    std::string input() override;
    std::string lastError() const override { return lastError_; }
    // Unplugged: nothing goes out or comes in any more.
    void setGone(bool gone) { gone_ = gone; }
    bool gone() const override { return gone_; }

    // What the program configured, for the peer and for tests.
    std::optional<int> portNumber() const { return portNumber_; }
    const std::string& devicePath() const { return devicePath_; }
    const std::string& settingsText() const { return settingsText_; }
    bool binaryMode() const { return binary_; }

private:
    Peer peer_;
    bool open_ = false;
    bool binary_ = false;
    bool gone_ = false;
    int openError_ = kSerialOk;
    std::string openErrorReason_;
    std::optional<int> portNumber_;
    std::string devicePath_;
    std::string settingsText_ = "9600,n,8,1";
    std::string received_;
    std::string lastError_;
};

}  // namespace dravio::ports
