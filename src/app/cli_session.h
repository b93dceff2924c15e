// app: one link session for the command line: the interface named on the command
// line, the exchange engine on the calling thread, the initialisation procedure,
// and a polite close.
#pragma once

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

#include "base/clock.h"
#include "base/event_loop.h"
#include "base/view_state.h"
#include "link/elm327_link.h"
#include "link/init_liaison.h"
#include "link/init_procedure.h"
#include "link/link.h"
#include "link/trace.h"
#include "ports/kline_cable.h"
#include "ports/serial_port.h"
#include "ports/sim_cable.h"
#include "ports/traffic_cable.h"
#include "sim/kline_device.h"
#include "sim/responder.h"

namespace dravio::app {

// The line could not be reached: one line on stderr, status 1.
struct InterfaceError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// "sim[:MODEL]", "tty:PATH", "elm:PATH", "ftdi[:DESCRIPTION]" or "demo".
struct InterfaceSpec {
    std::string kind;
    std::string detail;
    // Throws UsageError on an unknown kind or a missing path.
    static InterfaceSpec parse(const std::string& text);
};

struct SessionOptions {
    // Simulated ECUs start communicating at once (no wake-up needed).
    bool awake = false;
    // Every trace line, as it is written.
    std::function<void(std::string_view)> traceLine;
    // Every byte on the K-line, as "seconds direction bytes (baud)".
    std::function<void(const std::string&)> trafficLine;
};

class CliSession {
public:
    // Opens the interface for model `typeEcu`; throws InterfaceError when it cannot.
    CliSession(const InterfaceSpec& spec, int typeEcu, SessionOptions options);
    ~CliSession();
    CliSession(const CliSession&) = delete;
    CliSession& operator=(const CliSession&) = delete;

    base::Clock& clock() { return clock_; }
    base::EventLoop& loop() { return loop_; }
    link::Trace& trace() { return trace_; }
    link::Link& link() { return link_; }
    base::ViewState& view() { return view_; }
    link::InitProcedure& init() { return *init_; }
    link::LinkInitialisation& kwp() { return *kwp_; }
    // The simulated ECU behind a sim interface, if any.
    sim::SimulatedEcu* simulated() { return simEcu_.device ? &simEcu_ : nullptr; }

    // Runs the initialisation button's procedure; true when the link is up.
    bool initialise();
    // The identification the initialisation read ("" when none).
    std::string identification() const;
    // Why the link is down, in one line.
    std::string failure() const;

    // Stops a KWP2000 session and closes the cable, as the program does at exit.
    void close();

private:
    void openKLine(ports::KLineCable& cable, const std::string& description, std::uint32_t baud);

    base::RealClock clock_;
    base::EventLoop loop_{clock_};
    link::Trace trace_{clock_};
    link::Link link_{loop_, trace_};
    base::ViewState view_;
    link::InitChannels channels_;
    std::map<std::string, std::string> ecuMemory_;
    SessionOptions options_;
    base::Clock::TimePoint origin_;

    sim::SimulatedEcu simEcu_;
    std::unique_ptr<sim::SimCableAdapter> adapter_;
    std::unique_ptr<ports::KLineCable> cable_;
    std::unique_ptr<ports::TrafficCable> traffic_;
    std::unique_ptr<ports::SerialPort> elmPort_;
    std::unique_ptr<link::Elm327Link> elm_;
    std::unique_ptr<link::LinkInitialisation> kwp_;
    std::unique_ptr<link::InitProcedure> init_;
    bool closed_ = false;
};

}  // namespace dravio::app
