// ports: one open POSIX tty in raw mode, shared by the K-line tty cable and the
// serial port. Talks to the kernel through termios2 so that any baud rate
// (10400, 7812, ...) can be set; the original settings come back at close.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ports/serial_settings.h"

struct termios2;  // kept out of this header: <asm/termbits.h> clashes with <termios.h>

namespace dravio::ports {

class TtyDevice {
public:
    // Every ioctl(2) on the device goes through this call (the kernel's when
    // empty), so a test can see what reaches the line.
    using IoctlCall = std::function<int(int fd, unsigned long request, void* arg)>;

    explicit TtyDevice(IoctlCall ioctl = {});
    ~TtyDevice();
    TtyDevice(const TtyDevice&) = delete;
    TtyDevice& operator=(const TtyDevice&) = delete;

    // Opens `path` non-blocking, without becoming its controlling terminal, and
    // remembers its settings. Returns 0 or the errno of the failure.
    int open(const std::string& path);
    // Restores the remembered settings and closes. Safe when not open.
    void close();
    bool isOpen() const { return fd_ >= 0; }
    const std::string& path() const { return path_; }

    // Claims the device against other programs (advisory lock and TIOCEXCL).
    // Returns 0, EWOULDBLOCK when someone else holds it, or another errno.
    int lockExclusive();

    // Raw mode with these line settings, no flow control. Returns 0 or errno.
    int configure(const LineSettings& settings);
    // The output rate the driver reports, after rounding to what it can do.
    std::optional<std::uint32_t> baudRate() const;

    // Asks the driver for low latency where it offers it; refusals are ignored.
    void requestLowLatency();

    // TIOCSBRK/TIOCCBRK. Returns 0 or errno.
    int setBreak(bool on);
    // Discards what waits in both directions. Returns 0 or errno.
    int flush();

    // Bytes the kernel holds for reading. Returns 0 or errno.
    int bytesWaiting(std::size_t& count) const;
    // Appends what can be read without blocking, at most `limit` bytes.
    // Returns 0 (also when nothing waits) or errno.
    int readAvailable(std::vector<std::uint8_t>& out, std::size_t limit);
    // Writes all `size` bytes, waiting for room when the driver is full, but
    // never longer than `timeout` in all. Returns 0 or errno (ETIMEDOUT).
    int writeAll(const void* data, std::size_t size, std::chrono::milliseconds timeout);

    enum class Wait { Readable, TimedOut, HungUp, Failed };
    // Sleeps until something can be read or `deadline` passes.
    Wait waitReadable(std::chrono::steady_clock::time_point deadline) const;
    // The other end hung up (pseudo-terminal closed, adapter unplugged), looked at without waiting.
    bool hungUp() const;

private:
    // ioctl_ or the kernel's, retried on EINTR. Returns 0 or errno.
    int ioctlRetry(int fd, unsigned long request, void* arg) const;

    IoctlCall ioctl_;
    int fd_ = -1;
    std::string path_;
    bool locked_ = false;
    std::unique_ptr<termios2> saved_;
    std::optional<int> savedSerialFlags_;
};

}  // namespace dravio::ports
