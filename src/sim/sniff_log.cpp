#include "sim/sniff_log.h"

#include <cstdio>
#include <cstring>

#include "proto/hex.h"

namespace dravio::sim {

std::unique_ptr<SniffLog> SniffLog::open(const std::string& path, base::Clock::TimePoint origin, std::string& error) {
    auto file = std::make_unique<std::ofstream>(path, std::ios::out | std::ios::trunc);
    if (!*file) {
        error = "cannot write the sniff log " + path + ": " + std::strerror(errno);
        return nullptr;
    }
    return std::make_unique<SniffLog>(std::move(file), origin);
}

SniffLog::SniffLog(std::unique_ptr<std::ostream> out, base::Clock::TimePoint origin)
    : out_(std::move(out)), origin_(origin) {}

std::string SniffLog::line(double seconds, Direction direction, const std::vector<std::uint8_t>& bytes) {
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%.4f", seconds < 0 ? 0.0 : seconds);
    std::string text = stamp;
    text += direction == Direction::TesterToEcu ? " T>" : " <E";
    for (const auto b : bytes) text += " " + proto::ByteToHex(b);
    return text;
}

void SniffLog::write(base::Clock::TimePoint t, Direction direction, const std::vector<std::uint8_t>& bytes) {
    if (bytes.empty() || !out_) return;
    const double seconds = std::chrono::duration<double>(t - origin_).count();
    *out_ << line(seconds, direction, bytes) << '\n' << std::flush;
}

}  // namespace dravio::sim
