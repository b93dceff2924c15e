#include "ports/sim_cable.h"

#include <algorithm>

namespace dravio::ports {

using base::Clock;

SimCable::SimCable(Clock& clock, std::vector<std::string> descriptions)
    : clock_(clock), descriptions_(std::move(descriptions)) {
    baudHistory_.emplace_back(Clock::TimePoint::min(), baud_);
}

Clock::Duration SimCable::byteTime(std::uint32_t baud) {
    if (baud == 0) return Clock::Duration::zero();
    return std::chrono::nanoseconds(10'000'000'000LL / baud);
}

int SimCable::check(bool needOpen) {
    if (unplugged_ || gone_) {
        lastError_ = "Câble débranché";
        return kCableIoError;
    }
    if (needOpen && !open_) {
        lastError_ = "Câble non ouvert";
        return kCableInvalidHandle;
    }
    lastError_.clear();
    return kCableOk;
}

void SimCable::record(Op op, std::uint32_t value) { events_.push_back({clock_.now(), op, value}); }

std::uint32_t SimCable::baudAt(Clock::TimePoint t) const {
    std::uint32_t baud = baudHistory_.front().second;
    for (const auto& [when, rate] : baudHistory_) {
        if (when > t) break;
        baud = rate;
    }
    return baud;
}

void SimCable::settle() {
    const auto now = clock_.now();
    while (!inFlight_.empty() && inFlight_.front().arrives <= now) {
        const auto item = inFlight_.front();
        inFlight_.pop_front();
        // A UART set to another rate hears nothing usable: the byte is lost.
        if (open_ && item.baud == baudAt(item.arrives)) received_.push_back(item.byte);
    }
}

std::vector<SimCable::Event> SimCable::writes() const {
    std::vector<Event> out;
    std::copy_if(events_.begin(), events_.end(), std::back_inserter(out),
                 [](const Event& e) { return e.op == Op::Write; });
    return out;
}

Clock::TimePoint SimCable::lineFreeAfter(Clock::TimePoint t) const {
    return std::max({t, peerLineFree_, testerLineFree_});
}

void SimCable::sendFromPeer(Clock::TimePoint start, std::uint8_t byte, std::uint32_t baud) {
    const auto begin = std::max(start, peerLineFree_);
    const auto arrives = begin + byteTime(baud);
    peerLineFree_ = arrives;
    const InFlight item{arrives, byte, baud};
    const auto at = std::upper_bound(inFlight_.begin(), inFlight_.end(), item,
                                     [](const InFlight& a, const InFlight& b) { return a.arrives < b.arrives; });
    inFlight_.insert(at, item);
}

int SimCable::deviceCount(std::uint32_t& count) {
    count = unplugged_ ? 0 : static_cast<std::uint32_t>(descriptions_.size());
    return kCableOk;
}

int SimCable::deviceDescription(std::uint32_t index, std::string& description) {
    if (unplugged_ || index >= descriptions_.size()) return kCableDeviceNotFound;
    description = descriptions_[index];
    return kCableOk;
}

int SimCable::open(const std::string& description) {
    if (const int s = check(false)) return s;
    if (std::find(descriptions_.begin(), descriptions_.end(), description) == descriptions_.end()) {
        lastError_ = "Aucun câble « " + description + " »";
        return kCableDeviceNotFound;
    }
    open_ = true;
    record(Op::Open);
    return kCableOk;
}

int SimCable::reset() {
    if (const int s = check(true)) return s;
    record(Op::Reset);
    return kCableOk;
}

int SimCable::purge() {
    if (const int s = check(true)) return s;
    settle();
    received_.clear();
    record(Op::Purge);
    return kCableOk;
}

int SimCable::setBaudRate(std::uint32_t baud) {
    if (const int s = check(true)) return s;
    if (baud == 0) return kCableInvalidBaudRate;
    settle();
    baud_ = baud;
    baudHistory_.emplace_back(clock_.now(), baud);
    record(Op::Baud, baud);
    if (peer_) peer_->onBaudChange(*this, clock_.now(), baud);
    return kCableOk;
}

int SimCable::setDataCharacteristics8N1() {
    if (const int s = check(true)) return s;
    record(Op::Format);
    return kCableOk;
}

int SimCable::write(std::uint8_t byte) {
    if (const int s = check(true)) return s;
    record(Op::Write, byte);
    const auto begin = std::max(clock_.now(), testerLineFree_);
    const auto end = begin + byteTime(baud_);
    testerLineFree_ = end;
    if (breakOn_) return kCableOk;  // a line held low carries nothing
    // The cable hears its own transmission.
    const InFlight echo{end, byte, baud_};
    const auto at = std::upper_bound(inFlight_.begin(), inFlight_.end(), echo,
                                     [](const InFlight& a, const InFlight& b) { return a.arrives < b.arrives; });
    inFlight_.insert(at, echo);
    if (peer_) peer_->onTesterByte(*this, end, byte, baud_);
    return kCableOk;
}

int SimCable::queueStatus(std::uint32_t& count) {
    count = 0;
    if (const int s = check(true)) return s;
    settle();
    count = static_cast<std::uint32_t>(received_.size());
    return kCableOk;
}

int SimCable::read(std::uint32_t count, std::vector<std::uint8_t>& out) {
    if (const int s = check(true)) return s;
    settle();
    const auto n = std::min<std::size_t>(count, received_.size());
    out.insert(out.end(), received_.begin(), received_.begin() + static_cast<std::ptrdiff_t>(n));
    received_.erase(received_.begin(), received_.begin() + static_cast<std::ptrdiff_t>(n));
    record(Op::Read, static_cast<std::uint32_t>(n));
    return kCableOk;
}

int SimCable::breakOn() {
    if (const int s = check(true)) return s;
    breakOn_ = true;
    record(Op::BreakOn);
    if (peer_) peer_->onBreak(*this, clock_.now(), true);
    return kCableOk;
}

int SimCable::breakOff() {
    if (const int s = check(true)) return s;
    breakOn_ = false;
    record(Op::BreakOff);
    if (peer_) peer_->onBreak(*this, clock_.now(), false);
    return kCableOk;
}

int SimCable::close() {
    if (!open_) return kCableInvalidHandle;
    open_ = false;
    received_.clear();
    record(Op::Close);
    return kCableOk;
}

std::uint32_t SimCable::waitForQueue(std::uint32_t count, Clock::TimePoint deadline) {
    std::uint32_t have = 0;
    if (queueStatus(have) != kCableOk) {
        clock_.sleepUntil(deadline);
        return 0;
    }
    if (have >= count) return have;
    // Find when the count-th usable byte lands; sleep until then or the deadline.
    auto target = deadline;
    std::uint32_t expected = have;
    for (const auto& item : inFlight_) {
        if (item.arrives >= deadline) break;
        if (item.baud != baudAt(item.arrives)) continue;
        if (++expected >= count) {
            target = item.arrives;
            break;
        }
    }
    clock_.sleepUntil(target);
    queueStatus(have);
    return have;
}

}  // namespace dravio::ports
