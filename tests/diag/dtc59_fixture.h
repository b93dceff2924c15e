// Test support: a link on the virtual clock, a simulated K-line, the French catalogs,
// and a record of every request, trace line and keep-alive switch.
#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "base/event_loop.h"
#include "base/view_state.h"
#include "diag/dtc59_hooks.h"
#include "diag/identification.h"
#include "link/link.h"
#include "link/trace.h"
#include "ports/sim_cable.h"
#include "sim/kline_device.h"
#include "twin/sim_cable_adapter.h"
#include "support/language.h"

namespace dravio::diag {

class DiagBench {
public:
    void demo(proto::Model model) {
        link.ModeDemo = true;
        link.TypeECU = model;
    }

    void plug(sim::KLineDevice& device, proto::Model model, std::uint32_t baud = 10400) {
        link.TypeECU = model;
        adapter = std::make_unique<twin::SimCableAdapter>(device);
        cable.setPeer(adapter.get());
        cable.open("Dravio simulated K-line");
        cable.setBaudRate(baud);
        link.setCable(&cable);
    }

    template <typename Hooks>
    Hooks recorded(Hooks h) {
        h.EnvoieRequete = [this, send = h.EnvoieRequete](std::string_view r, std::string_view d, std::int16_t l,
                                                         std::int16_t t) {
            requests.emplace_back(r);
            return send(r, d, l, t);
        };
        h.EcritTrace = [this, write = h.EcritTrace](std::string_view text, bool timed) {
            traced.emplace_back(std::string(text), timed);
            write(text, timed);
        };
        h.Timer_present = [this, keep = h.Timer_present](bool on) {
            keepAliveSwitches.push_back(on);
            keep(on);
        };
        return h;
    }

    ecu::ResourceText texts = [this](int id, const std::string& french) {
        return catalog.GetResourceString(id, french);
    };
    Dtc59Hooks dtcHooks() { return recorded(dtc59Hooks(link, texts)); }
    IdentificationHooks identHooks() { return recorded(identificationHooks(link, texts)); }
    Dtc59Requests requests59(proto::Model model) const { return dtc59Requests(proto::RequestTable{}, model); }

    base::VirtualClock clock{base::Clock::TimePoint{} + std::chrono::seconds(1)};
    base::EventLoop loop{clock};
    link::Trace trace{clock};
    link::Link link{loop, trace};
    ports::SimCable cable{clock};
    std::unique_ptr<twin::SimCableAdapter> adapter;
    support::Catalog catalog = support::selectLanguage("Francais", DRAVIO_SOURCE_DATA_DIR).catalog;
    base::ViewState view;
    std::vector<std::string> requests;
    std::vector<std::pair<std::string, bool>> traced;
    std::vector<bool> keepAliveSwitches;
};

}  // namespace dravio::diag
