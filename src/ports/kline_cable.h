// ports: the hardware Dravio talks through. A K-line cable offers exactly the
// operations of an FTDI cable driven through its vendor library; a serial port
// those of a classic serial-port control. Each has real backends and a simulated twin.
// A port receives its configuration as values and never reads the settings file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/clock.h"

namespace dravio::ports {

// Status of a cable operation; 0 means success. The numbers follow the FTDI
// vendor library's status values so traces read the same on every backend.
enum CableStatus : int {
    kCableOk = 0,
    kCableInvalidHandle = 1,
    kCableDeviceNotFound = 2,
    kCableDeviceNotOpened = 3,
    kCableIoError = 4,
    kCableInsufficientResources = 5,
    kCableInvalidParameter = 6,
    kCableInvalidBaudRate = 7,
    kCableOtherError = 18,
};

class KLineCable {
public:
    virtual ~KLineCable() = default;

    // Devices present, and the description of device `index` (0-based).
    virtual int deviceCount(std::uint32_t& count) = 0;
    virtual int deviceDescription(std::uint32_t index, std::string& description) = 0;

    // Opens the device whose description equals `description`.
    virtual int open(const std::string& description) = 0;
    virtual int reset() = 0;
    // Empties the receive and transmit buffers.
    virtual int purge() = 0;
    // 200, 1200, 7812 and 10400 baud must be honoured.
    virtual int setBaudRate(std::uint32_t baud) = 0;
    // 8 data bits, 1 stop bit, no parity.
    virtual int setDataCharacteristics8N1() = 0;
    // One byte, leaving at once; the cable hears its own byte (echo).
    virtual int write(std::uint8_t byte) = 0;
    // Received bytes waiting, echo included.
    virtual int queueStatus(std::uint32_t& count) = 0;
    // Up to `count` waiting bytes, in order, appended to `out`.
    virtual int read(std::uint32_t count, std::vector<std::uint8_t>& out) = 0;
    // The K-line is pulled low / released at the moment of the call.
    virtual int breakOn() = 0;
    virtual int breakOff() = 0;
    virtual int close() = 0;
    virtual bool isOpen() const = 0;

    // Blocks until at least `count` bytes wait or `deadline` passes, whichever
    // comes first, without burning the processor. Returns the count then.
    virtual std::uint32_t waitForQueue(std::uint32_t count, base::Clock::TimePoint deadline) = 0;

    // True once the device itself went away (unplugged, its driver gone): every
    // operation fails from then on and waiting for bytes is pointless.
    virtual bool gone() const { return false; }

    // Why the last failing operation failed, in words a user can act on
    // (permissions, a missing device); empty when nothing failed.
    virtual std::string lastError() const = 0;
};

}  // namespace dravio::ports
