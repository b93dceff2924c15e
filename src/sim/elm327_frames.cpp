#include "sim/elm327_frames.h"

#include "proto/hex.h"

namespace dravio::sim {

std::size_t kwpHeaderLength(const std::vector<std::uint8_t>& bytes) {
    if (bytes.empty()) return 0;
    const std::uint8_t format = bytes[0];
    std::size_t header = 1;
    if ((format & 0xC0) != 0) header += 2;  // target and source addresses
    if ((format & 0x3F) == 0) header += 1;  // a separate length byte
    return header;
}

std::size_t kwpMessageLength(const std::vector<std::uint8_t>& bytes) {
    const std::size_t header = kwpHeaderLength(bytes);
    if (header == 0 || bytes.size() < header) return 0;
    const std::size_t data = (bytes[0] & 0x3F) != 0 ? (bytes[0] & 0x3F) : bytes[header - 1];
    return header + data + 1;
}

std::vector<Elm327Frame> splitFrames(const std::vector<Elm327Bus::Heard>& heard, Clock::Duration gapLimit, bool kwp) {
    std::vector<Elm327Frame> frames;
    Elm327Frame current;
    Clock::TimePoint last{};
    const auto close = [&] {
        if (!current.bytes.empty()) frames.push_back(current);
        current = Elm327Frame{};
    };
    for (const auto& h : heard) {
        if (!current.bytes.empty() && h.at - last > gapLimit) {
            if (!kwp && current.bytes.size() >= 5) current.complete = true;
            close();
        }
        if (current.bytes.empty()) current.start = h.at;
        current.bytes.push_back(h.byte);
        current.end = h.at;
        last = h.at;
        if (!kwp) continue;
        const std::size_t want = kwpMessageLength(current.bytes);
        if (want != 0 && current.bytes.size() >= want) {
            current.complete = true;
            close();
        }
    }
    // Without a length, a message is whole once the line falls silent.
    if (!kwp && current.bytes.size() >= 5) current.complete = true;
    close();
    return frames;
}

std::uint8_t sumOf(const std::vector<std::uint8_t>& bytes) {
    unsigned sum = 0;
    for (const auto b : bytes) sum += b;
    return static_cast<std::uint8_t>(sum & 0xFFu);
}

bool checksumOk(const std::vector<std::uint8_t>& bytes) {
    if (bytes.size() < 2) return false;
    const std::vector<std::uint8_t> body(bytes.begin(), bytes.end() - 1);
    return sumOf(body) == bytes.back();
}

std::vector<std::uint8_t> frameData(const Elm327Frame& frame, bool kwp) {
    const auto& b = frame.bytes;
    const std::size_t from = kwp ? kwpHeaderLength(b) : 3;
    if (!frame.complete || b.size() < from + 1) return {};
    return {b.begin() + static_cast<std::ptrdiff_t>(from), b.end() - 1};
}

std::string formatFrame(const Elm327Frame& frame, bool headers, bool spaces, bool kwp) {
    const auto& b = frame.bytes;
    std::size_t from = 0;
    std::size_t to = b.size();
    const bool good = frame.complete && checksumOk(b);
    const std::size_t header = kwp ? kwpHeaderLength(b) : 3;
    if (!headers && frame.complete && b.size() >= header + 1) {
        from = header;
        to = b.size() - 1;  // the checksum
    }
    std::string line;
    for (std::size_t i = from; i < to; ++i) {
        line += proto::ByteToHex(b[i]);
        if (spaces) line += ' ';
    }
    if (!good) line += "<DATA ERROR";
    return line;
}

}  // namespace dravio::sim
