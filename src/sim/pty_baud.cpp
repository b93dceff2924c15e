// termios2 lives in <asm/termbits.h>, which clashes with <termios.h>.
#include <asm/termbits.h>
#include <sys/ioctl.h>

#include <cerrno>
#include <cstdint>

namespace dravio::sim {

std::uint32_t ttyBaudTermios2(int fd) {
    struct termios2 t {};
    // On a pty master this reads the slave's settings: what the tester chose.
    if (::ioctl(fd, TCGETS2, &t) != 0) return 0;
    return t.c_ospeed;
}

int setTtyBaudTermios2(int fd, std::uint32_t baud) {
    struct termios2 t {};
    if (::ioctl(fd, TCGETS2, &t) != 0) return errno;
    t.c_cflag &= ~CBAUD;
    t.c_cflag |= BOTHER;
    t.c_ispeed = baud;
    t.c_ospeed = baud;
    if (::ioctl(fd, TCSETS2, &t) != 0) return errno;
    return 0;
}

}  // namespace dravio::sim
