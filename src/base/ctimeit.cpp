#include "base/ctimeit.h"

namespace dravio::base {
namespace {

std::int64_t countNow(const Clock& clock) {
    return clock.now().time_since_epoch().count();
}

}  // namespace

CTimeIt::CTimeIt(const Clock& clock) : clock_(clock) {}

void CTimeIt::Start() {
    startCount_ = countNow(clock_);
    stopCount_.reset();
}

void CTimeIt::StopNow() { stopCount_ = countNow(clock_); }

double CTimeIt::Result() const {
    if (!stopCount_ || Frequency() <= 0) return -1.0;
    // Divide rather than scale by 1e-9 so whole counts give the nearest double.
    return static_cast<double>(*stopCount_ - startCount_) / static_cast<double>(Frequency());
}

}  // namespace dravio::base
