#include "ecu/decode_onebyte.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "ecu/decoding.h"

namespace dravio::ecu {
namespace {

// The ten answers of a cycle with every channel on, in request order:
// period hi, period lo, throttle, injection hi, injection lo, advance,
// pressure, air, engine, battery.
using Ten = std::array<const char*, 10>;

constexpr Ten kCanned = {"01", "01", "15", "01", "01", "01", "D6", "51", "81", "01"};

std::vector<MeasureAnswer> answersOf(const Ten& texts) {
    const auto requests = oneByteRequests(MeasureChannels{});
    std::vector<MeasureAnswer> answers;
    for (std::size_t i = 0; i < requests.size(); ++i) answers.push_back({requests[i].field, texts[i]});
    return answers;
}

Ten with(Ten base, std::size_t index, const char* text) {
    base[index] = text;
    return base;
}

TEST(OneByteRequests, AllChannelsOnGiveTheTenRequestsInCycleOrder) {
    const auto requests = oneByteRequests(MeasureChannels{});
    const std::vector<std::string> expected = {"01", "02", "09", "03", "04", "05", "06", "07", "08", "0A"};
    ASSERT_EQ(requests.size(), expected.size());
    for (std::size_t i = 0; i < requests.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(requests[i].requete, expected[i]);
        EXPECT_EQ(requests[i].reponseDemo, kCanned[i]);
        EXPECT_EQ(requests[i].longueur, 1);
        EXPECT_EQ(requests[i].delaiMs, i < 2 ? 1000 : 100);
        EXPECT_EQ(requests[i].attenteAvant, 0.0);
    }
}

TEST(OneByteRequests, ChannelsOffAreNotAskedAndEngineSpeedAlwaysIs) {
    struct Case {
        MeasureChannels channels;
        std::vector<std::string> requests;
    };
    MeasureChannels none{false, false, false, false, false, false, false};
    MeasureChannels injectionAndAir = none;
    injectionAndAir.Injection = true;
    injectionAndAir.Air = true;
    MeasureChannels noThrottleNoBattery{};
    noThrottleNoBattery.Potar = false;
    noThrottleNoBattery.Tension = false;
    const Case cases[] = {
        {none, {"01", "02"}},
        {injectionAndAir, {"01", "02", "03", "04", "07"}},
        {noThrottleNoBattery, {"01", "02", "03", "04", "05", "06", "07", "08"}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> sent;
        for (const auto& r : oneByteRequests(c.channels)) sent.push_back(r.requete);
        EXPECT_EQ(sent, c.requests);
    }
}

struct DecodeCase {
    const char* what;
    proto::Model model;
    Ten answers;
    float Mesures::*value;
    float expected;
};

TEST(OneByteDecoder, ConversionsPerModel) {
    const DecodeCase cases[] = {
        {"period 3000, models 0-2", proto::Model::MM16, with(with(kCanned, 0, "0B"), 1, "B8"), &Mesures::Regime, 5000},
        {"period 3000, model 1", proto::Model::MM15, with(with(kCanned, 0, "0B"), 1, "B8"), &Mesures::Regime, 5000},
        {"period 3000, model 2", proto::Model::RC15, with(with(kCanned, 0, "0B"), 1, "B8"), &Mesures::Regime, 5000},
        {"period 3000, P8 doubles", proto::Model::P8, with(with(kCanned, 0, "0B"), 1, "B8"), &Mesures::Regime, 10000},
        {"period 2999 on P8 is above 10000", proto::Model::P8, with(with(kCanned, 0, "0B"), 1, "B7"), &Mesures::Regime, 0},
        {"period 300 gives 50000, shown as 0", proto::Model::MM16, with(with(kCanned, 0, "01"), 1, "2C"), &Mesures::Regime, 0},
        {"period 1500 gives exactly 10000", proto::Model::MM16, with(with(kCanned, 0, "05"), 1, "DC"), &Mesures::Regime, 10000},
        {"step 170 on the low line", proto::Model::MM16, with(kCanned, 2, "AA"), &Mesures::Papillon, 30.006f},
        {"step 171 on the high line", proto::Model::MM16, with(kCanned, 2, "AB"), &Mesures::Papillon, 30.6918f},
        {"step 5 goes negative on 0-2", proto::Model::MM16, with(kCanned, 2, "05"), &Mesures::Papillon, -0.486f},
        {"step 5 clamps to 0 on P8", proto::Model::P8, with(kCanned, 2, "05"), &Mesures::Papillon, 0},
        {"step 191 on P8 stays low (33.89)", proto::Model::P8, with(kCanned, 2, "BF"), &Mesures::Papillon, 33.8868f},
        {"step 192 on P8 crosses 34", proto::Model::P8, with(kCanned, 2, "C0"), &Mesures::Papillon, 45.5136f},
        {"step 200 on 0-2", proto::Model::MM15, with(kCanned, 2, "C8"), &Mesures::Papillon, 51.16f},
        {"step kept raw", proto::Model::MM16, with(kCanned, 2, "C8"), &Mesures::PapillonPas, 200},
        {"step kept raw on P8", proto::Model::P8, with(kCanned, 2, "C8"), &Mesures::PapillonPas, 200},
        {"injection 300 ticks", proto::Model::MM16, with(with(kCanned, 3, "01"), 4, "2C"), &Mesures::Injection, 0.6f},
        {"injection 300 ticks on P8", proto::Model::P8, with(with(kCanned, 3, "01"), 4, "2C"), &Mesures::Injection, 1.2f},
        {"injection FE FE still read", proto::Model::MM16, with(with(kCanned, 3, "FE"), 4, "FE"), &Mesures::Injection, 130.556f},
        {"advance 80", proto::Model::MM16, with(kCanned, 5, "50"), &Mesures::AvanceVal, 40},
        {"advance 80 on P8", proto::Model::P8, with(kCanned, 5, "50"), &Mesures::AvanceVal, 20},
        {"pressure 214: 706.4 mmHg", proto::Model::MM16, kCanned, &Mesures::PressionVal, 939.5402f},
        {"pressure 214 on P8", proto::Model::P8, kCanned, &Mesures::PressionVal, 939.5402f},
        {"air 81", proto::Model::MM16, kCanned, &Mesures::TempAir, 26},
        {"air 0", proto::Model::P8, with(kCanned, 7, "00"), &Mesures::TempAir, -55},
        {"engine 129", proto::Model::MM16, kCanned, &Mesures::TempEau, 74},
        {"battery 208", proto::Model::MM16, with(kCanned, 9, "D0"), &Mesures::TensionVal, 13.0624f},
        {"battery 208 on P8", proto::Model::P8, with(kCanned, 9, "D0"), &Mesures::TensionVal, 13.0624f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        OneByteDecoder decoder(c.model);
        Mesures m;
        const auto answers = answersOf(c.answers);
        decoder.decode(answers, m);
        EXPECT_NEAR(m.*c.value, c.expected, 1e-3);
    }
}

TEST(OneByteDecoder, InjectionByte255KeepsTheLastValue) {
    for (const Ten& answers : {with(with(kCanned, 3, "FF"), 4, "10"), with(with(kCanned, 3, "01"), 4, "FF"),
                               with(with(kCanned, 3, "FF"), 4, "FF")}) {
        OneByteDecoder decoder(proto::Model::MM16);
        Mesures m;
        m.Injection = 2.5f;
        const auto list = answersOf(answers);
        decoder.decode(list, m);
        EXPECT_EQ(m.Injection, 2.5f) << answers[3] << ' ' << answers[4];
    }
}

TEST(OneByteDecoder, HighByte255ReusesThePreviousHighByte) {
    OneByteDecoder decoder(proto::Model::MM16);
    Mesures m;
    auto first = answersOf(with(with(kCanned, 0, "0B"), 1, "B8"));
    decoder.decode(first, m);
    EXPECT_EQ(decoder.PrecedentHaut(), 0x0B);

    // 0x0B 0x54 = 2900 periods: only right if the old high byte was reused.
    auto second = answersOf(with(with(kCanned, 0, "FF"), 1, "54"));
    decoder.decode(second, m);
    EXPECT_NEAR(m.Regime, 15'000'000.0 / 2900, 1e-2);
    EXPECT_EQ(decoder.PrecedentHaut(), 0x0B);

    // A fresh decoder has no previous high byte: 255 reads as 0.
    OneByteDecoder fresh(proto::Model::MM16);
    Mesures n;
    fresh.decode(second, n);
    // 0x0054 is 178571 RPM, shown 0; reading 255 as a high byte would give 229 RPM.
    EXPECT_EQ(n.Regime, 0);
}

TEST(OneByteDecoder, SilentEcuGivesTheValuesOfByteZero) {
    const Ten silent = {"", "", "", "", "", "", "", "", "", ""};
    struct Case {
        proto::Model model;
        float Papillon;
    };
    for (const Case c : {Case{proto::Model::MM16, -1.41f}, Case{proto::Model::P8, 0.0f}}) {
        SCOPED_TRACE(proto::rowOf(c.model).cliName);
        OneByteDecoder decoder(c.model);
        Mesures m;
        m.Regime = 1234;  // a zero period leaves the speed as it was
        m.Injection = 9;
        const auto answers = answersOf(silent);
        decoder.decode(answers, m);
        EXPECT_EQ(m.Regime, 1234);
        EXPECT_EQ(decoder.PrecedentHaut(), 0);
        EXPECT_NEAR(m.Papillon, c.Papillon, 1e-4);
        EXPECT_EQ(m.Injection, 0);
        EXPECT_EQ(m.AvanceVal, 0);
        EXPECT_NEAR(m.PressionVal, 91 * 1.33, 1e-3);
        EXPECT_EQ(m.TempAir, -55);
        EXPECT_EQ(m.TempEau, -55);
        EXPECT_EQ(m.TensionVal, 0);
    }
}

TEST(OneByteDecoder, GarbledAnswersReadTheirFirstTwoDigitsOrZero) {
    struct Case {
        const char* answer;
        float TempAir;
    };
    const Case cases[] = {
        {"51FF", 26},   // only the first byte counts
        {"5", -50},     // a lone digit is its own value
        {"G1", -55},    // not hex: 0
        {"zz", -55},
        {"6E", 55},
    };
    for (const auto& c : cases) {
        OneByteDecoder decoder(proto::Model::MM16);
        Mesures m;
        const auto answers = answersOf(with(kCanned, 7, c.answer));
        decoder.decode(answers, m);
        EXPECT_EQ(m.TempAir, c.TempAir) << c.answer;
    }
}

TEST(OneByteDecoder, ChannelsNotAskedKeepTheirValues) {
    OneByteDecoder decoder(proto::Model::MM16);
    Mesures m;
    m.TempAir = 33;
    m.Papillon = 7;
    m.Injection = 4;
    const std::vector<MeasureAnswer> answers = {{MeasureField::PeriodHigh, "0B"}, {MeasureField::PeriodLow, "B8"}};
    const auto display = decoder.decode(answers, m);
    EXPECT_EQ(m.Regime, 5000);
    EXPECT_EQ(m.TempAir, 33);
    EXPECT_EQ(m.Papillon, 7);
    EXPECT_EQ(m.Injection, 4);
    EXPECT_FALSE(display.lbLsbTPS.has_value());
    EXPECT_FALSE(display.lbTPSVolt.has_value());
}

TEST(OneByteDecoder, ThrottleDisplayTexts) {
    struct Case {
        proto::Model model;
        TpsRatio ratio;
        const char* step;
        std::optional<std::string> lsb;
        std::optional<std::string> volt;
    };
    const Case cases[] = {
        {proto::Model::MM16, {}, "15", "21", "405"},                  // 21 x 4720 / 245 = 404.6
        {proto::Model::MM16, {}, "FF", "255", "4 913"},               // 4912.7, blank between thousands
        {proto::Model::MM15, {5000, 255}, "FF", "255", "5 000"},      // the settings' own ratio
        {proto::Model::RC15, {}, "00", "0", ""},                      // "# ###" prints nothing for 0
        {proto::Model::MM16, {4720, 0}, "15", "21", std::nullopt},    // no ratio, no voltage
        {proto::Model::P8, {5000, 255}, "FF", std::nullopt, "4 913"},  // P8 ignores the settings
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.step);
        OneByteDecoder decoder(c.model, c.ratio);
        Mesures m;
        const auto answers = answersOf(with(kCanned, 2, c.step));
        const auto display = decoder.decode(answers, m);
        EXPECT_EQ(display.lbLsbTPS, c.lsb);
        EXPECT_EQ(display.lbTPSVolt, c.volt);
    }
}

TEST(MeasureDecoder, PollSendsTheAskedRequestsAndDecodesTheirAnswers) {
    MeasureDecoder decoder(proto::Model::MM16, "F110");
    MeasureChannels channels{};
    channels.Pression = false;
    channels.Tension = false;
    std::vector<std::string> sent;
    int waits = 0;
    const auto exchange = [&](std::string_view requete, std::string_view, std::int16_t, std::int16_t) {
        sent.emplace_back(requete);
        if (requete == "01") return std::string("0B");
        if (requete == "02") return std::string("B8");
        if (requete == "07") return std::string("51");
        return std::string();  // silent
    };
    Mesures m;
    m.PressionVal = 1000;
    decoder.poll(exchange, [&](double) { ++waits; }, channels, false, m);
    EXPECT_EQ(sent, (std::vector<std::string>{"01", "02", "09", "03", "04", "05", "07", "08"}));
    EXPECT_EQ(waits, 0);
    EXPECT_EQ(m.Regime, 5000);
    EXPECT_EQ(m.TempAir, 26);
    EXPECT_EQ(m.TempEau, -55);
    EXPECT_EQ(m.PressionVal, 1000);
}

}  // namespace
}  // namespace dravio::ecu
