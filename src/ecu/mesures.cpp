#include "ecu/mesures.h"

#include "proto/hex.h"
#include "proto/answer.h"

namespace dravio::ecu {

bool isOn(const MeasureChannels& channels, Channel channel) {
    switch (channel) {
        case Channel::Regime: return true;
        case Channel::Potar: return channels.Potar;
        case Channel::Injection: return channels.Injection;
        case Channel::Avance: return channels.Avance;
        case Channel::Pression: return channels.Pression;
        case Channel::Air: return channels.Air;
        case Channel::Eau: return channels.Eau;
        case Channel::Tension: return channels.Tension;
    }
    return false;
}

std::optional<std::string_view> findAnswer(std::span<const MeasureAnswer> answers, MeasureField field) {
    for (const auto& answer : answers) {
        if (answer.field == field) return answer.text;
    }
    return std::nullopt;
}

std::uint8_t pairAt(std::string_view answer, std::size_t position) {
    return proto::HexToByte(proto::midText(answer, position, 2));
}

}  // namespace dravio::ecu
