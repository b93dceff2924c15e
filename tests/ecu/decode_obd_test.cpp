#include "ecu/decode_obd.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ecu/decoding.h"

namespace dravio::ecu {
namespace {

// Canned answers in request order.
const std::vector<std::string> kCanned = {
    "FE84F110410C0000D2", "FE83F110410415C9", "84F110411100885F", "FE83F11041054711",
    "FE83F110410F4519",   "FE84F110411000774D", "FE83F110410D00D2", "FE83F110410B6333",
};

std::vector<MeasureAnswer> answersOf(const std::vector<std::string>& texts) {
    const auto requests = obdRequests(MeasureChannels{}, "F110");
    std::vector<MeasureAnswer> answers;
    for (std::size_t i = 0; i < texts.size() && i < requests.size(); ++i) answers.push_back({requests[i].field, texts[i]});
    return answers;
}

TEST(Model5Requests, EightParametersInOrderWithTheirCannedAnswers) {
    struct Expected {
        const char* requete;
        int longueur;
        const char* demo;
    };
    const Expected expected[] = {
        {"010C", 8, "FE84F110410C0000D2"}, {"0104", 7, "FE83F110410415C9"}, {"0111", 8, "84F110411100885F"},
        {"0105", 7, "FE83F11041054711"},   {"010F", 7, "FE83F110410F4519"}, {"0110", 8, "FE84F110411000774D"},
        {"010D", 7, "FE83F110410D00D2"},   {"010B", 7, "FE83F110410B6333"},
    };
    const auto requests = obdRequests(MeasureChannels{}, "F110");
    ASSERT_EQ(requests.size(), std::size(expected));
    for (std::size_t i = 0; i < requests.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(requests[i].requete, expected[i].requete);
        EXPECT_EQ(requests[i].longueur, expected[i].longueur);
        EXPECT_EQ(requests[i].reponseDemo, expected[i].demo);
        EXPECT_EQ(requests[i].delaiMs, 1000);
        EXPECT_EQ(requests[i].attenteAvant, 0.06);
    }
}

TEST(Model5Requests, EachParameterFollowsItsChannel) {
    struct Case {
        void (*switchOff)(MeasureChannels&);
        const char* missing;
    };
    const Case cases[] = {
        {[](MeasureChannels& c) { c.Injection = false; }, "0104"},
        {[](MeasureChannels& c) { c.Potar = false; }, "0111"},
        {[](MeasureChannels& c) { c.Eau = false; }, "0105"},
        {[](MeasureChannels& c) { c.Air = false; }, "010F"},
        {[](MeasureChannels& c) { c.Avance = false; }, "0110"},
        {[](MeasureChannels& c) { c.Tension = false; }, "010D"},
        {[](MeasureChannels& c) { c.Pression = false; }, "010B"},
    };
    for (const auto& c : cases) {
        MeasureChannels channels{};
        c.switchOff(channels);
        const auto requests = obdRequests(channels, "F110");
        ASSERT_EQ(requests.size(), 7u) << c.missing;
        EXPECT_EQ(requests[0].requete, "010C") << "engine speed is always asked";
        for (const auto& r : requests) EXPECT_NE(r.requete, c.missing);
    }
}

TEST(Model5Decode, ParametersAndConversions) {
    struct Case {
        std::size_t index;
        const char* answer;
        float Mesures::*value;
        float expected;
    };
    const Case cases[] = {
        {0, "FE84F110410C0000D2", &Mesures::Regime, 0},
        {0, "84F110410C1F40", &Mesures::Regime, 2000},
        {0, "84F110410C0FA1", &Mesures::Regime, 1000.25f},
        {1, "FE83F110410415C9", &Mesures::Injection, 8.2353f},   // load 21 of 255
        {1, "83F1104104FF", &Mesures::Injection, 100},
        {2, "84F110411100885F", &Mesures::Papillon, 53.3333f},  // (0 x 256 + 136) x 100 / 255
        {2, "84F11041110100", &Mesures::Papillon, 100.392f},
        {3, "FE83F11041054711", &Mesures::TempEau, 31},
        {3, "83F110410500", &Mesures::TempEau, -40},
        {4, "FE83F110410F4519", &Mesures::TempAir, 29},
        {5, "FE84F11041100077", &Mesures::AvanceVal, 0},
        {5, "84F11041101277", &Mesures::AvanceVal, 18},          // air mass: A only
        {6, "FE83F110410D00D2", &Mesures::TensionVal, 0},
        {6, "83F110410D58", &Mesures::TensionVal, 88},           // road speed
        {7, "FE83F110410B6333", &Mesures::PressionVal, 99},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answer);
        std::vector<std::string> texts = kCanned;
        texts[c.index] = c.answer;
        Mesures m;
        decodeObd(answersOf(texts), "F110", m);
        EXPECT_NEAR(m.*c.value, c.expected, 1e-3);
    }
}

TEST(Model5Decode, AMissingHeaderZeroesOnlyItsOwnValue) {
    const std::vector<std::pair<std::size_t, float Mesures::*>> outputs = {
        {1, &Mesures::Injection}, {2, &Mesures::Papillon}, {3, &Mesures::TempEau}, {4, &Mesures::TempAir},
        {5, &Mesures::AvanceVal}, {6, &Mesures::TensionVal}, {7, &Mesures::PressionVal}};
    for (const auto& [index, value] : outputs) {
        for (const char* bad : {"", "FE", "83F1107F0112", "84F110410C1F40", "83F11041"}) {
            std::vector<std::string> texts = kCanned;
            texts[0] = "84F110410C1F40";
            texts[index] = bad;
            Mesures m;
            m.*value = 77;
            decodeObd(answersOf(texts), "F110", m);
            EXPECT_EQ(m.*value, 0) << index << " '" << bad << "'";
            EXPECT_EQ(m.Regime, 2000);
        }
    }
}

TEST(Model5Decode, NoEngineSpeedZeroesAllEightButLaterAnswersStillCount) {
    std::vector<std::string> texts = kCanned;
    texts[0] = "";
    Mesures m;
    m.Regime = m.Injection = m.Papillon = m.TempEau = m.TempAir = m.AvanceVal = m.TensionVal = m.PressionVal = 77;
    m.LambdaVal = 450;
    // Only speed and engine temperature were asked this cycle.
    const std::vector<MeasureAnswer> answers = {{MeasureField::ObdRegime, texts[0]},
                                                {MeasureField::ObdEngineTemperature, texts[3]}};
    decodeObd(answers, "F110", m);
    EXPECT_EQ(m.Regime, 0);
    EXPECT_EQ(m.TempEau, 31);
    for (float Mesures::*v : {&Mesures::Injection, &Mesures::Papillon, &Mesures::TempAir, &Mesures::AvanceVal,
                              &Mesures::TensionVal, &Mesures::PressionVal})
        EXPECT_EQ(m.*v, 0);
    EXPECT_EQ(m.LambdaVal, 450);
}

TEST(Model5Decode, ChannelsNotAskedKeepTheirValues) {
    Mesures m;
    m.TempAir = 12;
    const std::vector<MeasureAnswer> answers = {{MeasureField::ObdRegime, "84F110410C1F40"}};
    decodeObd(answers, "F110", m);
    EXPECT_EQ(m.Regime, 2000);
    EXPECT_EQ(m.TempAir, 12);
}

TEST(Model5Decode, ShortDataAfterTheHeaderReadsZero) {
    struct Case {
        const char* answer;
        float Regime;
    };
    for (const Case c : {Case{"84F110410C", 0}, Case{"84F110410C1F", 1984}, Case{"84F110410C1F4", 1985}}) {
        Mesures m;
        const std::vector<MeasureAnswer> answers = {{MeasureField::ObdRegime, c.answer}};
        decodeObd(answers, "F110", m);
        EXPECT_EQ(m.Regime, c.Regime) << c.answer;
    }
}

TEST(Model5, PollWaitsBeforeEveryRequest) {
    MeasureDecoder decoder(proto::Model::Obd, "F110");
    std::vector<std::string> events;
    const auto exchange = [&](std::string_view requete, std::string_view demo, std::int16_t, std::int16_t) {
        events.emplace_back(requete);
        return std::string(demo);
    };
    MeasureChannels channels{};
    channels.Air = false;
    Mesures m;
    m.TempAir = 5;
    decoder.poll(exchange, [&](double s) { events.push_back(s == 0.06 ? "wait" : "wrong wait"); }, channels, false, m);
    EXPECT_EQ(events, (std::vector<std::string>{"wait", "010C", "wait", "0104", "wait", "0111", "wait", "0105",
                                                "wait", "0110", "wait", "010D", "wait", "010B"}));
    EXPECT_EQ(m.TempEau, 31);
    EXPECT_EQ(m.TempAir, 5);
    EXPECT_EQ(m.PressionVal, 99);
}

}  // namespace
}  // namespace dravio::ecu
