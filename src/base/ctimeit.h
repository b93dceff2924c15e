// base: interval timer for waits, trace time stamps and the measurement cycle.
// Counts come from the Clock it is given, so tests measure virtual time.
#pragma once

#include <cstdint>
#include <optional>

#include "base/clock.h"

namespace dravio::base {

class CTimeIt {
public:
    explicit CTimeIt(const Clock& clock);

    // Counts per second. Clock counts are nanoseconds.
    std::int64_t Frequency() const { return kCountsPerSecond; }

    // Takes the start count and forgets any earlier stop count.
    void Start();

    // Takes the stop count; may be called again to measure further.
    void StopNow();

    // Seconds from the start count to the stop count; -1 when StopNow has not
    // been called since the last Start. Before any Start the start count is 0.
    double Result() const;

private:
    static constexpr std::int64_t kCountsPerSecond = 1'000'000'000;

    const Clock& clock_;
    std::int64_t startCount_ = 0;
    // Empty rather than 0 when not stopped: a virtual clock can read 0.
    std::optional<std::int64_t> stopCount_;
};

}  // namespace dravio::base
