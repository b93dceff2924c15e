// Test support: a simulated one-byte ECU awake behind a simulated cable, and the
// diagnostic windows' hooks wired to it as the program wires them.
#pragma once

#include <gtest/gtest.h>

#include "twin/sim_cable_adapter.h"
#include "proto/hex.h"
#include "diag/onebyte_model.h"
#include "ecu/cycle_gate.h"
#include "link/link.h"
#include "sim/onebyte_ecu.h"

namespace dravio::diag::testing {

using namespace std::chrono_literals;

class OneByteLineTest : public ::testing::Test {
protected:
    void plug(sim::OneByteVariant variant, sim::OneByteScenario scenario = {}) {
        engine.setRunning(false);
        engine.pinThrottleDeg(10.0);  // off both stops: status 0x00
        ecu = std::make_unique<sim::OneByteEcu>(variant, engine, std::move(scenario));
        ecu->setFaultPlan(&faults);
        ecu->startAwake();
        adapter = std::make_unique<twin::SimCableAdapter>(*ecu);
        cable.setPeer(adapter.get());
        cable.open("Dravio simulated K-line");
        cable.setBaudRate(sim::kOneByteCommandBaud);
        link.setCable(&cable);
        link.TypeECU = proto::Model::MM15;  // a one-byte model: requests go out unframed
        cable.clearEvents();
    }
    OneByteHooks hooks() {
        return {[this](std::string_view r, std::string_view demo, std::int16_t n, std::int16_t ms) {
                    return link.EnvoieRequete(r, demo, n, ms);
                },
                [this](double s) { link.Attente(s); },
                [this](std::string_view t) { trace.EcritTrace(t, false); },
                {},
                [this] {
                    loop.pump();
                    if (onEvents) onEvents();
                }};
    }
    MainWindowHooks mainHooks() {
        return {[this](bool on) { link.Timer_present().setEnabled(on); },
                [this](bool on) { frmparam.setEnabled("frmparam", on); }, [this] { ++graphUnloads; }};
    }
    // The bytes the tester wrote, as hex text.
    std::string written() const {
        std::string out;
        for (const auto& e : cable.writes()) out += proto::ByteToHex(static_cast<int>(e.value));
        return out;
    }

    base::VirtualClock clock{base::Clock::TimePoint{} + 1s};
    base::EventLoop loop{clock};
    link::Trace trace{clock};
    link::Link link{loop, trace};
    ports::SimCable cable{clock};
    sim::EngineModel engine{7};
    sim::Faults faults;
    std::unique_ptr<sim::OneByteEcu> ecu;
    std::unique_ptr<twin::SimCableAdapter> adapter;
    base::ViewState view, frmparam;
    ecu::IdleCycleFlags flags;
    std::function<void()> onEvents;
    int graphUnloads = 0;
};

}  // namespace dravio::diag::testing
