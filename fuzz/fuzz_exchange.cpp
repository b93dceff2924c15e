// The exchange engine fed by an ECU that sends arbitrary bytes at arbitrary times:
// the answer must stay within the asked length, the engine must come back free,
// and a measurement cycle over the same line never keeps or records a value the
// engine cannot have.
#include <chrono>
#include <cstdint>
#include <string>

#include "ecu/measurement_cycle.h"
#include "ecu/plausible.h"
#include "proto/models.h"
#include "base/clock.h"
#include "base/event_loop.h"
#include "link/answer_check.h"
#include "link/link.h"
#include "link/trace.h"
#include "ports/sim_cable.h"
#include "proto/hex.h"

namespace {

using namespace std::chrono_literals;

// Plays the fuzz input back as the ECU's side of the line.
class NoisyEcu : public dravio::ports::SimPeer {
public:
    NoisyEcu(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    void onTesterByte(dravio::ports::SimCable& line, dravio::base::Clock::TimePoint end, std::uint8_t,
                      std::uint32_t baud) override {
        // Each tester byte lets the ECU send a burst: [delay ms][count][bytes...].
        if (pos_ + 2 > size_) return;
        const auto delay = std::chrono::milliseconds(data_[pos_++] % 64);
        std::size_t count = data_[pos_++] % 16;
        while (count-- > 0 && pos_ < size_) line.sendFromPeer(end + delay, data_[pos_++], baud);
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4) return 0;
    dravio::base::VirtualClock clock;
    dravio::base::EventLoop loop(clock);
    dravio::link::Trace trace(clock);
    dravio::link::Link link(loop, trace);
    dravio::ports::SimCable cable(clock);
    cable.open("Dravio simulated K-line");
    cable.setBaudRate(10400);
    link.setCable(&cable);
    link.TraceActive = true;
    const auto models = dravio::proto::modelTable();
    link.TypeECU = models[data[0] % models.size()].model;
    const auto length = static_cast<std::int16_t>(static_cast<std::int8_t>(data[1]));
    const std::size_t requestSize = data[2] % 16;
    if (3 + requestSize > size) return 0;
    const std::string request(reinterpret_cast<const char*>(data + 3), requestSize);
    NoisyEcu ecu(data + 3 + requestSize, size - 3 - requestSize);
    cable.setPeer(&ecu);
    const auto answer = link.EnvoieRequete(request, "", length, 200);
    if (answer.size() > 2 * static_cast<std::size_t>(length < 0 ? 0 : length)) __builtin_trap();
    if (link.DialogueActif() || link.Timer1().enabled()) __builtin_trap();
    // Whatever noise came, a KWP2000 answer handed on is whole frames for the
    // tester (or the request heard back), never bytes that would decode as a reading.
    if (dravio::proto::isKwp(link.TypeECU) && !answer.empty() && !request.empty()) {
        const auto bytes = dravio::proto::fromHex(answer);
        const bool cut = bytes.size() == static_cast<std::size_t>(length < 0 ? 0 : length);
        const auto line = dravio::proto::frameRequest(request, link.TypeECU, link.EnteteRequete);
        if (answer != line && dravio::link::kwpAnswerProblem(bytes, 0xF1, cut)) __builtin_trap();
    }

    // Then two measurement cycles on what the ECU sends next.
    dravio::base::ViewState view;
    dravio::ecu::CycleSettings settings;
    settings.Tempo = 1;
    dravio::ecu::CycleHooks hooks;
    const auto model = link.TypeECU;
    hooks.onRecord = [model](const dravio::ecu::CycleRecord& r) {
        dravio::ecu::Mesures shown;
        shown.Regime = r.Regime;
        shown.Papillon = r.Papillon;
        shown.Injection = r.Injection;
        shown.AvanceVal = r.AvanceVal;
        shown.PressionVal = r.PressionVal;
        shown.TempAir = r.TempAir;
        shown.TempEau = r.TempEau;
        shown.TensionVal = r.TensionVal;
        if (!dravio::ecu::implausibleValue(model, shown).empty()) __builtin_trap();
    };
    dravio::ecu::MeasurementCycle cycle(link, view, settings, hooks);
    for (int i = 0; i < 2; ++i) {
        cycle.iteration();
        if (!dravio::ecu::implausibleValue(model, cycle.mesures()).empty()) __builtin_trap();
    }
    return 0;
}
