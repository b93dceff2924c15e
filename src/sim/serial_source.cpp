#include "sim/serial_source.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "sim/line_io.h"

namespace dravio::sim {

int serveSource(int fd, int stopFd, SerialSource& source, base::Clock& clock, SniffLog* log, std::string& error) {
    char buffer[4096];
    for (;;) {
        const auto now = clock.now();
        const std::string due = source.takeDue(now);
        if (log != nullptr && !due.empty()) {
            log->write(now, SniffLog::Direction::EcuToTester, std::vector<std::uint8_t>(due.begin(), due.end()));
        }
        if (!writeAll(fd, due.data(), due.size(), error)) return 1;
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
        const auto onBytes = [&](std::span<const char> bytes) {
            const auto t = clock.now();
            if (log != nullptr)
                log->write(t, SniffLog::Direction::TesterToEcu, std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
            source.received(t, std::string_view(bytes.data(), bytes.size()));
        };
        if (!readReady(fd, fds[0].revents, buffer, onBytes, error)) return 1;
    }
}

}  // namespace dravio::sim
