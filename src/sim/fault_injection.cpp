#include "sim/fault_injection.h"

#include <algorithm>

namespace dravio::sim {

bool Faults::chance(double p) {
    if (p <= 0) return false;
    if (p >= 1) return true;
    return std::uniform_real_distribution<double>(0.0, 1.0)(rng_) < p;
}

std::vector<NoiseBurst> Faults::takeNoiseUntil(base::Clock::TimePoint t) {
    std::vector<NoiseBurst> due;
    std::vector<NoiseBurst> later;
    for (NoiseBurst& b : noise_) (b.at <= t ? due : later).push_back(std::move(b));
    noise_ = std::move(later);
    std::sort(due.begin(), due.end(), [](const NoiseBurst& a, const NoiseBurst& b) { return a.at < b.at; });
    return due;
}

void Faults::unplug(bool unplugged) {
    if (unplugHook_) unplugHook_(unplugged);
}

bool Faults::acceptWakeUp() {
    if (ignoreWakeUps_ > 0) {
        --ignoreWakeUps_;
        ++wakeUpsIgnoredCount_;
        return false;
    }
    return true;
}

AnswerFate Faults::nextAnswer() {
    AnswerFate fate;
    if (unplugAfter_ == 0) {
        unplugAfter_ = -1;
        unplug(true);
        fate.drop = true;  // nobody is listening any more
        return fate;
    }
    if (unplugAfter_ > 0) {
        --unplugAfter_;
    }
    if (dropNext_ > 0) {
        --dropNext_;
        fate.drop = true;
    } else if (chance(dropProbability_)) {
        fate.drop = true;
    }
    if (fate.drop) {
        ++answersDropped_;
        return fate;
    }
    if (badChecksumNext_ > 0) {
        --badChecksumNext_;
        fate.badChecksum = true;
    }
    if (delayNext_ > 0) {
        --delayNext_;
        fate.extraDelay = delay_;
    }
    if (pendingNext_ > 0) {
        --pendingNext_;
        fate.responsePending = true;
    }
    return fate;
}

ByteFate Faults::nextByte(std::uint8_t byte) {
    ByteFate fate;
    const std::uint64_t index = bytesSeen_++;
    const auto hit = [index](std::vector<std::uint64_t>& list) {
        auto it = std::find(list.begin(), list.end(), index);
        if (it == list.end()) return false;
        list.erase(it);
        return true;
    };
    if (hit(dropAt_) || chance(byteDropProbability_)) {
        fate.drop = true;
        return fate;
    }
    if (hit(corruptAt_) || chance(byteCorruptProbability_)) {
        fate.corrupt = true;
        fate.replacement = static_cast<std::uint8_t>(~byte);
    }
    return fate;
}

}  // namespace dravio::sim
