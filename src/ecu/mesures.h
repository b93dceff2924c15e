// ecu: the live values of one measurement cycle, the channels that decide which
// requests are sent, and the description of one measurement request.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace dravio::ecu {

// Values keep what they held from one cycle to the next unless a decoder sets
// them. For model 5 Injection, AvanceVal and TensionVal carry engine load (%),
// air mass and road speed.
struct Mesures {
    float Regime = 0;       // RPM
    float Papillon = 0;     // throttle angle, degrees
    float PapillonPas = 0;  // throttle converter step, models 0 to 3
    float Injection = 0;    // ms
    float AvanceVal = 0;    // degrees
    float PressionVal = 0;  // hPa
    float TempAir = 0;      // degC
    float TempEau = 0;      // degC
    float TensionVal = 0;   // V
    float LambdaVal = 0;    // mV, model 4, filled by the lambda reader
};

// A channel is on when its value label is enabled. Engine speed is always asked.
struct MeasureChannels {
    bool Potar = true;
    bool Injection = true;
    bool Avance = true;
    bool Pression = true;
    bool Air = true;
    bool Eau = true;
    bool Tension = true;
};

enum class Channel : std::uint8_t { Regime, Potar, Injection, Avance, Pression, Air, Eau, Tension };

bool isOn(const MeasureChannels& channels, Channel channel);

// What an answer carries; decoders look answers up by it.
enum class MeasureField : std::uint8_t {
    // models 0 to 3, one data byte each
    PeriodHigh,
    PeriodLow,
    ThrottleStep,
    InjectionHigh,
    InjectionLow,
    Advance,
    Pressure,
    AirTemperature,
    EngineTemperature,
    Battery,
    // model 4
    FastRegime,
    Block,
    // model 5, one OBD-II parameter each
    ObdRegime,
    ObdLoad,
    ObdThrottle,
    ObdEngineTemperature,
    ObdAirTemperature,
    ObdAirMass,
    ObdSpeed,
    ObdPressure,
};

struct MeasureRequest {
    MeasureField field{};
    Channel channel = Channel::Regime;  // asked only while this channel is on
    std::string requete;
    std::string reponseDemo;
    std::int16_t longueur = 0;
    std::int16_t delaiMs = 0;
    double attenteAvant = 0;  // seconds waited before sending
};

// One answer of the cycle. A request that got nothing has the empty text; a
// request not sent (channel off) has no answer at all.
struct MeasureAnswer {
    MeasureField field{};
    std::string_view text;
};

// What the one-byte models show beside the throttle: the raw step and the
// sensor voltage in mV ("# ###").
struct TpsDisplay {
    std::optional<std::string> lbLsbTPS;
    std::optional<std::string> lbTPSVolt;
};

// The answer to `field` among a cycle's answers; none when it was not asked.
std::optional<std::string_view> findAnswer(std::span<const MeasureAnswer> answers, MeasureField field);

// The byte whose two digits start at the 0-based `position`, read like HexToByte:
// missing or non-hex digits read as 0, a lone last digit as its own value.
std::uint8_t pairAt(std::string_view answer, std::size_t position);

}  // namespace dravio::ecu
