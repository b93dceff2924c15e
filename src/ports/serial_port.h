// ports: the serial-port operations used for the ELM327 adapter and the
// external lambda sources.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace dravio::ports {

// Errors reported by SerialPort::open, numbered like the classic serial-port control.
enum SerialError : int {
    kSerialOk = 0,
    kSerialInvalidPort = 8002,
    kSerialPortAlreadyOpen = 8005,
    kSerialOpenFailed = 8012,   // the device exists but cannot be opened (permissions, busy)
    kSerialInvalidSettings = 380,
};

class SerialPort {
public:
    virtual ~SerialPort() = default;

    // "Com" number, 1 to 25, mapped in list order onto the serial devices present.
    virtual void setPortNumber(int number) = 0;
    // A device path, for ports that are not in the numbered list.
    virtual void setDevicePath(const std::string& path) = 0;
    // "38400,n,8,1" and the like; kSerialInvalidSettings when unreadable.
    virtual int setSettings(std::string_view settings) = 0;

    virtual int open() = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;

    // Raw bytes both ways; text mode only differs in name for this port.
    virtual void setBinaryMode(bool binary) = 0;

    // Sends the characters in order; returns false when the port is not open or
    // the device failed.
    virtual bool output(std::string_view data) = 0;
    // Characters waiting.
    virtual std::size_t inputCount() = 0;
    // Everything waiting, removed from the port's buffer.
    virtual std::string input() = 0;

    // The reason behind the last error, in words a user can act on.
    virtual std::string lastError() const = 0;
    // True once the device itself went away (unplugged adapter, closed pseudo-terminal).
    virtual bool gone() const { return false; }
};

}  // namespace dravio::ports
