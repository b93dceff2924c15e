#include "sim/kwp_session.h"

#include <algorithm>

namespace dravio::sim {

namespace {

constexpr std::uint8_t kStartCommunication = 0x81;
constexpr std::uint8_t kStopCommunication = 0x82;
constexpr std::uint8_t kAccessTimingParameters = 0x83;
constexpr std::uint8_t kStartDiagnosticSession = 0x10;
constexpr std::uint8_t kStopDiagnosticSession = 0x20;
constexpr std::uint8_t kTesterPresent = 0x3E;

constexpr std::uint8_t kServiceNotSupported = 0x11;
constexpr std::uint8_t kSubFunctionNotSupported = 0x12;
constexpr std::uint8_t kResponsePending = 0x78;

// Timing parameters in the units of AccessTimingParameters: P2min 0.5 ms,
// P2max 25 ms, P3min 0.5 ms, P3max 250 ms, P4min 0.5 ms.
std::array<std::uint8_t, 5> timingBytes(const KwpTiming& t) {
    const auto units = [](Clock::Duration d, std::chrono::microseconds unit) {
        return static_cast<std::uint8_t>(std::clamp<long long>(d / unit, 0, 255));
    };
    using std::chrono::microseconds;
    return {units(t.p2, microseconds(500)), units(std::chrono::milliseconds(50), microseconds(25000)),
            units(std::chrono::milliseconds(55), microseconds(500)), units(t.p3max, microseconds(250000)),
            units(t.p1, microseconds(500))};
}

}  // namespace

KwpSession::KwpSession(KwpSessionOptions options)
    : options_(options), faults_(options.faultSeed), wake_(options.wake) {
    if (options_.startAwake) state_ = State::Communicating;
}

Clock::Duration KwpSession::byteTime(std::uint32_t baud) {
    if (baud == 0) return Clock::Duration::zero();
    return std::chrono::nanoseconds(10'000'000'000LL / baud);
}

std::vector<std::uint8_t> KwpSession::negative(std::uint8_t sid, std::uint8_t code) { return {0x7F, sid, code}; }

bool KwpSession::communicating(Clock::TimePoint t) const {
    if (state_ != State::Communicating) return false;
    return !lastActivity_ || t - *lastActivity_ <= options_.timing.p3max;
}

void KwpSession::drop(Clock::TimePoint t) {
    const bool was = state_ == State::Communicating;
    state_ = State::Asleep;
    assembler_.reset();
    lastActivity_.reset();
    if (was) onLinkDropped(t);
}

void KwpSession::expireIfSilent(Clock::TimePoint t) {
    switch (state_) {
    case State::Communicating:
        if (lastActivity_ && t - *lastActivity_ > options_.timing.p3max) drop(t);
        break;
    case State::WakePending:
        if (t - wokenAt_ > options_.timing.p3max) drop(t);
        break;
    case State::KeyBytesSent:
        if (t - keyByteEnd_ > options_.timing.w4max) drop(t);
        break;
    case State::Asleep:
        break;
    }
}

void KwpSession::pump(KLineOutput& out, Clock::TimePoint t) {
    for (const NoiseBurst& burst : faults_.takeNoiseUntil(t)) {
        Clock::TimePoint at = burst.at;
        for (const std::uint8_t b : burst.bytes) {
            out.send(at, b, options_.baud);
            at += byteTime(options_.baud);
        }
        lineFree_ = std::max(lineFree_, at);
    }
}

void KwpSession::wakeUp(Clock::TimePoint t) {
    if (!faults_.acceptWakeUp()) return;
    drop(t);
    state_ = State::WakePending;
    wokenAt_ = t;
    startComFrom_ = t;
}

void KwpSession::handleWake(KLineOutput& out, const WakeEvent& e) {
    if (e.kind == WakeEvent::Kind::FiveBaud && e.address != options_.address) return;
    if (!faults_.acceptWakeUp()) return;
    drop(e.at);
    if (e.kind == WakeEvent::Kind::Fast) {
        state_ = State::WakePending;
        wokenAt_ = e.at;
        startComFrom_ = e.at + options_.wake.fastHighMin - options_.wake.jitter;
        return;
    }
    // 5-baud: synchronisation byte and the two key bytes at the link rate.
    const KwpTiming& tm = options_.timing;
    const Clock::Duration byte = byteTime(options_.baud);
    Clock::TimePoint t = std::max(e.at + tm.w1, lineFree_);
    out.send(t, 0x55, options_.baud);
    t += byte + tm.w2;
    out.send(t, options_.keyBytes[0], options_.baud);
    t += byte + tm.w3;
    out.send(t, options_.keyBytes[1], options_.baud);
    keyByteEnd_ = t + byte;
    lineFree_ = keyByteEnd_;
    state_ = State::KeyBytesSent;
}

void KwpSession::onBreak(KLineOutput& out, Clock::TimePoint t, bool low) {
    pump(out, t);
    assembler_.reset();
    for (const WakeEvent& e : wake_.edge(t, low)) handleWake(out, e);
}

void KwpSession::onBaudChange(KLineOutput& out, Clock::TimePoint t, std::uint32_t /*baud*/) { pump(out, t); }

void KwpSession::onTesterByte(KLineOutput& out, Clock::TimePoint end, std::uint8_t byte, std::uint32_t baud) {
    pump(out, end);
    if (baud != options_.baud) {
        // Not something the UART can read; only its line levels count.
        assembler_.reset();
        for (const WakeEvent& e : wake_.byte(end, byte, baud)) handleWake(out, e);
        return;
    }
    const Clock::TimePoint start = end - byteTime(baud);
    // A byte at the link rate ends any 5-baud pattern under way.
    wake_.reset();
    expireIfSilent(start);
    if (!assembler_.empty() && heardByte_ && start - lastByteEnd_ > options_.timing.p4max) assembler_.reset();
    heardByte_ = true;
    lastByteEnd_ = end;

    switch (state_) {
    case State::Asleep:
        if (!options_.lenient) return;
        break;
    case State::WakePending:
        if (assembler_.empty() && start < startComFrom_) {
            // Too early after the pulse: not a wake-up after all.
            drop(start);
            return;
        }
        break;
    case State::KeyBytesSent: {
        const auto inverted = static_cast<std::uint8_t>(~options_.keyBytes[1]);
        const Clock::Duration after = start - keyByteEnd_;
        if (byte != inverted || after < options_.timing.w4min || after > options_.timing.w4max) {
            drop(start);
            return;
        }
        const Clock::TimePoint t = std::max(end + options_.timing.w4, lineFree_);
        out.send(t, static_cast<std::uint8_t>(~options_.address), options_.baud);
        lineFree_ = t + byteTime(options_.baud);
        state_ = State::Communicating;
        lastActivity_ = lineFree_;
        return;
    }
    case State::Communicating:
        break;
    }

    if (assembler_.push(byte) != proto::KwpFrameAssembler::Status::Complete) return;
    handleFrame(out, assembler_.frame(), end);
}

void KwpSession::handleFrame(KLineOutput& out, const proto::KwpFrame& frame, Clock::TimePoint end) {
    if (frame.addressing == proto::KwpAddressing::Physical && frame.target != options_.address) return;
    if (frame.addressing == proto::KwpAddressing::Functional && frame.target != options_.functionalAddress) return;
    if (frame.data.empty()) return;
    const std::uint8_t sid = frame.data[0];

    if (state_ != State::Communicating) {
        // Asleep (lenient) or just woken: only StartCommunication opens the link.
        if (sid != kStartCommunication) return;
        if (state_ == State::Asleep && !faults_.acceptWakeUp()) return;
        state_ = State::Communicating;
    }
    lastActivity_ = end;

    bool stop = false;
    std::vector<std::uint8_t> data = answerCommon(frame, end, stop);
    if (data.empty()) return;

    const AnswerFate fate = faults_.nextAnswer();
    if (!fate.drop) {
        // Answers go back to whoever asked, always physically addressed.
        const proto::KwpAddressing form =
            frame.addressing == proto::KwpAddressing::None ? proto::KwpAddressing::None : proto::KwpAddressing::Physical;
        Clock::TimePoint start = std::max(end + options_.timing.p2 + fate.extraDelay, lineFree_);
        pump(out, start);
        start = std::max(start, lineFree_);
        if (fate.responsePending) {
            const auto pending = proto::buildKwpFrame(form, frame.source, options_.address, negative(sid, kResponsePending));
            start = sendFrame(out, start, pending) + options_.timing.p2;
        }
        std::vector<std::uint8_t> bytes = proto::buildKwpFrame(form, frame.source, options_.address, data);
        if (fate.badChecksum) bytes.back() = static_cast<std::uint8_t>(bytes.back() + 1);
        lastActivity_ = sendFrame(out, start, bytes);
    }
    if (stop) drop(lastActivity_.value_or(end));
}

std::vector<std::uint8_t> KwpSession::answerCommon(const proto::KwpFrame& request, Clock::TimePoint end, bool& stop) {
    const std::vector<std::uint8_t>& d = request.data;
    const std::uint8_t sid = d[0];
    switch (sid) {
    case kStartCommunication:
        return {0xC1, options_.keyBytes[0], options_.keyBytes[1]};
    case kStopCommunication:
        stop = true;
        return {0xC2};
    case kTesterPresent:
        if (d.size() >= 2 && d[1] == 0x02) return {};  // tester asked for no answer
        return {0x7E};
    case kStartDiagnosticSession:
        if (d.size() != 2 || d[1] != 0x81) return negative(sid, kSubFunctionNotSupported);
        return {0x50, 0x81};
    case kStopDiagnosticSession:
        return {0x60};
    case kAccessTimingParameters: {
        if (d.size() < 2) return negative(sid, kSubFunctionNotSupported);
        const std::uint8_t tpi = d[1];
        if (tpi == 0x00 || tpi == 0x02) {
            std::vector<std::uint8_t> a{0xC3, tpi};
            for (const std::uint8_t b : timingBytes(options_.timing)) a.push_back(b);
            return a;
        }
        if (tpi == 0x01) return {0xC3, tpi};
        // Set values: acknowledged; the simulated ECU keeps its own timing.
        if (tpi == 0x03 && d.size() == 7) return {0xC3, tpi};
        return negative(sid, kSubFunctionNotSupported);
    }
    default:
        break;
    }
    std::optional<std::vector<std::uint8_t>> answer = answerRequest(request, end);
    if (!answer) return negative(sid, kServiceNotSupported);
    return *answer;
}

Clock::TimePoint KwpSession::sendByte(KLineOutput& out, Clock::TimePoint start, std::uint8_t byte) {
    const ByteFate fate = faults_.nextByte(byte);
    if (!fate.drop) out.send(start, fate.corrupt ? fate.replacement : byte, options_.baud);
    return start + byteTime(options_.baud);
}

Clock::TimePoint KwpSession::sendFrame(KLineOutput& out, Clock::TimePoint start,
                                       const std::vector<std::uint8_t>& frame) {
    Clock::TimePoint t = start;
    for (std::size_t i = 0; i < frame.size(); ++i) {
        if (i > 0) t += options_.timing.p1;
        t = sendByte(out, t, frame[i]);
    }
    lineFree_ = std::max(lineFree_, t);
    return t;
}

}  // namespace dravio::sim
