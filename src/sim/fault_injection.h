// sim: a plan of faults a simulated ECU applies to its own behaviour, so that
// the tester's time-outs, retries, checksum checks and resynchronisation can be
// exercised. Every simulator consults the same plan at the same points: when it
// is woken, before it answers, and for each byte it puts on the line.
#pragma once

#include <cstdint>
#include <functional>
#include <random>
#include <utility>
#include <vector>

#include "base/clock.h"

namespace dravio::sim {

// Noise the ECU side puts on the line by itself, unrelated to any request.
struct NoiseBurst {
    base::Clock::TimePoint at{};
    std::vector<std::uint8_t> bytes;
};

// What the plan says about one answer about to be sent.
struct AnswerFate {
    bool drop = false;                        // send nothing at all
    bool badChecksum = false;                 // last byte of the frame altered
    bool responsePending = false;             // send 7F <sid> 78 first
    base::Clock::Duration extraDelay{0};      // added to the normal answer delay
};

// What the plan says about one byte about to be sent.
struct ByteFate {
    bool drop = false;
    bool corrupt = false;
    std::uint8_t replacement = 0;  // the byte sent instead when corrupt
};

class Faults {
public:
    explicit Faults(std::uint32_t seed = 1) : rng_(seed) {}

    // Answers ---------------------------------------------------------------
    // The next `count` answers are not sent.
    void dropNextAnswers(int count) { dropNext_ = count; }
    // Each answer is lost with probability `p` (seeded, reproducible).
    void dropAnswersWithProbability(double p) { dropProbability_ = p; }
    // The next `count` answers carry a wrong checksum.
    void corruptChecksumOfNext(int count) { badChecksumNext_ = count; }
    // The next `count` answers come `delay` later than they should.
    void delayNextAnswers(int count, base::Clock::Duration delay) {
        delayNext_ = count;
        delay_ = delay;
    }
    // The next `count` answers are preceded by a "response pending" frame.
    void responsePendingBeforeNext(int count) { pendingNext_ = count; }

    // Bytes -----------------------------------------------------------------
    // Each answer byte is dropped with probability `pDrop` and flipped with
    // probability `pCorrupt` (seeded).
    void setByteErrors(double pDrop, double pCorrupt) {
        byteDropProbability_ = pDrop;
        byteCorruptProbability_ = pCorrupt;
    }
    // The answer byte with this index (0-based, counted over every byte the ECU
    // sends from now on) is dropped or replaced by its complement.
    void dropByteAt(std::uint64_t index) { dropAt_.push_back(bytesSeen_ + index); }
    void corruptByteAt(std::uint64_t index) { corruptAt_.push_back(bytesSeen_ + index); }

    // Line noise ----------------------------------------------------------
    void addNoise(NoiseBurst burst) { noise_.push_back(std::move(burst)); }
    // Noise bursts due at or before `t`, removed from the plan.
    std::vector<NoiseBurst> takeNoiseUntil(base::Clock::TimePoint t);
    bool hasPendingNoise() const { return !noise_.empty(); }

    // Wake-up ---------------------------------------------------------------
    // The first `count` wake-ups are ignored.
    void ignoreFirstWakeUps(int count) { ignoreWakeUps_ = count; }

    // Cable -----------------------------------------------------------------
    // Called with true to unplug the cable, false to plug it back; the scenario
    // wires it to the simulated cable.
    void setUnplugHook(std::function<void(bool)> hook) { unplugHook_ = std::move(hook); }
    // Unplugs the cable when a request comes in after `answers` more answers
    // have been sent; that request goes unanswered.
    void unplugAfterAnswers(int answers) { unplugAfter_ = answers; }
    void unplug(bool unplugged);

    // Consulted by the simulators -------------------------------------------
    // A wake-up was recognised: true when it is to be honoured.
    bool acceptWakeUp();
    // An answer is about to be sent.
    AnswerFate nextAnswer();
    // A byte of an answer is about to be sent.
    ByteFate nextByte(std::uint8_t byte);

    // Counters for tests.
    int answersDropped() const { return answersDropped_; }
    int wakeUpsIgnored() const { return wakeUpsIgnoredCount_; }

private:
    bool chance(double p);

    std::mt19937 rng_;
    int dropNext_ = 0;
    double dropProbability_ = 0;
    int badChecksumNext_ = 0;
    int delayNext_ = 0;
    base::Clock::Duration delay_{0};
    int pendingNext_ = 0;
    double byteDropProbability_ = 0;
    double byteCorruptProbability_ = 0;
    std::vector<std::uint64_t> dropAt_;
    std::vector<std::uint64_t> corruptAt_;
    std::uint64_t bytesSeen_ = 0;
    std::vector<NoiseBurst> noise_;
    int ignoreWakeUps_ = 0;
    std::function<void(bool)> unplugHook_;
    int unplugAfter_ = -1;
    int answersDropped_ = 0;
    int wakeUpsIgnoredCount_ = 0;
};

}  // namespace dravio::sim
