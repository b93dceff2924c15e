#include "ecu/decode_onebyte.h"

#include <gtest/gtest.h>

#include <array>
#include <tuple>

#include "ecu/decoding.h"

namespace dravio::ecu {
namespace {

// The ten answers of a cycle with every channel on, in request order: period hi,
// period lo, throttle, injection hi, injection lo, advance, pressure, air, engine, battery.
using Ten = std::array<const char*, 10>;
constexpr Ten kCanned = {"01", "01", "15", "01", "01", "01", "D6", "51", "81", "01"};

Ten with(Ten base, std::size_t index, const char* text, std::size_t index2 = 99, const char* text2 = "") {
    base[index] = text;
    if (index2 < base.size()) base[index2] = text2;
    return base;
}

TpsDisplay decode(OneByteDecoder& decoder, const Ten& texts, Mesures& m) {
    const auto requests = oneByteRequests(MeasureChannels{});
    std::vector<MeasureAnswer> answers;
    for (std::size_t i = 0; i < requests.size(); ++i) answers.push_back({requests[i].field, texts[i]});
    return decoder.decode(answers, m);
}

TEST(OneByteDecoder, ConversionsPerModel) {
    // MM16's usual values are in the JSON golden cycle; here the edges and the other models.
    using proto::Model;
    const std::tuple<const char*, Model, Ten, float Mesures::*, float> cases[] = {
        {"period 3000, RC15", Model::RC15, with(kCanned, 0, "0B", 1, "B8"), &Mesures::Regime, 5000},
        {"period 3000, P8 doubles", Model::P8, with(kCanned, 0, "0B", 1, "B8"), &Mesures::Regime, 10000},
        {"period 2999 on P8 is above 10000", Model::P8, with(kCanned, 0, "0B", 1, "B7"), &Mesures::Regime, 0},
        {"period 300 gives 50000, shown as 0", Model::MM16, with(kCanned, 0, "01", 1, "2C"), &Mesures::Regime, 0},
        {"period 1500 gives exactly 10000", Model::MM16, with(kCanned, 0, "05", 1, "DC"), &Mesures::Regime, 10000},
        {"step 171 on the high line", Model::MM16, with(kCanned, 2, "AB"), &Mesures::Papillon, 30.6918f},
        {"step 5 goes negative", Model::MM16, with(kCanned, 2, "05"), &Mesures::Papillon, -0.486f},
        {"step 5 clamps to 0 on P8", Model::P8, with(kCanned, 2, "05"), &Mesures::Papillon, 0},
        {"step 191 on P8 stays low", Model::P8, with(kCanned, 2, "BF"), &Mesures::Papillon, 33.8868f},
        {"step 192 on P8 crosses 34", Model::P8, with(kCanned, 2, "C0"), &Mesures::Papillon, 45.5136f},
        {"step kept raw", Model::MM16, with(kCanned, 2, "C8"), &Mesures::PapillonPas, 200},
        {"injection 300 ticks on P8", Model::P8, with(kCanned, 3, "01", 4, "2C"), &Mesures::Injection, 1.2f},
        {"injection FE FE still read", Model::MM16, with(kCanned, 3, "FE", 4, "FE"), &Mesures::Injection, 130.556f},
        {"advance 80 on P8", Model::P8, with(kCanned, 5, "50"), &Mesures::AvanceVal, 20},
        {"pressure 214 on P8", Model::P8, kCanned, &Mesures::PressionVal, 939.5402f},
        {"air 0", Model::P8, with(kCanned, 7, "00"), &Mesures::TempAir, -55},
        {"air: only the first byte counts", Model::MM16, with(kCanned, 7, "51FF"), &Mesures::TempAir, 26},
        {"air: a lone digit is its own value", Model::MM16, with(kCanned, 7, "5"), &Mesures::TempAir, -50},
        {"air: not hex reads 0", Model::MM16, with(kCanned, 7, "G1"), &Mesures::TempAir, -55},
        {"battery 208 on P8", Model::P8, with(kCanned, 9, "D0"), &Mesures::TensionVal, 13.0624f}};
    for (const auto& [what, model, answers, value, expected] : cases) {
        OneByteDecoder decoder(model);
        Mesures m;
        decode(decoder, answers, m);
        EXPECT_NEAR(m.*value, expected, 1e-3) << what;
    }
}

TEST(OneByteDecoder, Byte255KeepsTheLastInjectionAndTheLastHighByte) {
    for (const Ten& answers :
         {with(kCanned, 3, "FF", 4, "10"), with(kCanned, 3, "01", 4, "FF"), with(kCanned, 3, "FF", 4, "FF")}) {
        OneByteDecoder decoder(proto::Model::MM16);
        Mesures m;
        m.Injection = 2.5f;
        decode(decoder, answers, m);
        EXPECT_EQ(m.Injection, 2.5f) << answers[3] << ' ' << answers[4];
    }
    OneByteDecoder decoder(proto::Model::MM16);
    Mesures m;
    decode(decoder, with(kCanned, 0, "0B", 1, "B8"), m);
    // 0x0B 0x54 = 2900 periods: only right if the old high byte was reused.
    decode(decoder, with(kCanned, 0, "FF", 1, "54"), m);
    EXPECT_NEAR(m.Regime, 15'000'000.0 / 2900, 1e-2);
    EXPECT_EQ(decoder.PrecedentHaut(), 0x0B);
    // A fresh decoder reads 255 as 0: 0x0054 is far above 10000 rpm, shown 0 (not 229).
    OneByteDecoder fresh(proto::Model::MM16);
    decode(fresh, with(kCanned, 0, "FF", 1, "54"), m);
    EXPECT_EQ(m.Regime, 0);
}

TEST(OneByteDecoder, SilentEcuGivesTheValuesOfByteZero) {
    for (const auto& [model, papillon] : {std::pair{proto::Model::MM16, -1.41f}, std::pair{proto::Model::P8, 0.0f}}) {
        SCOPED_TRACE(proto::rowOf(model).cliName);
        OneByteDecoder decoder(model);
        Mesures m;
        m.Regime = 1234;  // a zero period leaves the speed as it was
        m.Injection = 9;
        decode(decoder, Ten{"", "", "", "", "", "", "", "", "", ""}, m);
        EXPECT_EQ(m.Regime, 1234);
        EXPECT_NEAR(m.Papillon, papillon, 1e-4);
        EXPECT_NEAR(m.PressionVal, 91 * 1.33, 1e-3);
        for (float v : {m.Injection, m.AvanceVal, m.TensionVal}) EXPECT_EQ(v, 0);
        for (float v : {m.TempAir, m.TempEau}) EXPECT_EQ(v, -55);
    }
}

TEST(OneByteDecoder, ThrottleDisplayTexts) {
    const std::tuple<proto::Model, TpsRatio, const char*, std::optional<std::string>, std::optional<std::string>>
        cases[] = {
            {proto::Model::MM16, {}, "15", "21", "405"},                  // 21 x 4720 / 245 = 404.6
            {proto::Model::MM16, {}, "FF", "255", "4 913"},               // blank between thousands
            {proto::Model::MM15, {5000, 255}, "FF", "255", "5 000"},      // the settings' own ratio
            {proto::Model::RC15, {}, "00", "0", ""},                      // "# ###" prints nothing for 0
            {proto::Model::MM16, {4720, 0}, "15", "21", std::nullopt},    // no ratio, no voltage
            {proto::Model::P8, {5000, 255}, "FF", std::nullopt, "4 913"}  // P8 ignores the settings
        };
    for (const auto& [model, ratio, step, lsb, volt] : cases) {
        OneByteDecoder decoder(model, ratio);
        Mesures m;
        const auto display = decode(decoder, with(kCanned, 2, step), m);
        EXPECT_EQ(display.lbLsbTPS, lsb) << step;
        EXPECT_EQ(display.lbTPSVolt, volt) << step;
    }
}

TEST(MeasureDecoder, PollAsksTheChannelsOnAndUnaskedValuesStay) {
    // Channels: throttle, injection, advance, pressure, air, engine, battery.
    const std::pair<MeasureChannels, std::vector<std::string>> cases[] = {
        {{false, false, false, false, false, false, false}, {"01", "02"}},
        {{false, true, false, false, true, false, false}, {"01", "02", "03", "04", "07"}},
        {{true, true, true, false, true, true, false}, {"01", "02", "09", "03", "04", "05", "07", "08"}}};
    for (const auto& [channels, requests] : cases) {
        MeasureDecoder decoder(proto::Model::MM16, "F110");
        std::vector<std::string> sent;
        const auto exchange = [&](std::string_view requete, std::string_view, std::int16_t, std::int16_t) {
            sent.emplace_back(requete);
            return std::string(requete == "01" ? "0B" : requete == "02" ? "B8" : requete == "07" ? "51" : "");
        };
        Mesures m;
        m.PressionVal = 1000;
        m.Papillon = 7;
        int waits = 0;
        const auto display = decoder.poll(
            exchange, [&](double) { ++waits; }, channels, false, m);
        EXPECT_EQ(sent, requests);
        EXPECT_EQ(waits, 0);
        EXPECT_EQ(m.Regime, 5000);
        EXPECT_EQ(m.PressionVal, 1000);
        EXPECT_EQ(m.TempAir, channels.Air ? 26 : 0);
        EXPECT_EQ(m.Papillon == 7, !channels.Potar);
        EXPECT_EQ(display.lbLsbTPS.has_value(), channels.Potar);
    }
}

}  // namespace
}  // namespace dravio::ecu
