// proto: KWP2000 (ISO 14230) frames as bytes: a frame is assembled byte by byte
// and checked, or built with its header, length and checksum. The tester, the
// simulated ECUs and the tests all build their frames here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace dravio::proto {

// Header forms of ISO 14230: the two top bits of the format byte.
enum class KwpAddressing : std::uint8_t {
    None = 0x00,        // no address bytes
    Physical = 0x80,    // target and source, target is one ECU
    Functional = 0xC0,  // target and source, target is a functional group
};

struct KwpFrame {
    KwpAddressing addressing = KwpAddressing::Physical;
    std::uint8_t target = 0;  // 0 when the header has no addresses
    std::uint8_t source = 0;
    std::vector<std::uint8_t> data;  // service identifier and parameters
};

// Sum of the bytes modulo 256.
std::uint8_t kwpChecksum(const std::uint8_t* bytes, std::size_t count);

// The whole frame length announced by the header bytes seen so far: 0 when
// more header bytes are needed, -1 when the header is not one of ours (the
// 0x40 form, or an extra length byte of 0).
int kwpFrameLength(const std::uint8_t* bytes, std::size_t count);

enum class KwpParse { Ok, Incomplete, BadHeader, BadChecksum, TooLong };

// Reads one whole frame from `bytes`; trailing bytes make it TooLong.
KwpParse parseKwpFrame(const std::vector<std::uint8_t>& bytes, KwpFrame& frame);

// An answer frame with addresses (or without, for KwpAddressing::None), the
// length in the format byte up to 63 data bytes and in an extra length byte
// beyond, and the checksum. More than 255 data bytes are cut to 255.
std::vector<std::uint8_t> buildKwpFrame(KwpAddressing addressing, std::uint8_t target, std::uint8_t source,
                                        const std::vector<std::uint8_t>& data);

// Collects tester bytes into frames.
class KwpFrameAssembler {
public:
    enum class Status { Incomplete, Complete, BadHeader, BadChecksum };

    // Adds one byte. After Complete, frame() holds the frame and the next byte
    // starts a new one; after BadHeader or BadChecksum the bytes are dropped.
    Status push(std::uint8_t byte);
    void reset() { bytes_.clear(); }
    bool empty() const { return bytes_.empty(); }
    const KwpFrame& frame() const { return frame_; }

private:
    std::vector<std::uint8_t> bytes_;
    KwpFrame frame_;
};

}  // namespace dravio::proto
