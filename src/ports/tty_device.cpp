// termios2 lives in <asm/termbits.h>, which must not meet <termios.h> in one
// translation unit; this file uses only the kernel's definitions.
#include "ports/tty_device.h"

#include <asm/termbits.h>
#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <ctime>

namespace dravio::ports {
namespace {

timespec toTimespec(std::chrono::nanoseconds d) {
    if (d.count() < 0) d = std::chrono::nanoseconds::zero();
    timespec ts{};
    ts.tv_sec = static_cast<time_t>(d.count() / 1'000'000'000);
    ts.tv_nsec = static_cast<long>(d.count() % 1'000'000'000);
    return ts;
}

}  // namespace

TtyDevice::TtyDevice(IoctlCall ioctl) : ioctl_(std::move(ioctl)) {}

int TtyDevice::ioctlRetry(int fd, unsigned long request, void* arg) const {
    int rc;
    do {
        rc = ioctl_ ? ioctl_(fd, request, arg) : ::ioctl(fd, request, arg);
    } while (rc < 0 && errno == EINTR);
    return rc < 0 ? errno : 0;
}

TtyDevice::~TtyDevice() { close(); }

int TtyDevice::open(const std::string& path) {
    close();
    int fd;
    do {
        fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return errno;

    auto saved = std::make_unique<termios2>();
    if (const int err = ioctlRetry(fd, TCGETS2, saved.get()); err != 0) {
        ::close(fd);
        return err;  // ENOTTY: not a terminal at all
    }
    fd_ = fd;
    path_ = path;
    saved_ = std::move(saved);
    return 0;
}

void TtyDevice::close() {
    if (fd_ < 0) return;
    if (savedSerialFlags_) {
        serial_struct info{};
        if (ioctlRetry(fd_, TIOCGSERIAL, &info) == 0) {
            info.flags = *savedSerialFlags_;
            ioctlRetry(fd_, TIOCSSERIAL, &info);
        }
        savedSerialFlags_.reset();
    }
    ioctlRetry(fd_, TIOCCBRK, nullptr);  // never leave the line held low
    if (saved_) {
        // Unsent bytes would delay the restore; the device is being let go anyway.
        ioctlRetry(fd_, TCFLSH, reinterpret_cast<void*>(static_cast<long>(TCIOFLUSH)));
        ioctlRetry(fd_, TCSETS2, saved_.get());
        saved_.reset();
    }
    if (locked_) {
        ioctlRetry(fd_, TIOCNXCL, nullptr);
        ::flock(fd_, LOCK_UN);
        locked_ = false;
    }
    ::close(fd_);
    fd_ = -1;
    path_.clear();
}

int TtyDevice::lockExclusive() {
    if (fd_ < 0) return EBADF;
    if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) return errno;
    locked_ = true;
    // TIOCEXCL also keeps out programs that do not use flock. Ptys and some
    // drivers refuse it; the advisory lock still holds then.
    ioctlRetry(fd_, TIOCEXCL, nullptr);
    return 0;
}

int TtyDevice::configure(const LineSettings& settings) {
    if (fd_ < 0) return EBADF;
    if (settings.baud == 0) return EINVAL;
    termios2 tio{};
    if (const int err = ioctlRetry(fd_, TCGETS2, &tio); err != 0) return err;

    tio.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF |
                                          IXANY | INPCK | IUCLC);
    tio.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    tio.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);

    tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS | CBAUD | (CBAUD << IBSHIFT));
    tio.c_cflag |= CREAD | CLOCAL | (settings.dataBits == 7 ? CS7 : CS8);
    if (settings.parity != Parity::None) tio.c_cflag |= PARENB;
    if (settings.parity == Parity::Odd) tio.c_cflag |= PARODD;
    if (settings.stopBits == 2) tio.c_cflag |= CSTOPB;
    // BOTHER takes the rate as a number; an input rate field of zero means
    // "same as output".
    tio.c_cflag |= BOTHER;
    tio.c_ospeed = settings.baud;
    tio.c_ispeed = settings.baud;

    // Reads never block (O_NONBLOCK); poll does the waiting.
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    return ioctlRetry(fd_, TCSETS2, &tio);
}

