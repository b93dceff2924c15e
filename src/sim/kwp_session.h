// sim: what every simulated KWP2000 ECU shares: sleeping until a fast or
// 5-baud wake-up, StartCommunication, frame assembly with the inter-byte time
// limit, the P2 answer delay and P1 byte spacing, the P3 silence after which
// the link is dropped, TesterPresent, the session and timing services, and
// the fault plan applied to every answer. A concrete ECU answers the rest.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <vector>

#include "sim/fault_injection.h"
#include "sim/kline_device.h"
#include "proto/kwp_frame.h"
#include "sim/wake_detector.h"

namespace dravio::sim {

struct KwpTiming {
    Clock::Duration p1{0};                                  // between answer bytes
    Clock::Duration p2 = std::chrono::milliseconds(25);     // end of request to answer
    Clock::Duration p3max = std::chrono::seconds(5);        // silence that drops the link
    Clock::Duration p4max = std::chrono::milliseconds(20);  // longest pause inside a request
    // 5-baud key exchange: address stop bit to 0x55, 0x55 to key byte 1,
    // key byte 1 to key byte 2, inverted key byte to inverted address.
    Clock::Duration w1 = std::chrono::milliseconds(60);
    Clock::Duration w2 = std::chrono::milliseconds(10);
    Clock::Duration w3 = std::chrono::milliseconds(5);
    Clock::Duration w4 = std::chrono::milliseconds(30);
    // When the tester's inverted key byte may start, after key byte 2 ended.
    Clock::Duration w4min = std::chrono::milliseconds(24);
    Clock::Duration w4max = std::chrono::milliseconds(60);
};

struct KwpSessionOptions {
    std::uint8_t address = 0x10;
    std::uint8_t functionalAddress = 0x33;
    std::uint32_t baud = 10400;
    std::array<std::uint8_t, 2> keyBytes{0xEF, 0x8F};
    WakeTiming wake;
    KwpTiming timing;
    // StartCommunication accepted without a wake-up (pseudo-terminals carry no breaks).
    bool lenient = false;
    // Communicating from the start, as if woken just before the first request.
    bool startAwake = false;
    std::uint32_t faultSeed = 1;
};

class KwpSession : public KLineDevice {
public:
    enum class State { Asleep, WakePending, KeyBytesSent, Communicating };

    explicit KwpSession(KwpSessionOptions options);

    // KLineDevice
    void onTesterByte(KLineOutput& out, Clock::TimePoint end, std::uint8_t byte, std::uint32_t baud) override;
    void onBreak(KLineOutput& out, Clock::TimePoint t, bool low) override;
    void onBaudChange(KLineOutput& out, Clock::TimePoint t, std::uint32_t baud) override;

    // A wake-up pattern completed at `t` by other means (a bench responder that
    // recognises one): StartCommunication is accepted from then on.
    void wakeUp(Clock::TimePoint t);
    // Puts the line noise that is due by `t` on the line.
    void pump(KLineOutput& out, Clock::TimePoint t);

    // The state as of the last event; `communicating(t)` also applies P3.
    State state() const { return state_; }
    bool communicating(Clock::TimePoint t) const;

    Faults& faults() { return faults_; }
    KwpSessionOptions& options() { return options_; }
    const KwpSessionOptions& options() const { return options_; }
    void setP2(Clock::Duration p2) { options_.timing.p2 = p2; }
    void setP1(Clock::Duration p1) { options_.timing.p1 = p1; }

    // Time a byte takes on the line at `baud`: start, 8 data and stop bits.
    static Clock::Duration byteTime(std::uint32_t baud);
    static std::vector<std::uint8_t> negative(std::uint8_t sid, std::uint8_t code);

protected:
    // The answer data (answer service identifier first) to a request of a
    // service the session does not handle itself, received whole at `end`.
    // nullopt: service not supported; an empty vector: no answer at all.
    virtual std::optional<std::vector<std::uint8_t>> answerRequest(const proto::KwpFrame& request,
                                                                   Clock::TimePoint end) = 0;
    // The link was dropped (StopCommunication, P3 silence, a new wake-up).
    virtual void onLinkDropped(Clock::TimePoint /*t*/) {}

private:
    void expireIfSilent(Clock::TimePoint t);
    void drop(Clock::TimePoint t);
    void handleWake(KLineOutput& out, const WakeEvent& e);
    void handleFrame(KLineOutput& out, const proto::KwpFrame& frame, Clock::TimePoint end);
    std::vector<std::uint8_t> answerCommon(const proto::KwpFrame& request, Clock::TimePoint end, bool& stop);
    // Sends a whole frame from `start`, with P1 between bytes and the byte
    // faults applied; returns when its last byte has left.
    Clock::TimePoint sendFrame(KLineOutput& out, Clock::TimePoint start, const std::vector<std::uint8_t>& frame);
    Clock::TimePoint sendByte(KLineOutput& out, Clock::TimePoint start, std::uint8_t byte);

    KwpSessionOptions options_;
    Faults faults_;
    WakeDetector wake_;
    proto::KwpFrameAssembler assembler_;
    State state_ = State::Asleep;
    Clock::TimePoint lastByteEnd_{};
    bool heardByte_ = false;
    std::optional<Clock::TimePoint> lastActivity_;  // end of the last request or answer
    Clock::TimePoint wokenAt_{};                    // when a pending wake-up completed
    Clock::TimePoint startComFrom_{};               // first request byte may start here
    Clock::TimePoint keyByteEnd_{};                 // end of key byte 2 (5-baud)
    Clock::TimePoint lineFree_{};                   // end of the ECU's last byte
};

}  // namespace dravio::sim
