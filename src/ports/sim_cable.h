// ports: a simulated K-line cable. It keeps the time of every operation, echoes
// every written byte back as a real K-line does, and hands the line's traffic to
// a peer (a simulated ECU) that can answer.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "base/clock.h"
#include "ports/kline_cable.h"

namespace dravio::ports {

class SimCable;

// What sits on the other end of the K-line.
class SimPeer {
public:
    virtual ~SimPeer() = default;
    // A byte from the tester has been fully transmitted at `end`, at `baud`.
    virtual void onTesterByte(SimCable& line, base::Clock::TimePoint end, std::uint8_t byte,
                              std::uint32_t baud) = 0;
    // The tester pulled the line low (`low` true) or released it at `t`.
    virtual void onBreak(SimCable& /*line*/, base::Clock::TimePoint /*t*/, bool /*low*/) {}
    // The tester's side changed its baud rate at `t`.
    virtual void onBaudChange(SimCable& /*line*/, base::Clock::TimePoint /*t*/, std::uint32_t /*baud*/) {}
};

class SimCable final : public KLineCable {
public:
    enum class Op { Open, Close, Reset, Purge, Baud, Format, Write, BreakOn, BreakOff, Read };
    struct Event {
        base::Clock::TimePoint t;
        Op op;
        std::uint32_t value = 0;  // the byte written, the baud rate, the count read
    };

    explicit SimCable(base::Clock& clock, std::vector<std::string> descriptions = {"Dravio simulated K-line"});

    void setPeer(SimPeer* peer) { peer_ = peer; }

    // Peer side: a byte whose first bit leaves the ECU at `start`, sent at `baud`.
    // The tester hears it once fully received, and only when its own baud rate
    // matches at that moment. Bytes on the line are serialised: a byte sent while
    // another is still on the wire starts after it.
    void sendFromPeer(base::Clock::TimePoint start, std::uint8_t byte, std::uint32_t baud);
    // The time at which the line is free again for a peer byte starting no earlier than `t`.
    base::Clock::TimePoint lineFreeAfter(base::Clock::TimePoint t) const;

    // The K-line lead pulled off: every operation fails with an I/O error, the device stays.
    void setUnplugged(bool unplugged) { unplugged_ = unplugged; }
    // The USB cable itself pulled out: operations fail and the cable says it is gone.
    void setGone(bool gone) { gone_ = gone; }

    const std::vector<Event>& events() const { return events_; }
    // The written bytes with their times, in order.
    std::vector<Event> writes() const;
    void clearEvents() { events_.clear(); }
    std::uint32_t baudRate() const { return baud_; }
    bool lineLow() const { return breakOn_; }

    // Time a byte takes on the wire at `baud`: start, 8 data and stop bits.
    static base::Clock::Duration byteTime(std::uint32_t baud);

    // KLineCable
    int deviceCount(std::uint32_t& count) override;
    int deviceDescription(std::uint32_t index, std::string& description) override;
    int open(const std::string& description) override;
    int reset() override;
    int purge() override;
    int setBaudRate(std::uint32_t baud) override;
    int setDataCharacteristics8N1() override;
    int write(std::uint8_t byte) override;
    int queueStatus(std::uint32_t& count) override;
    int read(std::uint32_t count, std::vector<std::uint8_t>& out) override;
    int breakOn() override;
    int breakOff() override;
    int close() override;
    bool isOpen() const override { return open_; }
    std::uint32_t waitForQueue(std::uint32_t count, base::Clock::TimePoint deadline) override;
    std::string lastError() const override { return lastError_; }
    bool gone() const override { return gone_; }

private:
    struct InFlight {
        base::Clock::TimePoint arrives;
        std::uint8_t byte;
        std::uint32_t baud;
    };

    int check(bool needOpen);
    void record(Op op, std::uint32_t value = 0);
    std::uint32_t baudAt(base::Clock::TimePoint t) const;
    // Moves the bytes that have arrived by now into the receive queue.
    void settle();

    base::Clock& clock_;
    std::vector<std::string> descriptions_;
    SimPeer* peer_ = nullptr;
    bool open_ = false;
    bool unplugged_ = false;
    bool gone_ = false;
    bool breakOn_ = false;
    std::uint32_t baud_ = 9600;
    std::vector<std::pair<base::Clock::TimePoint, std::uint32_t>> baudHistory_;
    base::Clock::TimePoint testerLineFree_{};
    base::Clock::TimePoint peerLineFree_{};
    std::deque<InFlight> inFlight_;  // ordered by arrival
    std::deque<std::uint8_t> received_;
    std::vector<Event> events_;
    std::string lastError_;
};

}  // namespace dravio::ports
