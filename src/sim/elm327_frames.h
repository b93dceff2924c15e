// sim: how the ELM327 emulator cuts what it hears on the K-line into messages
// and prints them: one message a line, with or without header and checksum.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sim/elm327_bus.h"

namespace dravio::sim {

struct Elm327Frame {
    std::vector<std::uint8_t> bytes;  // as heard, header and checksum included
    Clock::TimePoint start{};         // when its first byte arrived
    Clock::TimePoint end{};           // when its last byte arrived
    bool complete = false;            // every byte the format byte announced came
};

// Length of the header in front of the data of a KWP2000 message (format byte,
// addresses, length byte), read from the format byte alone; 0 for an empty input.
std::size_t kwpHeaderLength(const std::vector<std::uint8_t>& bytes);
// The whole message length announced by the header, checksum included; 0 when
// the header is not complete yet.
std::size_t kwpMessageLength(const std::vector<std::uint8_t>& bytes);

// Cuts heard bytes into messages: a KWP2000 message (`kwp`) ends where its
// format byte says; a silence longer than `gapLimit` ends any message, and is
// the only end an ISO 9141 message has.
std::vector<Elm327Frame> splitFrames(const std::vector<Elm327Bus::Heard>& heard, Clock::Duration gapLimit, bool kwp);

// True when the last byte is the sum of the others modulo 256.
bool checksumOk(const std::vector<std::uint8_t>& bytes);

// One printed line of a message: the whole frame with `headers`, the data only
// without; bytes separated (and followed) by a blank with `spaces`. A wrong
// checksum or a cut message is marked "<DATA ERROR". ISO 9141 messages
// (not `kwp`) have a fixed three-byte header.
std::string formatFrame(const Elm327Frame& frame, bool headers, bool spaces, bool kwp);

// The data bytes of a complete message (header and checksum removed).
std::vector<std::uint8_t> frameData(const Elm327Frame& frame, bool kwp);

// Sum of `bytes` modulo 256.
std::uint8_t sumOf(const std::vector<std::uint8_t>& bytes);

}  // namespace dravio::sim
