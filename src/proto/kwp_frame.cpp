#include "proto/kwp_frame.h"

#include <algorithm>

namespace dravio::proto {

std::uint8_t kwpChecksum(const std::uint8_t* bytes, std::size_t count) {
    unsigned sum = 0;
    for (std::size_t i = 0; i < count; ++i) sum += bytes[i];
    return static_cast<std::uint8_t>(sum & 0xFF);
}

namespace {

std::size_t addressBytes(std::uint8_t format) { return (format & 0xC0) == 0 ? 0 : 2; }

}  // namespace

int kwpFrameLength(const std::uint8_t* bytes, std::size_t count) {
    if (count == 0) return 0;
    const std::uint8_t format = bytes[0];
    if ((format & 0xC0) == 0x40) return -1;
    const std::size_t header = 1 + addressBytes(format);
    std::size_t length = format & 0x3F;
    std::size_t lengthBytes = 0;
    if (length == 0) {
        lengthBytes = 1;
        if (count <= header) return 0;
        length = bytes[header];
        if (length == 0) return -1;
    }
    return static_cast<int>(header + lengthBytes + length + 1);
}

KwpParse parseKwpFrame(const std::vector<std::uint8_t>& bytes, KwpFrame& frame) {
    const int length = kwpFrameLength(bytes.data(), bytes.size());
    if (length < 0) return KwpParse::BadHeader;
    if (length == 0 || bytes.size() < static_cast<std::size_t>(length)) return KwpParse::Incomplete;
    if (bytes.size() > static_cast<std::size_t>(length)) return KwpParse::TooLong;
    const auto n = static_cast<std::size_t>(length);
    if (kwpChecksum(bytes.data(), n - 1) != bytes[n - 1]) return KwpParse::BadChecksum;

    const std::uint8_t format = bytes[0];
    frame.addressing = static_cast<KwpAddressing>(format & 0xC0);
    const std::size_t header = 1 + addressBytes(format);
    frame.target = header > 1 ? bytes[1] : 0;
    frame.source = header > 1 ? bytes[2] : 0;
    const std::size_t first = header + ((format & 0x3F) == 0 ? 1 : 0);
    frame.data.assign(bytes.begin() + static_cast<std::ptrdiff_t>(first), bytes.begin() + length - 1);
    return KwpParse::Ok;
}

std::vector<std::uint8_t> buildKwpFrame(KwpAddressing addressing, std::uint8_t target, std::uint8_t source,
                                        const std::vector<std::uint8_t>& data) {
    const std::size_t n = std::min<std::size_t>(data.size(), 255);
    std::vector<std::uint8_t> out;
    out.reserve(n + 5);
    const auto form = static_cast<std::uint8_t>(addressing);
    out.push_back(static_cast<std::uint8_t>(n <= 63 ? form | n : form));
    if (addressing != KwpAddressing::None) {
        out.push_back(target);
        out.push_back(source);
    }
    if (n > 63) out.push_back(static_cast<std::uint8_t>(n));
    out.insert(out.end(), data.begin(), data.begin() + static_cast<std::ptrdiff_t>(n));
    out.push_back(kwpChecksum(out.data(), out.size()));
    return out;
}

KwpFrameAssembler::Status KwpFrameAssembler::push(std::uint8_t byte) {
    bytes_.push_back(byte);
    const int length = kwpFrameLength(bytes_.data(), bytes_.size());
    if (length < 0) {
        bytes_.clear();
        return Status::BadHeader;
    }
    if (length == 0 || bytes_.size() < static_cast<std::size_t>(length)) return Status::Incomplete;
    const KwpParse result = parseKwpFrame(bytes_, frame_);
    bytes_.clear();
    return result == KwpParse::Ok ? Status::Complete : Status::BadChecksum;
}

}  // namespace dravio::proto
