// Test support for the diagnostic windows: a link on the virtual clock, a
// simulated K-line to plug a simulated ECU into, the French catalogs with
// their fault-code texts, and a record of every request and trace line.
#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "base/clock.h"
#include "base/event_loop.h"
#include "base/view_state.h"
#include "diag/dtc59_hooks.h"
#include "diag/identification.h"
#include "ecu/request_table.h"
#include "link/link.h"
#include "link/trace.h"
#include "ports/sim_cable.h"
#include "sim/kline_device.h"
#include "support/language.h"

namespace dravio::diag {

class DiagBench {
public:
    using Clock = base::Clock;

    DiagBench() {
        catalog = support::selectLanguage("Francais", DRAVIO_SOURCE_DATA_DIR).catalog;
        link.Timer_present().setInterval(std::chrono::milliseconds(2500));
        link.Timer_present().setEnabled(true);
    }

    // Demonstration mode: every request gets its canned answer.
    void demo(int typeEcu) {
        link.ModeDemo = true;
        link.TypeECU = static_cast<std::int16_t>(typeEcu);
    }

    // A simulated ECU on the line at `baud`.
    void plug(sim::KLineDevice& device, int typeEcu, std::uint32_t baud = 10400) {
        link.TypeECU = static_cast<std::int16_t>(typeEcu);
        adapter = std::make_unique<sim::SimCableAdapter>(device);
        cable.setPeer(adapter.get());
        cable.open("Dravio simulated K-line");
        cable.setBaudRate(baud);
        link.setCable(&cable);
    }

    ecu::ResourceText texts() {
        return [this](int id, const std::string& french) { return catalog.GetResourceString(id, french); };
    }

    template <typename Hooks>
    void record(Hooks& h) {
        auto send = h.EnvoieRequete;
        h.EnvoieRequete = [this, send](std::string_view requete, std::string_view demo, std::int16_t length,
                                       std::int16_t delay) {
            requests.emplace_back(requete);
            return send(requete, demo, length, delay);
        };
        auto write = h.EcritTrace;
        h.EcritTrace = [this, write](std::string_view text, bool timed) {
            traced.emplace_back(std::string(text), timed);
            write(text, timed);
        };
        auto keepAlive = h.Timer_present;
        h.Timer_present = [this, keepAlive](bool on) {
            keepAliveSwitches.push_back(on);
            keepAlive(on);
        };
    }

    Dtc59Hooks dtcHooks() {
        Dtc59Hooks h = dtc59Hooks(link, texts());
        record(h);
        return h;
    }

    IdentificationHooks identHooks() {
        IdentificationHooks h = identificationHooks(link, texts());
        record(h);
        return h;
    }

    Dtc59Requests requests59(int typeEcu) const { return dtc59Requests(ecu::RequestTable{}, typeEcu); }

    base::VirtualClock clock{Clock::TimePoint{} + std::chrono::seconds(1)};
    base::EventLoop loop{clock};
    link::Trace trace{clock};
    link::Link link{loop, trace};
    ports::SimCable cable{clock};
    std::unique_ptr<sim::SimCableAdapter> adapter;
    support::Catalog catalog;
    base::ViewState view;
    std::vector<std::string> requests;
    std::vector<std::pair<std::string, bool>> traced;
    std::vector<bool> keepAliveSwitches;
};

}  // namespace dravio::diag
