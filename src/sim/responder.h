// sim: the bench responder. A simulated ECU (or an ELM327 adapter with one
// behind it) served on a byte stream, on the real clock: tester bytes become
// device events at their arrival time, device bytes are written at the time
// they would reach the tester, and everything goes to the sniff log.
//
// On a pseudo-terminal no break and no baud rate travels, so:
// - a lone 0xF0 byte after at least 300 ms of silence counts as a fast
//   wake-up (the 25 ms low / 25 ms high pattern a 200-baud 0xF0 draws);
// - with `lenient` a KWP2000 ECU also accepts StartCommunication with no
//   wake-up at all (breaks from mode-0 wake-ups never arrive);
// - tester bytes are taken at the rate the tester set on its side when the
//   pseudo-terminal reports one, else at the model's rate;
// - one-byte models start awake at 7812 baud; when the tester turns its side
//   to 1200 baud to hear the power-on code, the rider turns the key.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sim/elm327_emulator.h"
#include "sim/engine_model.h"
#include "sim/kline_device.h"
#include "sim/kwp_session.h"
#include "sim/onebyte_ecu.h"
#include "sim/sniff_log.h"

namespace dravio::sim {

// The models a responder can play, by their command-line names.
inline constexpr std::string_view kResponderModels[] = {"59m", "5am", "obd", "mm16", "mm15", "15rc", "p8"};

struct SimulatedEcu {
    std::unique_ptr<EngineModel> engine;  // shared by one-byte ECUs, else unused
    std::unique_ptr<KLineDevice> device;
    KwpSession* session = nullptr;  // the device when it speaks KWP2000
    OneByteEcu* oneByte = nullptr;  // the device when it answers one-byte commands
    std::uint32_t baud = 10400;     // the rate it talks at once awake
};

// The ECU of `model` (a name of kResponderModels); no device for an unknown name.
// `awake`: communicating from the start, no wake-up needed. A one-byte ECU also
// starts listening at once when `lenient` (nobody turns a key over a pty);
// otherwise it waits for its key to be turned.
SimulatedEcu makeSimulatedEcu(std::string_view model, bool lenient, bool awake, Clock::TimePoint origin);

struct ResponderOptions {
    bool echo = true;     // a K-line hears its own bytes
    bool lenient = true;  // StartCommunication without wake-up
    bool elm = false;     // an ELM327 adapter in front of the ECU
    Elm327Profile profile = Elm327Profile::genuine();
    Clock::Duration wakeSilence = std::chrono::milliseconds(300);
};

class Responder final : private KLineOutput {
public:
    Responder(SimulatedEcu& ecu, ResponderOptions options, SniffLog* log);
    Responder(const Responder&) = delete;
    Responder& operator=(const Responder&) = delete;

    // Bytes from the tester, read at `t`; `baud` is the tester's rate when
    // known, else 0.
    void testerBytes(Clock::TimePoint t, const std::vector<std::uint8_t>& bytes, std::uint32_t baud);
    // The tester's side of a pty now runs at `baud`. A one-byte ECU takes the
    // tester's move to the power-on code's rate as the rider turning the key.
    void testerBaud(Clock::TimePoint t, std::uint32_t baud);
    // The bytes to write by `now`, in order, removed.
    std::vector<std::uint8_t> takeDue(Clock::TimePoint now);
    // When the next byte is due; max() when nothing waits.
    Clock::TimePoint nextDue() const;

    Elm327Emulator* adapter() { return elm_.get(); }

private:
    struct Out {
        Clock::TimePoint at;
        std::uint8_t byte;
        bool echo;
    };
    void send(Clock::TimePoint start, std::uint8_t byte, std::uint32_t baud) override;
    void queue(Out item);

    SimulatedEcu& ecu_;
    ResponderOptions options_;
    SniffLog* log_;
    std::unique_ptr<Elm327Emulator> elm_;
    std::deque<Out> out_;  // ordered by time
    Clock::TimePoint ecuLineFree_ = Clock::TimePoint::min();
    Clock::TimePoint lastTesterByte_ = Clock::TimePoint::min();
    std::uint32_t testerBaud_ = 0;
};

// Serves `fd` until `stopFd` (standard input) closes or reports an error, or
// `fd` hangs up for good. Returns 0, or 1 with `error` set.
int serve(int fd, int stopFd, Responder& responder, base::Clock& clock, std::uint32_t (*testerBaud)(int),
          std::string& error);

}  // namespace dravio::sim
