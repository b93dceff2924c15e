// Test support: the link on a simulated K-line under a virtual clock, with the
// window's state, the trace lines seen and the saved ECU settings in a map.
#pragma once

#include <algorithm>
#include <chrono>
#include <map>
#include <string>
#include <vector>

#include "link/init_liaison.h"
#include "link/link.h"
#include "ports/sim_cable.h"
#include "proto/hex.h"

namespace dravio::testing {

struct LineBench {
    LineBench() {
        cable.open("Dravio simulated K-line");
        link.setCable(&cable);
        link.TypeECU = proto::Model::M59;
        trace.setOnLine([this](std::string_view line) { seen.emplace_back(line); });
    }
    link::EcuMemory memory() {
        return {[this](const std::string& key, int def) { return ecu.count(key) ? std::stoi(ecu[key]) : def; },
                [this](const std::string& key, const std::string& value) {
                    ecu[key] = value;
                    writes.push_back(key + "=" + value);
                }};
    }
    std::vector<std::string> traceWith(const std::string& prefix) const {
        std::vector<std::string> out;
        std::copy_if(seen.begin(), seen.end(), std::back_inserter(out),
                     [&](const std::string& line) { return line.rfind(prefix, 0) == 0; });
        return out;
    }
    std::string written() const {
        std::string out;
        for (const auto& e : cable.writes()) out += proto::ByteToHex(static_cast<int>(e.value));
        return out;
    }

    base::VirtualClock clock{base::Clock::TimePoint{} + std::chrono::seconds(1)};
    base::EventLoop loop{clock};
    link::Trace trace{clock};
    link::Link link{loop, trace};
    ports::SimCable cable{clock};
    base::ViewState view;
    link::InitChannels channels;
    std::map<std::string, std::string> ecu;
    std::vector<std::string> seen, writes;
};

}  // namespace dravio::testing
