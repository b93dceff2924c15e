#include "sim/line_io.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace dravio::sim {

bool writeAll(int fd, const void* data, std::size_t size, std::string& error) {
    const auto* bytes = static_cast<const char*>(data);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd, bytes + done, size - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
        } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
            error = std::string("write failed: ") + std::strerror(errno);
            return false;
        } else {
            pollfd out{fd, POLLOUT, 0};
            ::poll(&out, 1, 10);
        }
    }
    return true;
}

bool readReady(int fd, short revents, std::span<char> buffer,
               const std::function<void(std::span<const char>)>& onBytes, std::string& error) {
    if (revents & POLLIN) {
        const ssize_t n = ::read(fd, buffer.data(), buffer.size());
        if (n > 0) {
            onBytes(buffer.first(static_cast<std::size_t>(n)));
        } else if (n < 0 && errno != EAGAIN && errno != EINTR && errno != EIO) {
            error = std::string("read failed: ") + std::strerror(errno);
            return false;
        }
    } else if (revents & (POLLERR | POLLNVAL)) {
        error = "the line failed";
        return false;
    } else if (revents & POLLHUP) {
        ::poll(nullptr, 0, 5);
    }
    return true;
}

}  // namespace dravio::sim
