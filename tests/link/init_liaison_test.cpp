#include "link/init_liaison.h"

#include <gtest/gtest.h>

#include <cmath>

#include "link/line_bench.h"
#include "scripted_ecu.h"

namespace dravio::link {
namespace {

using namespace std::chrono_literals;
using base::Clock;
using ports::SimCable;

// A line peer whose behaviour each test writes as lambdas.
struct LambdaPeer : ports::SimPeer {
    std::function<void(SimCable&, Clock::TimePoint, std::uint8_t, std::uint32_t)> onByte;
    std::function<void(SimCable&, Clock::TimePoint, bool)> onLine;
    void onTesterByte(SimCable& line, Clock::TimePoint end, std::uint8_t byte, std::uint32_t baud) override {
        if (onByte) onByte(line, end, byte, baud);
    }
    void onBreak(SimCable& line, Clock::TimePoint t, bool low) override {
        if (onLine) onLine(line, t, low);
    }
};

// The initialisation on a simulated line with a peer written as lambdas.
struct Bench : testing::LineBench {
    Bench() { cable.setPeer(&peer); }
    LinkInitialisation make() { return LinkInitialisation(link, view, memory(), channels); }
    // Start and width in ms of every break pulse (line low).
    std::vector<std::pair<double, double>> pulses() const {
        std::vector<std::pair<double, double>> out;
        std::optional<Clock::TimePoint> low;
        for (const auto& e : cable.events()) {
            if (e.op == SimCable::Op::BreakOn && !low) low = e.t;
            if (e.op != SimCable::Op::BreakOff || !low) continue;
            out.emplace_back(base::millisecondsSince(Clock::TimePoint{}, *low), base::millisecondsSince(*low, e.t));
            low.reset();
        }
        return out;
    }
    // An ECU that answers StartCommunication (and nothing else) from attempt `from` on.
    void answerStartCommunicationFrom(int from, const char* answer = "83F110C1EF8FC3") {
        peer.onByte = [from, answer, pending = std::string(), attempts = 0](
                          SimCable& line, Clock::TimePoint end, std::uint8_t byte, std::uint32_t baud) mutable {
            pending = (pending + proto::ByteToHex(byte)).substr(pending.size() >= 10 ? 2 : 0);
            if (pending != "8110F18103" || ++attempts < from) return;
            for (const auto b : proto::fromHex(answer)) line.sendFromPeer(end + 25ms, b, baud);
        };
    }