std::optional<std::uint32_t> TtyDevice::baudRate() const {
    if (fd_ < 0) return std::nullopt;
    termios2 tio{};
    if (ioctlRetry(fd_, TCGETS2, &tio) != 0) return std::nullopt;
    return tio.c_ospeed;
}

void TtyDevice::requestLowLatency() {
    if (fd_ < 0) return;
    serial_struct info{};
    if (ioctlRetry(fd_, TIOCGSERIAL, &info) != 0) return;  // ptys and some drivers: no such thing
    if (!savedSerialFlags_) savedSerialFlags_ = info.flags;
    info.flags |= ASYNC_LOW_LATENCY;
    ioctlRetry(fd_, TIOCSSERIAL, &info);
}

int TtyDevice::setBreak(bool on) {
    if (fd_ < 0) return EBADF;
    return ioctlRetry(fd_, on ? TIOCSBRK : TIOCCBRK, nullptr);
}

int TtyDevice::flush() {
    if (fd_ < 0) return EBADF;
    return ioctlRetry(fd_, TCFLSH, reinterpret_cast<void*>(static_cast<long>(TCIOFLUSH)));
}

int TtyDevice::bytesWaiting(std::size_t& count) const {
    count = 0;
    if (fd_ < 0) return EBADF;
    int n = 0;
    if (const int err = ioctlRetry(fd_, FIONREAD, &n); err != 0) return err;
    count = n > 0 ? static_cast<std::size_t>(n) : 0;
    return 0;
}

int TtyDevice::readAvailable(std::vector<std::uint8_t>& out, std::size_t limit) {
    if (fd_ < 0) return EBADF;
    std::uint8_t chunk[512];
    while (limit > 0) {
        const std::size_t want = std::min(limit, sizeof chunk);
        const ssize_t n = ::read(fd_, chunk, want);
        if (n > 0) {
            out.insert(out.end(), chunk, chunk + n);
            limit -= static_cast<std::size_t>(n);
            continue;
        }
        if (n == 0) return 0;  // nothing more for now
        if (errno == EINTR) continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) return 0;
        return errno;
    }
    return 0;
}

int TtyDevice::writeAll(const void* data, std::size_t size, std::chrono::milliseconds timeout) {
    if (fd_ < 0) return EBADF;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    const auto* p = static_cast<const std::uint8_t*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd_, p, size);
        if (n > 0) {
            p += n;
            size -= static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return errno;
        // The driver's buffer is full: wait for room.
        const auto left = deadline - std::chrono::steady_clock::now();
        if (left <= std::chrono::steady_clock::duration::zero()) return ETIMEDOUT;
        pollfd pfd{fd_, POLLOUT, 0};
        const timespec ts = toTimespec(left);
        if (::ppoll(&pfd, 1, &ts, nullptr) < 0 && errno != EINTR) return errno;
        if (pfd.revents & (POLLERR | POLLHUP | POLLNVAL)) return EIO;
    }
    return 0;
}

bool TtyDevice::hungUp() const {
    if (fd_ < 0) return false;
    pollfd pfd{fd_, POLLIN, 0};
    return ::poll(&pfd, 1, 0) > 0 && (pfd.revents & POLLHUP) != 0;
}

TtyDevice::Wait TtyDevice::waitReadable(std::chrono::steady_clock::time_point deadline) const {
    if (fd_ < 0) return Wait::Failed;
    for (;;) {
        const auto left = deadline - std::chrono::steady_clock::now();
        if (left <= std::chrono::steady_clock::duration::zero()) return Wait::TimedOut;
        pollfd pfd{fd_, POLLIN, 0};
        const timespec ts = toTimespec(left);
        const int rc = ::ppoll(&pfd, 1, &ts, nullptr);
        if (rc < 0) {
            if (errno == EINTR) continue;
            return Wait::Failed;
        }
        if (rc == 0) continue;  // the deadline check above decides
        if (pfd.revents & POLLIN) return Wait::Readable;
        if (pfd.revents & POLLHUP) return Wait::HungUp;
        return Wait::Failed;
    }
}

}  // namespace dravio::ports
