// display: the Innovate MTS serial stream of LC-1 / LM-1 wideband controllers.
// Bytes from the port go into a ring buffer; one pass looks for a data packet
// header, waits until the whole packet is there and decodes its lambda
// sub-packets into two air/fuel-ratio channels.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "base/circular_buffer.h"

namespace dravio::display {

class MtsReader {
public:
    // One read of the port: a parse on what is buffered, the new bytes appended,
    // a second parse. The values stay as they were when nothing decoded.
    void LectureMTS(std::span<const std::uint8_t> bytes);

    // One packet parse. Returns true when a data packet was decoded.
    bool TrameMTS();

    // Decodes and consumes the lambda sub-packet at the front of the buffer.
    float DecodeLambdaMTS();

    // The last value of the first and second lambda sub-packet of a packet.
    float AFR1 = 0;
    float AFR2 = 0;
    // Lambda sub-packets met in the packet being decoded.
    int MTSCompteur = 0;

    // The AFR window's labels ("0.00").
    std::string afr1Text() const;
    std::string afr2Text() const;

    // Bytes waiting in the ring buffer.
    int buffered() const { return buffer_.getLength() - 1; }

private:
    bool wholePacketMayBeThere() const;

    base::CircularBuffer buffer_;
    std::uint8_t header0_ = 0;
    std::uint8_t header1_ = 0;
    int longueur_ = 0;  // words of the current packet after its header
};

// The test packet the AFR window's "TEST" box feeds: two lambda sub-packets,
// warming up at 28.2 % and 27.2 %.
inline constexpr const char* kMtsTestPacket = "B2845313021A53130210";

}  // namespace dravio::display
