#include "sim/serial_source.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

namespace dravio::sim {

int serveSource(int fd, int stopFd, SerialSource& source, base::Clock& clock, SniffLog* log, std::string& error) {
    char buffer[4096];
    for (;;) {
        const auto now = clock.now();
        const std::string due = source.takeDue(now);
        if (log != nullptr && !due.empty()) {
            log->write(now, SniffLog::Direction::EcuToTester, std::vector<std::uint8_t>(due.begin(), due.end()));
        }
        std::size_t done = 0;
        while (done < due.size()) {
            const ssize_t n = ::write(fd, due.data() + done, due.size() - done);
            if (n > 0) {
                done += static_cast<std::size_t>(n);
            } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
                error = std::string("write failed: ") + std::strerror(errno);
                return 1;
            } else {
                pollfd out{fd, POLLOUT, 0};
                ::poll(&out, 1, 10);
            }
        }
        int timeoutMs = -1;
        const auto next = source.nextDue();
        if (next != Clock::TimePoint::max()) {
            const auto left = std::chrono::duration_cast<std::chrono::microseconds>(next - clock.now()).count();
            timeoutMs = left <= 0 ? 0 : static_cast<int>(std::min<long long>((left + 999) / 1000, 60'000));
        }
        pollfd fds[2] = {{fd, POLLIN, 0}, {stopFd, POLLIN, 0}};
        const int ready = ::poll(fds, 2, timeoutMs);
        if (ready < 0) {
            if (errno == EINTR) continue;
            error = std::string("poll failed: ") + std::strerror(errno);
            return 1;
        }
        if (stopFd >= 0 && fds[1].revents != 0) {
            const ssize_t n = ::read(stopFd, buffer, sizeof buffer);
            if (n <= 0) return 0;
        }
        if (fds[0].revents & POLLIN) {
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n > 0) {
                const auto t = clock.now();
                if (log != nullptr)
                    log->write(t, SniffLog::Direction::TesterToEcu, std::vector<std::uint8_t>(buffer, buffer + n));
                source.received(t, std::string_view(buffer, static_cast<std::size_t>(n)));
            } else if (n < 0 && errno != EAGAIN && errno != EINTR && errno != EIO) {
                error = std::string("read failed: ") + std::strerror(errno);
                return 1;
            }
        } else if (fds[0].revents & (POLLERR | POLLNVAL)) {
            error = "the line failed";
            return 1;
        } else if (fds[0].revents & POLLHUP) {
            ::poll(nullptr, 0, 5);  // nobody holds the other side for a moment
        }
    }
}

}  // namespace dravio::sim
