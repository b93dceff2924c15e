#include "sim/pty.h"

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace dravio::sim {

// Kept apart from <termios.h>: the rate helpers need termios2.
std::uint32_t ttyBaudTermios2(int fd);
int setTtyBaudTermios2(int fd, std::uint32_t baud);

Pty::~Pty() {
    if (holder_ >= 0) ::close(holder_);
    if (master_ >= 0) ::close(master_);
}

int makeRaw(int fd) {
    termios t{};
    if (::tcgetattr(fd, &t) != 0) return errno;
    ::cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
    if (::tcsetattr(fd, TCSANOW, &t) != 0) return errno;
    return 0;
}

bool Pty::create(std::string& error) {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
        error = std::string("cannot create a pseudo-terminal: ") + std::strerror(errno);
        return false;
    }
    char name[128] = {};
    if (::ptsname_r(master_, name, sizeof name) != 0) {
        error = std::string("cannot name the pseudo-terminal: ") + std::strerror(errno);
        return false;
    }
    path_ = name;
    holder_ = ::open(path_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (holder_ < 0) {
        error = "cannot open " + path_ + ": " + std::strerror(errno);
        return false;
    }
    // A fresh pty is cooked: echo and line editing would garble binary bytes
    // for a tester that does not set raw mode itself.
    if (const int err = makeRaw(holder_); err != 0) {
        error = "cannot set " + path_ + " raw: " + std::strerror(err);
        return false;
    }
    const int flags = ::fcntl(master_, F_GETFL);
    ::fcntl(master_, F_SETFL, flags | O_NONBLOCK);
    return true;
}

std::uint32_t Pty::testerBaud() const { return master_ < 0 ? 0 : ttyBaudTermios2(master_); }

std::uint32_t ttyBaud(int fd) { return ttyBaudTermios2(fd); }

int openDevice(const std::string& path, std::uint32_t baud, std::string& error) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        error = "cannot open " + path + ": " + std::strerror(errno);
        if (errno == EACCES) error += " (is your user in the dialout group?)";
        return -1;
    }
    if (const int err = makeRaw(fd); err != 0) {
        error = path + " is not a serial device: " + std::strerror(err);
        ::close(fd);
        return -1;
    }
    if (baud != 0) {
        if (const int err = setTtyBaudTermios2(fd, baud); err != 0) {
            error = "cannot set " + std::to_string(baud) + " baud on " + path + ": " + std::strerror(err);
            ::close(fd);
            return -1;
        }
    }
    return fd;
}

}  // namespace dravio::sim
