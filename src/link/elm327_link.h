// link: the ELM327 adapter. It does the K-line work itself; Dravio talks to it in
// text over a serial port: AT commands to set it up, service bytes as hex text.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "base/view_state.h"
#include "link/init_liaison.h"
#include "link/link.h"
#include "ports/serial_port.h"

namespace dravio::link {

class Elm327Link {
public:
    static constexpr const char* kLineEnd = "\r\n";

    Elm327Link(Link& link, ports::SerialPort& port, base::ViewState& view, InitChannels& channels);

    // Routes the engine's exchanges to the adapter (interface type 3).
    void install();

    // One exchange: the request and a line end out, everything up to the prompt
    // ">" (or the time-out) back, unchanged.
    std::string exchange(std::string_view requete, std::int16_t delaiMs);

    // Sets the adapter up and reaches the ECU; true when the bus came up.
    bool InitComELM();
    // OBD-II: the adapter set up for its automatic protocol search; true once the
    // engine answered service 01 PID 00.
    bool InitComOBD();

    const std::string& identification() const { return identification_; }
    ports::SerialPort& port() const { return port_; }

private:
    struct SetupCommand {
        const char* text;
        const char* demo;
        std::int16_t delaiMs;
    };
    std::string send(const std::string& command, std::string_view demo, std::int16_t delaiMs);
    // Sends the set-up commands in order, tracing "N :COMMAND: answer" for each
    // (and `afterFirst` once the first has answered); returns how many were sent.
    // `lineEnd`: each command gets one more line end than the exchange adds.
    int runSetup(std::span<const SetupCommand> commands, bool lineEnd, const char* afterFirst = nullptr);

    Link& link_;
    ports::SerialPort& port_;
    base::ViewState& view_;
    InitChannels& channels_;
    std::string identification_;
};

}  // namespace dravio::link
