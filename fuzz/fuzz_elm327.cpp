// The ELM327 emulator reading any characters a program may write to it: it must
// answer with bounded text and keep its prompt, whatever comes in.
#include <chrono>
#include <cstdint>
#include <string_view>

#include "base/clock.h"
#include "sim/elm327_emulator.h"
#include "sim/kwp_ecu.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace std::chrono_literals;
    dravio::sim::KwpSessionOptions options;
    options.startAwake = (size > 0 && (data[0] & 1) != 0);
    dravio::sim::KwpEcu ecu(dravio::sim::KwpScenario::m59(), options);
    dravio::sim::Elm327Emulator adapter(size > 0 && (data[0] & 2) ? dravio::sim::Elm327Profile::clone()
                                                                   : dravio::sim::Elm327Profile::genuine());
    adapter.setEcu(&ecu);
    auto t = dravio::base::Clock::TimePoint{} + 2s;  // booted
    std::size_t answered = 0;
    // Chunks separated by 0xFF arrive 50 ms apart.
    std::size_t start = 1;
    for (std::size_t i = 1; i <= size; ++i) {
        if (i == size || data[i] == 0xFF) {
            adapter.receive(t, std::string_view(reinterpret_cast<const char*>(data + start), i - start));
            t += 50ms;
            answered += adapter.takeDue(t).size();
            start = i + 1;
        }
    }
    t += 30s;
    answered += adapter.takeDue(t).size();
    // Every command gets at most a few frames of text back.
    if (answered > 4096 + 64 * size) __builtin_trap();
    return 0;
}
