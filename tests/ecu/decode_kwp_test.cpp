#include "ecu/decode_kwp.h"

#include <gtest/gtest.h>

#include <string>

#include "ecu/decoding.h"

namespace dravio::ecu {
namespace {

constexpr const char* kCannedBlock = "96F11061A007C603F2003D00390029010C0089013C068E9C403C";
constexpr const char* kBlockData = "07C603F2003D00390029010C0089013C068E9C403C";

struct Eight {
    float Regime, PressionVal, TempAir, TempEau, Papillon, AvanceVal, TensionVal, Injection;
};

void expectEight(const Mesures& m, const Eight& e) {
    EXPECT_NEAR(m.Regime, e.Regime, 1e-4);
    EXPECT_NEAR(m.PressionVal, e.PressionVal, 1e-4);
    EXPECT_NEAR(m.TempAir, e.TempAir, 1e-4);
    EXPECT_NEAR(m.TempEau, e.TempEau, 1e-4);
    EXPECT_NEAR(m.Papillon, e.Papillon, 1e-4);
    EXPECT_NEAR(m.AvanceVal, e.AvanceVal, 1e-4);
    EXPECT_NEAR(m.TensionVal, e.TensionVal, 1e-4);
    EXPECT_NEAR(m.Injection, e.Injection, 1e-4);
}

Mesures stale() {
    Mesures m;
    m.Regime = m.PressionVal = m.TempAir = m.TempEau = m.Papillon = m.AvanceVal = m.TensionVal = m.Injection = 55;
    m.PapillonPas = 12;
    m.LambdaVal = 450;
    return m;
}

constexpr Eight kCannedValues = {1990, 1010, 21, 17, 4.1f, 26.8f, 13.7f, 3.356f};
constexpr Eight kZero = {0, 0, 0, 0, 0, 0, 0, 0};

TEST(Model4Requests, BlockAndFastModeRequests) {
    const MeasureDecoder decoder(proto::Model::M59, "F110");
    const auto block = decoder.requests(MeasureChannels{false, false, false, false, false, false, false}, false);
    ASSERT_EQ(block.size(), 1u) << "the block is read whole whatever channels are on";
    EXPECT_EQ(block[0].requete, "21A0");
    EXPECT_EQ(block[0].longueur, 26);
    EXPECT_EQ(block[0].delaiMs, 800);
    EXPECT_EQ(block[0].attenteAvant, 0.08);
    EXPECT_EQ(block[0].reponseDemo, kCannedBlock);

    const auto fast = decoder.requests(MeasureChannels{}, true);
    ASSERT_EQ(fast.size(), 1u);
    EXPECT_EQ(fast[0].requete, "2130");
    EXPECT_EQ(fast[0].longueur, 8);
    EXPECT_EQ(fast[0].delaiMs, 500);
    EXPECT_EQ(fast[0].attenteAvant, 0.08);
    EXPECT_EQ(fast[0].reponseDemo, "84F11061300320AA");

    // The canned answers carry the link's answer address pair.
    EXPECT_EQ(MeasureDecoder(proto::Model::M59, "F112").requests(MeasureChannels{}, true)[0].reponseDemo, "84F11261300320AA");
}

TEST(Model4Block, AnswersAndTheirValues) {
    struct Case {
        const char* what;
        std::string answer;
        Eight expected;
    };
    const Case cases[] = {
        {"canned block", kCannedBlock, kCannedValues},
        {"94 header", std::string("94F11061A0") + kBlockData, kCannedValues},
        {"bytes before the frame", std::string("FE0096F11061A0") + kBlockData, kCannedValues},
        {"94 header after noise", std::string("1294F11061A0") + kBlockData, kCannedValues},
        {"cut after the pressure", "96F11061A007C603F2", {1990, 1010, -40, -40, 0, 0, 0, 0}},
        {"header only", "96F11061A0", {0, 0, -40, -40, 0, 0, 0, 0}},
        {"garbled data", "96F11061A0ZZZZ03F2", {0, 1010, -40, -40, 0, 0, 0, 0}},
        {"largest words", "96F11061A0FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF",
         {65535, 65535, 65495, 65495, 6553.5f, 6553.5f, 6553.5f, 131.07f}},
        {"empty answer", "", kZero},
        {"other format byte", std::string("95F11061A0") + kBlockData, kZero},
        {"other identifier", std::string("96F11061A6") + kBlockData, kZero},
        {"other address pair", std::string("96F11261A0") + kBlockData, kZero},
        {"negative answer", "83F1107F2112B6", kZero},
        {"header split", "96F11061A", kZero},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Mesures m = stale();
        decodeBlock(c.answer, "F110", m);
        expectEight(m, c.expected);
        EXPECT_EQ(m.PapillonPas, 12) << "not a block value";
        EXPECT_EQ(m.LambdaVal, 450) << "not a block value";
    }
}

TEST(Model4Block, UnusedBytesAreIgnored) {
    // Bytes 14-15 and 18-19 changed: nothing moves.
    std::string answer = kCannedBlock;
    answer.replace(10 + 28, 4, "FFFF");
    answer.replace(10 + 36, 4, "FFFF");
    Mesures m;
    decodeBlock(answer, "F110", m);
    expectEight(m, kCannedValues);
}

TEST(Model4Block, OtherAddressPair) {
    Mesures m;
    decodeBlock(std::string("96F11261A0") + kBlockData, "F112", m);
    expectEight(m, kCannedValues);
}

TEST(Model4Fast, EngineSpeedAloneAndEverythingElseZero) {
    struct Case {
        const char* answer;
        float Regime;
    };
    const Case cases[] = {
        {"84F11061300320AA", 800},
        {"84F1106130FFFFAA", 65535},
        {"84F11061300320", 800},   // no checksum
        {"84F110613003", 768},     // low byte missing reads 0
        {"84F1106130", 0},
        {"", 0},
        {"83F1107F2112B6", 0},     // refused
        {"84F11061310320AA", 0},   // another identifier
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answer);
        Mesures m = stale();
        decodeFastRegime(c.answer, "F110", m);
        expectEight(m, {c.Regime, 0, 0, 0, 0, 0, 0, 0});
        EXPECT_EQ(m.LambdaVal, 450);
    }
}

TEST(Model4Fast, SpeedIsReadAtItsPlaceInTheFrame) {
    // The header is searched anywhere but the speed is taken from characters
    // 11 to 14, where a well-formed frame has it.
    Mesures m;
    decodeFastRegime("FE84F11061300320AA", "F110", m);
    EXPECT_EQ(m.Regime, 0x3003);
}

TEST(Model4, DecoderPicksTheModeFromTheAnswerItGets) {
    MeasureDecoder decoder(proto::Model::M59, "F110");
    Mesures m;
    const std::vector<MeasureAnswer> block = {{MeasureField::Block, kCannedBlock}};
    decoder.decode(block, m);
    expectEight(m, kCannedValues);
    const std::vector<MeasureAnswer> fast = {{MeasureField::FastRegime, "84F11061300320AA"}};
    decoder.decode(fast, m);
    expectEight(m, {800, 0, 0, 0, 0, 0, 0, 0});
}

TEST(Model4, PollWaitsThenSendsTheBlockRequest) {
    MeasureDecoder decoder(proto::Model::M59, "F110");
    std::vector<std::string> events;
    const auto exchange = [&](std::string_view requete, std::string_view demo, std::int16_t longueur,
                              std::int16_t delai) {
        events.push_back(std::string(requete) + "/" + std::to_string(longueur) + "/" + std::to_string(delai));
        return std::string(demo);  // as in demonstration mode
    };
    Mesures m;
    decoder.poll(exchange, [&](double s) { events.push_back("wait " + std::to_string(s)); }, MeasureChannels{}, false,
                 m);
    EXPECT_EQ(events, (std::vector<std::string>{"wait 0.080000", "21A0/26/800"}));
    expectEight(m, kCannedValues);
}

}  // namespace
}  // namespace dravio::ecu
