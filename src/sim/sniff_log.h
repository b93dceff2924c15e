// sim: the bench responder's sniff log. Every byte both ways, one line per
// byte or burst: seconds since the start with four decimals, the direction
// ("T>" tester to ECU, "<E" ECU to tester) and the bytes in hex.
//   0.3521 T> 81 10 F1 81 03
//   0.4012 <E 83 F1 10 C1 EF 8F C3
// Lines are flushed as written, so a log survives the responder being killed.
#pragma once

#include <cstdint>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "base/clock.h"

namespace dravio::sim {

class SniffLog {
public:
    enum class Direction { TesterToEcu, EcuToTester };

    // Opens (truncates) `path`; nullptr with `error` set when it cannot.
    static std::unique_ptr<SniffLog> open(const std::string& path, base::Clock::TimePoint origin, std::string& error);

    SniffLog(std::unique_ptr<std::ostream> out, base::Clock::TimePoint origin);

    void write(base::Clock::TimePoint t, Direction direction, const std::vector<std::uint8_t>& bytes);

    // One line, without its line end.
    static std::string line(double seconds, Direction direction, const std::vector<std::uint8_t>& bytes);

private:
    std::unique_ptr<std::ostream> out_;
    base::Clock::TimePoint origin_;
};

}  // namespace dravio::sim
