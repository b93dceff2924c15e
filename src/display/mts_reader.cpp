#include "display/mts_reader.h"

#include "base/number_pattern.h"

namespace dravio::display {
namespace {

bool isHeader(std::uint8_t h0, std::uint8_t h1) { return (h0 & 0xA2) == 0xA2 && (h1 & 0x80) == 0x80; }

int packetWords(std::uint8_t h0, std::uint8_t h1) { return ((h0 & 0x01) * 128) | (h1 & 0x7F); }

// A lambda sub-packet starts with one of the two forms of its first word.
bool isLambdaWord(std::uint8_t b0, std::uint8_t b1) {
    if ((b1 & 0x80) != 0) return false;
    return (b0 & 0xA2) == 0x80 || (b0 & 0xE2) == 0x42;
}

// Whole packet in bytes, header included.
int packetBytes(int words) { return (words + 1) * 2; }

}  // namespace

bool MtsReader::wholePacketMayBeThere() const { return buffered() >= packetBytes(longueur_); }

void MtsReader::LectureMTS(std::span<const std::uint8_t> bytes) {
    if (wholePacketMayBeThere()) TrameMTS();
    if (!bytes.empty()) {
        // Larger reads than the ring holds keep their newest bytes, as the ring would.
        const std::size_t keep = static_cast<std::size_t>(buffer_.getSize());
        if (bytes.size() > keep) bytes = bytes.subspan(bytes.size() - keep);
        if (bytes.size() == 1) {
            buffer_.Writebyte(bytes[0]);  // AppendBuffer takes no one-byte range
        } else {
            buffer_.AppendBuffer(bytes, 0, static_cast<int>(bytes.size()) - 1);
        }
    }
    if (wholePacketMayBeThere()) TrameMTS();
}

bool MtsReader::TrameMTS() {
    // Header search, one byte at a time. A header announcing more than the ring
    // can ever hold is garbage: waiting for it would stall the stream.
    bool found = false;
    while (buffered() >= 2) {
        const std::uint8_t h0 = buffer_.Getbyte(0);
        const std::uint8_t h1 = buffer_.Getbyte(1);
        if (isHeader(h0, h1) && packetBytes(packetWords(h0, h1)) <= buffer_.getSize()) {
            header0_ = h0;
            header1_ = h1;
            longueur_ = packetWords(h0, h1);
            found = true;
            break;
        }
        buffer_.Readbyte();
    }
    if (!found) return false;
    if (buffered() < packetBytes(longueur_)) return false;

    if ((header0_ & 0x10) == 0) {
        // Not a data packet: nothing to show. Dropped whole, so the next pass
        // does not find it again and the stream moves on.
        for (int i = 0; i < packetBytes(longueur_); ++i) buffer_.Readbyte();
        longueur_ = 0;
        return false;
    }

    buffer_.Readbyte();
    buffer_.Readbyte();
    MTSCompteur = 0;
    for (int word = 0; word < longueur_;) {
        const std::uint8_t b0 = buffer_.Getbyte(0);
        const std::uint8_t b1 = buffer_.Getbyte(1);
        if (isLambdaWord(b0, b1)) {
            ++MTSCompteur;
            const float value = DecodeLambdaMTS();
            (MTSCompteur % 2 == 1 ? AFR1 : AFR2) = value;
            word += 2;
        } else {
            // Auxiliary input or stray word.
            buffer_.Readbyte();
            buffer_.Readbyte();
            word += 1;
        }
    }
    buffer_.Clear();
    // No packet waits now: the next one's length is known only from its header.
    // Keeping this one's would hold a shorter packet back until more bytes came.
    longueur_ = 0;
    return true;
}

float MtsReader::DecodeLambdaMTS() {
    const std::uint8_t b0 = buffer_.Readbyte();
    const std::uint8_t b1 = buffer_.Readbyte();
    const int fonction = (b0 >> 2) & 7;
    const int af = (((b0 & 0x01) * 128) | (b1 & 0x7F)) & 0xFF;
    const std::uint8_t c0 = buffer_.Readbyte();
    const std::uint8_t c1 = buffer_.Readbyte();
    const int lambda = (((c0 & 0x3F) * 128) | (c1 & 0x7F)) & 8191;
    const float l = static_cast<float>(lambda);
    switch (fonction) {
        case 0:  // lambda valid: the AFR
            return static_cast<float>(af) * ((l + 500.0f) / 1000.0f) / 10.0f;
        case 2:  // free-air calibration in progress
        case 3:  // free-air calibration needed
            return (l + 500.0f) / 1000.0f;
        case 5:  // heater calibration
        case 6:  // error code
            return l;
        default:  // 1 O2 level, 4 warming up (percent), 7 reserved
            return l / 10.0f;
    }
}

std::string MtsReader::afr1Text() const { return base::fixedDecimals(AFR1, 2); }
std::string MtsReader::afr2Text() const { return base::fixedDecimals(AFR2, 2); }

}  // namespace dravio::display
