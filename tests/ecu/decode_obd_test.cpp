#include "ecu/decode_obd.h"

#include <gtest/gtest.h>

#include <tuple>

#include "ecu/decoding.h"

namespace dravio::ecu {
namespace {

// Canned answers in request order.
const std::vector<std::string> kCanned = {"FE84F110410C0000D2", "FE83F110410415C9", "84F110411100885F",
                                          "FE83F11041054711",   "FE83F110410F4519", "FE84F110411000774D",
                                          "FE83F110410D00D2",   "FE83F110410B6333"};

Mesures decoded(const std::vector<std::string>& texts, Mesures m = {}) {
    const auto requests = obdRequests(MeasureChannels{}, "F110");
    std::vector<MeasureAnswer> answers;
    for (std::size_t i = 0; i < texts.size(); ++i) answers.push_back({requests[i].field, texts[i]});
    decodeObd(answers, "F110", m);
    return m;
}

// The usual values are in the JSON golden cycle; here the edges.
TEST(Model5Decode, ParametersAndConversions) {
    const std::tuple<std::size_t, const char*, float Mesures::*, float> cases[] = {
        {0, "FE84F110410C0000D2", &Mesures::Regime, 0},
        {0, "84F110410C0FA1", &Mesures::Regime, 1000.25f},
        {0, "84F110410C", &Mesures::Regime, 0},  // short data reads zero
        {0, "84F110410C1F", &Mesures::Regime, 1984},
        {0, "84F110410C1F4", &Mesures::Regime, 1985},  // a lone digit is its own value
        {1, "83F1104104FF", &Mesures::Injection, 100},
        {2, "84F11041110100", &Mesures::Papillon, 100.392f},
        {3, "83F110410500", &Mesures::TempEau, -40},
        {5, "FE84F11041100077", &Mesures::AvanceVal, 0},
        {5, "84F11041101277", &Mesures::AvanceVal, 18},  // air mass: A only
        {6, "FE83F110410D00D2", &Mesures::TensionVal, 0}};
    for (const auto& [index, answer, value, expected] : cases) {
        std::vector<std::string> texts = kCanned;
        texts[index] = answer;
        EXPECT_NEAR(decoded(texts).*value, expected, 1e-3) << answer;
    }
}

TEST(Model5Decode, AMissingHeaderZeroesOnlyItsOwnValue) {
    const std::pair<std::size_t, float Mesures::*> outputs[] = {
        {1, &Mesures::Injection}, {2, &Mesures::Papillon},   {3, &Mesures::TempEau},    {4, &Mesures::TempAir},
        {5, &Mesures::AvanceVal}, {6, &Mesures::TensionVal}, {7, &Mesures::PressionVal}};
    for (const auto& [index, value] : outputs) {
        for (const char* bad : {"", "FE", "83F1107F0112", "84F110410C1F40", "83F11041"}) {
            std::vector<std::string> texts = kCanned;
            texts[0] = "84F110410C1F40";
            texts[index] = bad;
            Mesures m;
            m.*value = 77;
            m = decoded(texts, m);
            EXPECT_EQ(m.*value, 0) << index << " '" << bad << "'";
            EXPECT_EQ(m.Regime, 2000);
        }
    }
}

TEST(Model5Decode, NoEngineSpeedZeroesTheOthersButLaterAnswersCount) {
    Mesures m{0, 77, 0, 77, 77, 77, 77, 0, 77, 450};  // lambda 450
    // Only speed and engine temperature were asked this cycle.
    const std::vector<MeasureAnswer> answers = {{MeasureField::ObdRegime, ""},
                                                {MeasureField::ObdEngineTemperature, kCanned[3]}};
    decodeObd(answers, "F110", m);
    EXPECT_EQ(m.Regime, 0);
    EXPECT_EQ(m.TempEau, 31);
    for (float Mesures::*v : {&Mesures::Injection, &Mesures::Papillon, &Mesures::TempAir, &Mesures::AvanceVal,
                              &Mesures::TensionVal, &Mesures::PressionVal})
        EXPECT_EQ(m.*v, 0);
    EXPECT_EQ(m.LambdaVal, 450);
}

TEST(Model5, PollWaitsBeforeEveryRequestAndAsksOnlyTheChannelsOn) {
    const std::vector<std::string> all = {"010C", "0104", "0111", "0105", "010F", "0110", "010D", "010B"};
    const std::pair<bool MeasureChannels::*, const char*> off[] = {
        {&MeasureChannels::Injection, "0104"}, {&MeasureChannels::Potar, "0111"},  {&MeasureChannels::Eau, "0105"},
        {&MeasureChannels::Air, "010F"},       {&MeasureChannels::Avance, "0110"}, {&MeasureChannels::Tension, "010D"},
        {&MeasureChannels::Pression, "010B"}};
    for (const auto& [channel, missing] : off) {
        MeasureDecoder decoder(proto::Model::Obd, "F110");
        std::vector<std::string> events, expected;
        for (const auto& r : all)
            if (r != missing) expected.insert(expected.end(), {"wait", r + "/1000"});
        const auto exchange = [&](std::string_view requete, std::string_view demo, std::int16_t, std::int16_t delai) {
            events.push_back(std::string(requete) + "/" + std::to_string(delai));
            return std::string(demo);
        };
        MeasureChannels channels{};
        channels.*channel = false;
        Mesures m;
        m.TempAir = 5;
        decoder.poll(
            exchange, [&](double s) { events.push_back(s == 0.06 ? "wait" : "wrong wait"); }, channels, false, m);
        EXPECT_EQ(events, expected) << missing;
        EXPECT_EQ(m.TempAir, channel == &MeasureChannels::Air ? 5 : 29) << missing;
    }
}

}  // namespace
}  // namespace dravio::ecu
