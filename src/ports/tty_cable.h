// ports: a K-line cable that the kernel shows as a tty (/dev/ttyUSB*): USB-serial
// chips driven by their kernel driver, custom baud rates through termios2,
// break through TIOCSBRK/TIOCCBRK.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "ports/kline_cable.h"
#include "ports/tty_device.h"

namespace dravio::ports {

class TtyCable final : public KLineCable {
public:
    // `devDir` is where the ttyUSB devices are looked for; tests pass their own.
    explicit TtyCable(std::string devDir = "/dev");
    ~TtyCable() override;

    int deviceCount(std::uint32_t& count) override;
    // The description of a tty cable is its device path.
    int deviceDescription(std::uint32_t index, std::string& description) override;
    // Opens the listed device, or any tty path (a pseudo-terminal, a bare
    // "ttyUSB0" taken relative to the device directory).
    int open(const std::string& description) override;
    int reset() override;
    int purge() override;
    int setBaudRate(std::uint32_t baud) override;
    int setDataCharacteristics8N1() override;
    int write(std::uint8_t byte) override;
    int queueStatus(std::uint32_t& count) override;
    int read(std::uint32_t count, std::vector<std::uint8_t>& out) override;
    int breakOn() override;
    int breakOff() override;
    int close() override;
    bool isOpen() const override { return tty_.isOpen(); }
    std::uint32_t waitForQueue(std::uint32_t count, base::Clock::TimePoint deadline) override;
    std::string lastError() const override { return lastError_; }
    bool gone() const override { return gone_; }

    // The rate the driver actually runs at, for traces; 0 when unknown.
    std::uint32_t actualBaudRate() const;

private:
    int fail(int status, std::string why);
    // An operation failed with errno `err`; marks the cable gone when the device vanished.
    int ioFailure(const std::string& operation, int err);
    int notOpen();
    // Moves what the kernel holds into pending_ (bounded). Returns a cable status.
    int drain();
    int applyLine();

    std::string devDir_;
    TtyDevice tty_;
    LineSettings line_{10400, Parity::None, 8, 1};
    std::vector<std::uint8_t> pending_;
    std::size_t pendingStart_ = 0;  // bytes before this index were already read
    std::string lastError_;
    bool gone_ = false;
};

}  // namespace dravio::ports
