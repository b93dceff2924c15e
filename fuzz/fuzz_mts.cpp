// The MTS stream reader on any bytes a serial port may deliver, cut into reads
// at every 0xFF-marked boundary: it must stay within its ring, never stall on
// a bogus header, and decode a clean packet that follows whatever came before.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "proto/hex.h"
#include "display/mts_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    dravio::display::MtsReader reader;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= size; ++i) {
        if (i == size || data[i] == 0xFF) {
            reader.LectureMTS(std::span<const std::uint8_t>(data + start, i - start));
            if (reader.buffered() < 0 || reader.buffered() > 500) std::abort();
            start = i + 1;
        }
    }
    // Resynchronisation: after any garbage, a few clean packets must come through.
    const auto packet = dravio::proto::fromHex(dravio::display::kMtsTestPacket);
    for (int i = 0; i < 60; ++i) reader.LectureMTS(packet);
    if (reader.afr1Text() != "28.20" || reader.afr2Text() != "27.20") std::abort();
    return 0;
}
