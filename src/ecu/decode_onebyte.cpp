#include "ecu/decode_onebyte.h"

#include "base/number_pattern.h"

#include <cmath>
#include <string>

namespace dravio::ecu {
namespace {

constexpr std::int16_t kPeriodTimeoutMs = 1000;
constexpr std::int16_t kTimeoutMs = 100;
constexpr float kRegimeMax = 10000;

struct OneByteRow {
    MeasureField field;
    Channel channel;
    const char* requete;
    const char* reponseDemo;
    std::int16_t delaiMs;
};

constexpr OneByteRow kRows[] = {
    {MeasureField::PeriodHigh, Channel::Regime, "01", "01", kPeriodTimeoutMs},
    {MeasureField::PeriodLow, Channel::Regime, "02", "01", kPeriodTimeoutMs},
    {MeasureField::ThrottleStep, Channel::Potar, "09", "15", kTimeoutMs},
    {MeasureField::InjectionHigh, Channel::Injection, "03", "01", kTimeoutMs},
    {MeasureField::InjectionLow, Channel::Injection, "04", "01", kTimeoutMs},
    {MeasureField::Advance, Channel::Avance, "05", "01", kTimeoutMs},
    {MeasureField::Pressure, Channel::Pression, "06", "D6", kTimeoutMs},
    {MeasureField::AirTemperature, Channel::Air, "07", "51", kTimeoutMs},
    {MeasureField::EngineTemperature, Channel::Eau, "08", "81", kTimeoutMs},
    {MeasureField::Battery, Channel::Tension, "0A", "01", kTimeoutMs},
};

// The data byte of a one-byte answer: its first two digits.
std::optional<std::uint8_t> byteOf(std::span<const MeasureAnswer> answers, MeasureField field) {
    const auto text = findAnswer(answers, field);
    if (!text) return std::nullopt;
    return pairAt(*text, 0);
}

}  // namespace


std::vector<MeasureRequest> oneByteRequests(const MeasureChannels& channels) {
    std::vector<MeasureRequest> requests;
    for (const auto& row : kRows) {
        if (!isOn(channels, row.channel)) continue;
        requests.push_back({row.field, row.channel, row.requete, row.reponseDemo, 1, row.delaiMs, 0});
    }
    return requests;
}

OneByteDecoder::OneByteDecoder(proto::Model model, TpsRatio tps) : p8_(model == proto::Model::P8), tps_(tps) {}

TpsDisplay OneByteDecoder::decode(std::span<const MeasureAnswer> answers, Mesures& m) {
    TpsDisplay display;
    decodeRegime(answers, m);

    if (const auto b = byteOf(answers, MeasureField::ThrottleStep)) decodeThrottle(*b, m, display);

    const auto hi = byteOf(answers, MeasureField::InjectionHigh);
    const auto lo = byteOf(answers, MeasureField::InjectionLow);
    // 255 is what a silent line reads as on these units: keep the last value.
    if (hi && lo && *hi < 255 && *lo < 255) {
        const double ticks = *hi * 256.0 + *lo;
        m.Injection = static_cast<float>(ticks * (p8_ ? 4.0 : 2.0) / 1000.0);
    }

    if (const auto b = byteOf(answers, MeasureField::Advance)) m.AvanceVal = static_cast<float>(*b / (p8_ ? 4.0 : 2.0));
    if (const auto b = byteOf(answers, MeasureField::Pressure)) {
        const double mmHg = *b * 2.8758 + 91.0;
        m.PressionVal = static_cast<float>(mmHg * 1.33);
    }
    if (const auto b = byteOf(answers, MeasureField::AirTemperature)) m.TempAir = static_cast<float>(*b - 55);
    if (const auto b = byteOf(answers, MeasureField::EngineTemperature)) m.TempEau = static_cast<float>(*b - 55);
    if (const auto b = byteOf(answers, MeasureField::Battery)) m.TensionVal = static_cast<float>(*b * 0.0628);
    return display;
}

void OneByteDecoder::decodeRegime(std::span<const MeasureAnswer> answers, Mesures& m) {
    const auto hiAnswer = byteOf(answers, MeasureField::PeriodHigh);
    if (!hiAnswer) return;
    std::uint8_t hi = *hiAnswer;
    const std::uint8_t lo = byteOf(answers, MeasureField::PeriodLow).value_or(0);
    if (hi == 255) hi = PrecedentHaut_;
    PrecedentHaut_ = hi;
    const int period = hi * 256 + lo;
    // A zero period (nothing read) leaves the previous speed.
    if (period > 0) m.Regime = static_cast<float>((p8_ ? 30'000'000.0 : 15'000'000.0) / period);
    if (m.Regime > kRegimeMax) m.Regime = 0;
}

void OneByteDecoder::decodeThrottle(std::uint8_t b, Mesures& m, TpsDisplay& display) const {
    m.PapillonPas = b;
    double angle = 0;
    if (p8_) {
        display.lbTPSVolt = base::groupedInteger(b * 4720.0 / 245.0, 0);
        angle = 0.1848 * b - 1.41;
        if (angle >= 34) angle = 0.7058 * b - 90;
        if (angle < 0) angle = 0;
    } else {
        display.lbLsbTPS = std::to_string(b);
        // A step count of 0 in the settings would divide by zero: no voltage then.
        if (tps_.Steep != 0) display.lbTPSVolt = base::groupedInteger(static_cast<double>(b) * tps_.mVolt / tps_.Steep, 0);
        angle = b < 171 ? 0.1848 * b - 1.41 : 0.7058 * b - 90;
    }
    m.Papillon = static_cast<float>(angle);
}

}  // namespace dravio::ecu