    LambdaPeer peer;
};

class InitLiaisonTest : public ::testing::Test, public Bench {};

TEST_F(InitLiaisonTest, ModeFollowsTheAttemptCounterFromEachStartingMode) {
    const std::pair<int, std::vector<int>> cases[] = {
        {0, {0, 1, 2, 0, 1}}, {2, {2, 0, 1, 2, 0}}, {3, {3, 0, 1, 2, 0}}, {4, {4, 2, 0, 1, 2}}};
    for (const auto& [start, modes] : cases) {
        std::vector<int> got{start};
        int mode = start;
        for (int attempt = 1; attempt <= 40; ++attempt) {
            mode = LinkInitialisation::nextMode(mode, attempt);
            if (attempt % 10 == 0) got.push_back(mode);
        }
        EXPECT_EQ(got, modes) << "Init = " << start;
    }
}

TEST_F(InitLiaisonTest, FortyFailuresWithTheirPulsesGiveTheMessageAndResetTheMemory) {
    ecu["Init"] = "0";
    link.Timer_present().setInterval(2500ms);
    link.Timer_present().setEnabled(true);
    auto init = make();
    EXPECT_FALSE(init.InitLiaison());
    EXPECT_EQ(init.attempts(), 40);
    EXPECT_EQ(ecu["Init"], "0");
    EXPECT_FALSE(link.Timer_present().enabled());
    ASSERT_EQ(view.messages().size(), 1u);
    EXPECT_EQ(view.messages()[0].text, "Pas de réponse de l'ECU ! Vérifiez les connexions");
    EXPECT_EQ(view.messages()[0].title, "Fatal erreur");
    EXPECT_EQ(traceWith("Init = "),
              (std::vector<std::string>{"Init = 0", "Init = 1", "Init = 2", "Init = 0", "Init = 1"}));
    EXPECT_EQ(view["ProgressBar1"].value, 40);
    // Each failure says which step failed: here the ECU never answered.
    EXPECT_EQ(traceWith("Echec init : l'ECU ne répond pas").size(), 40u);
    // Fast-initialisation pulses follow the attempt counter.
    const auto got = pulses();
    ASSERT_GE(got.size(), 9u);
    const double expected[] = {23, 21, 24, 20, 25, 19, 22, 23, 21};
    for (std::size_t i = 0; i < 9; ++i) EXPECT_NEAR(got[i].second, expected[i], 1e-6) << "attempt " << i + 1;
    // After the pulse the line stays high as long again, then 6 ms before the first byte.
    const auto firstWrite = cable.writes().front().t;
    EXPECT_NEAR(base::millisecondsSince(Clock::TimePoint{}, firstWrite) - (got[0].first + 2 * 23), 6.0, 1e-6);
}

TEST_F(InitLiaisonTest, FiveBaudAddressIsSentAsBitRunsAndTheKeyByteAnswered) {
    ecu["Init"] = "2";
    std::vector<std::uint8_t> heard;
    peer.onLine = [&, answered = false](SimCable& line, Clock::TimePoint t, bool low) mutable {
        // At the stop bit the ECU answers 0x55 and the key bytes at 10400 baud.
        int lows = 0;
        for (const auto& e : cable.events()) lows += e.op == SimCable::Op::BreakOn;
        if (low || answered || lows != 3) return;
        answered = true;
        for (const std::uint8_t b : {0x55, 0xEF, 0x8F}) line.sendFromPeer(t + 20ms, b, 10400);
    };
    peer.onByte = [&](SimCable&, Clock::TimePoint, std::uint8_t byte, std::uint32_t) { heard.push_back(byte); };
    make().InitLiaison();
    // 0x70 = 0xFF - 0x8F leaves 32 ms after the key bytes were read.
    ASSERT_FALSE(heard.empty());
    EXPECT_EQ(heard[0], 0x70);
    std::optional<Clock::TimePoint> read;
    for (const auto& e : cable.events())
        if (e.op == SimCable::Op::Read && e.value == 3 && !read) read = e.t;
    ASSERT_TRUE(read);
    EXPECT_NEAR(base::millisecondsSince(*read, cable.writes().front().t), 32.0, 1e-6);
}

TEST(Baud5Set, BitRunsOfTheThreeAddresses) {
    // Bits low, high, low ... at 200 ms a bit, up to the stop bit.
    const std::pair<int, std::vector<long>> cases[] = {
        {0x10, {5, 1, 3}}, {0x11, {1, 1, 3, 1, 3}}, {0x33, {1, 2, 2, 2, 2}}};
    for (const auto& [address, expected] : cases) {
        Bench b;
        b.make().Baud5Set(0.2, address);
        const auto got = b.pulses();
        std::vector<long> runs;
        for (std::size_t i = 0; i < got.size(); ++i) {
            if (i > 0) runs.push_back(std::lround((got[i].first - got[i - 1].first - got[i - 1].second) / 200));
            runs.push_back(std::lround(got[i].second / 200));
        }
        EXPECT_EQ(runs, expected) << std::hex << address;
        EXPECT_EQ(b.cable.events().back().op, SimCable::Op::BreakOff);
    }
}

TEST_F(InitLiaisonTest, SuccessOnTheLastAttemptShowsNoMessageAndKeepsTheKeepAlive) {
    answerStartCommunicationFrom(40);
    channels.MoteurPP = true;
    link.Timer_present().setInterval(2500ms);
    auto init = make();
    EXPECT_TRUE(init.InitLiaison());
    EXPECT_EQ(init.attempts(), 40);
    EXPECT_TRUE(view.messages().empty());
    EXPECT_TRUE(link.Timer_present().enabled());
    EXPECT_EQ(init.mode(), 1);
    EXPECT_EQ(ecu["Init"], "1");
    EXPECT_EQ(ecu["InitB"], "200");
    // Without the IAW5A identification the stepper motor is hidden.
    EXPECT_EQ(init.identification(), "");
    EXPECT_FALSE(view.visible("frMoteurPP"));
    EXPECT_FALSE(channels.MoteurPP);
}

TEST_F(InitLiaisonTest, SuccessRemembersTheModeAndReadsTheIdentification) {
    testing::ScriptedEcu scripted;
    cable.setPeer(&scripted);
    scripted.answers["8110F18103"] = "83F110C1EF8FC3";
    scripted.ignoreFirst["8110F18103"] = 2;
    const std::string frame =
        "8FF1105A92" + proto::toHex({'I', 'A', 'W', '5', 'A', 'M', 'H', 'W', '0', '1', '0'}) + "2020";
    scripted.answers["8210F11A92" + proto::CalculChecksum("8210F11A92")] = frame + proto::CalculChecksum(frame);
    channels.MoteurPP = true;
    channels.Lambda = false;
    auto init = make();
    EXPECT_TRUE(init.InitLiaison());
    EXPECT_EQ(init.attempts(), 3);
    EXPECT_EQ(writes, (std::vector<std::string>{"Init=0", "Init=0", "Chrono=24"}));
    EXPECT_EQ(view.text("lbPanel5"), "IAW5AMHW010");
    EXPECT_TRUE(view.enabled("cdMoteurPP"));
    EXPECT_FALSE(view.enabled("lbLambda"));
    // AccessTimingParameters went out with the tester address 0x01, then it is back to 0xF1.
    EXPECT_NE(written().find("871001830300FF00FF00"), std::string::npos) << written();
    EXPECT_EQ(link.EnteteRequete, "10F1");
}

TEST_F(InitLiaisonTest, SingleAttemptModesEndAtOnceWithoutAMessage) {
    ecu["Init"] = "6";
    link.Timer_present().setInterval(2500ms);
    auto init = make();
    EXPECT_FALSE(init.InitLiaison());
    EXPECT_EQ(init.attempts(), 1);
    EXPECT_TRUE(view.messages().empty());
    EXPECT_EQ(ecu["Init"], "0");
    EXPECT_TRUE(link.Timer_present().enabled());
    EXPECT_TRUE(pulses().empty());
}

TEST_F(InitLiaisonTest, StartCommunicationEchoedBackCountsAsSuccess) {
    answerStartCommunicationFrom(1, "8110F18103");  // an ECU or adapter repeating the request
    ecu["Init"] = "5";
    EXPECT_TRUE(make().InitLiaison());
    EXPECT_EQ(ecu["Init"], "1");
}

}  // namespace
}  // namespace dravio::link
