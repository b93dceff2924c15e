#include "link/init_liaison.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>

#include "base/clock.h"
#include "base/event_loop.h"
#include "proto/hex.h"
#include "base/view_state.h"
#include "link/trace.h"
#include "ports/sim_cable.h"
#include "scripted_ecu.h"

namespace dravio::link {
namespace {

using namespace std::chrono_literals;
using base::Clock;
using ports::SimCable;

// A line peer whose behaviour each test writes as lambdas.
class LambdaPeer : public ports::SimPeer {
public:
    std::function<void(SimCable&, Clock::TimePoint, std::uint8_t, std::uint32_t)> onByte;
    std::function<void(SimCable&, Clock::TimePoint, bool)> onLine;
    void onTesterByte(SimCable& line, Clock::TimePoint end, std::uint8_t byte, std::uint32_t baud) override {
        if (onByte) onByte(line, end, byte, baud);
    }
    void onBreak(SimCable& line, Clock::TimePoint t, bool low) override {
        if (onLine) onLine(line, t, low);
    }
};

class InitLiaisonTest : public ::testing::Test {
protected:
    InitLiaisonTest() {
        cable.open("Dravio simulated K-line");
        cable.setPeer(&peer);
        link.setCable(&cable);
        link.TypeECU = proto::Model::M59;
    }

    LinkInitialisation make() {
        return LinkInitialisation(
            link, view,
            {[this](const std::string& key, int def) { return ecu.count(key) ? std::stoi(ecu[key]) : def; },
             [this](const std::string& key, const std::string& value) {
                 ecu[key] = value;
                 writes.push_back(key + "=" + value);
             }},
            channels);
    }

    // Start of every break pulse (line low) with its width in ms.
    std::vector<std::pair<double, double>> pulses() const {
        std::vector<std::pair<double, double>> out;
        Clock::TimePoint low{};
        bool isLow = false;
        for (const auto& e : cable.events()) {
            if (e.op == SimCable::Op::BreakOn && !isLow) {
                low = e.t;
                isLow = true;
            } else if (e.op == SimCable::Op::BreakOff && isLow) {
                out.emplace_back(base::millisecondsSince(Clock::TimePoint{}, low),
                                 base::millisecondsSince(low, e.t));
                isLow = false;
            }
        }
        return out;
    }

    std::vector<std::string> traceWith(const std::string& prefix) const {
        std::vector<std::string> out;
        for (const auto& line : seen) {
            if (line.rfind(prefix, 0) == 0) out.push_back(line);
        }
        return out;
    }

    base::VirtualClock clock;
    base::EventLoop loop{clock};
    Trace trace{clock};
    Link link{loop, trace};
    SimCable cable{clock};
    LambdaPeer peer;
    base::ViewState view;
    InitChannels channels;
    std::map<std::string, std::string> ecu;
    std::vector<std::string> writes;
    std::vector<std::string> seen;
};

// An ECU that answers StartCommunication (and nothing else) from attempt `from` on.
void answerStartCommunication(LambdaPeer& peer, int from, int* attempts) {
    auto pending = std::make_shared<std::string>();
    peer.onByte = [pending, from, attempts](SimCable& line, Clock::TimePoint end, std::uint8_t byte, std::uint32_t baud) {
        *pending += proto::ByteToHex(byte);
        if (pending->size() > 10) pending->erase(0, pending->size() - 10);
        if (*pending == "8110F18103") {
            pending->clear();
            if (++*attempts < from) return;
            for (const auto b : proto::fromHex("83F110C1EF8FC3")) line.sendFromPeer(end + 25ms, b, baud);
        }
    };
}

TEST_F(InitLiaisonTest, ModeFollowsTheAttemptCounterFromEachStartingMode) {
    const struct { int start; std::vector<int> modes; } cases[] = {
        {0, {0, 1, 2, 0, 1}},
        {2, {2, 0, 1, 2, 0}},
        {3, {3, 0, 1, 2, 0}},
        {4, {4, 2, 0, 1, 2}},
    };
    for (const auto& c : cases) {
        std::vector<int> got;
        int mode = c.start;
        got.push_back(mode);
        for (int attempt = 1; attempt <= 40; ++attempt) {
            const int next = LinkInitialisation::nextMode(mode, attempt);
            if (attempt % 10 == 0) got.push_back(next);
            mode = next;
        }
        EXPECT_EQ(got, c.modes) << "Init = " << c.start;
    }
}

TEST_F(InitLiaisonTest, FortyFailuresGiveTheMessageAndResetTheMemory) {
    trace.setOnLine([this](std::string_view line) { seen.emplace_back(line); });
    ecu["Init"] = "2";
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
    EXPECT_EQ(traceWith("Init = "), (std::vector<std::string>{"Init = 2", "Init = 0", "Init = 1", "Init = 2",
                                                              "Init = 0"}));
    EXPECT_FALSE(view.visible("ProgressBar1"));
    EXPECT_FALSE(view.visible("Lbtest"));
    EXPECT_EQ(view["ProgressBar1"].value, 40);
    // Each failure says which step failed: here the ECU never answered.
    EXPECT_EQ(traceWith("Echec init : l'ECU ne répond pas").size(), 40u);
}

TEST_F(InitLiaisonTest, ModeZeroPulsesFollowTheAttemptCounter) {
    auto init = make();
    init.InitLiaison();
    const auto got = pulses();
    ASSERT_GE(got.size(), 9u);
    const double expected[] = {23, 21, 24, 20, 25, 19, 22, 23, 21};
    for (std::size_t i = 0; i < 9; ++i) EXPECT_NEAR(got[i].second, expected[i], 1e-6) << "attempt " << i + 1;
    // After the pulse the line stays high as long again before StartCommunication.
    const auto firstWrite = cable.writes().front().t;
    EXPECT_NEAR(base::millisecondsSince(Clock::TimePoint{}, firstWrite) - (got[0].first + 2 * 23), 6.0, 1e-6);
}

TEST_F(InitLiaisonTest, FiveBaudAddressIsSentAsBitRunsAndTheKeyByteAnswered) {
    ecu["Init"] = "2";
    std::vector<std::pair<Clock::TimePoint, std::uint8_t>> heard;
    bool answered = false;
    peer.onLine = [&](SimCable& line, Clock::TimePoint t, bool low) {
        // The stop bit: the ECU answers 0x55 and the key bytes at 10400 baud.
        if (!low && !answered && !cable.events().empty()) {
            const auto& events = cable.events();
            int lows = 0;
            for (const auto& e : events) lows += e.op == SimCable::Op::BreakOn;
            if (lows == 3) {
                answered = true;
                for (const std::uint8_t b : {0x55, 0xEF, 0x8F}) line.sendFromPeer(t + 20ms, b, 10400);
            }
        }
    };
    peer.onByte = [&](SimCable&, Clock::TimePoint end, std::uint8_t byte, std::uint32_t) { heard.emplace_back(end, byte); };
    auto init = make();
    init.InitLiaison();

    // 0x10 at 200 ms a bit: start bit with the four low zero bits, one bit high, three low, then the stop bit.
    const auto got = pulses();
    ASSERT_GE(got.size(), 2u);
    EXPECT_DOUBLE_EQ(got[0].second, 1000.0);
    EXPECT_DOUBLE_EQ(got[1].second, 600.0);
    EXPECT_DOUBLE_EQ(got[1].first - got[0].first, 1200.0);

    // 0x70 = 0xFF - 0x8F leaves 32 ms after the key bytes were read.
    ASSERT_FALSE(heard.empty());
    EXPECT_EQ(heard[0].second, 0x70);
    std::vector<double> reads;
    for (const auto& e : cable.events()) {
        if (e.op == SimCable::Op::Read && e.value == 3) reads.push_back(base::millisecondsSince(Clock::TimePoint{}, e.t));
    }
    ASSERT_FALSE(reads.empty());
    const double sentAt = base::millisecondsSince(Clock::TimePoint{}, cable.writes().front().t);
    EXPECT_NEAR(sentAt - reads.front(), 32.0, 1e-6);
}

TEST_F(InitLiaisonTest, SuccessOnTheLastAttemptShowsNoMessageAndKeepsTheKeepAlive) {
    int attempts = 0;
    answerStartCommunication(peer, 40, &attempts);
    link.Timer_present().setInterval(2500ms);
    auto init = make();
    EXPECT_TRUE(init.InitLiaison());
    EXPECT_EQ(init.attempts(), 40);
    EXPECT_TRUE(view.messages().empty());
    EXPECT_TRUE(link.Timer_present().enabled());
    EXPECT_EQ(init.mode(), 1);
    EXPECT_EQ(ecu["Init"], "1");
    EXPECT_EQ(ecu["InitB"], "200");
}

TEST_F(InitLiaisonTest, SuccessRemembersTheModeAndReadsTheIdentification) {
    testing::ScriptedEcu scripted;
    cable.setPeer(&scripted);
    scripted.answers["8110F18103"] = "83F110C1EF8FC3";
    scripted.ignoreFirst["8110F18103"] = 2;
    const std::string ident = "IAW5AMHW010";
    std::string data;
    for (char c : ident) data += proto::ByteToHex(c);
    const std::string frame = "8F" "F110" "5A92" + data + "2020";
    scripted.answers["8210F11A92" + proto::CalculChecksum("8210F11A92")] = frame + proto::CalculChecksum(frame);
    channels.MoteurPP = true;
    channels.Lambda = false;
    auto init = make();
    EXPECT_TRUE(init.InitLiaison());
    EXPECT_EQ(init.attempts(), 3);
    EXPECT_EQ(writes, (std::vector<std::string>{"Init=0", "Init=0", "Chrono=24"}));
    EXPECT_EQ(init.identification(), ident);
    EXPECT_EQ(view.text("lbPanel5"), ident);
    EXPECT_TRUE(view.visible("frMoteurPP"));
    EXPECT_TRUE(view.enabled("cdMoteurPP"));
    EXPECT_FALSE(view.enabled("lbLambda"));
    // AccessTimingParameters went out with the tester address 0x01, then it is back to 0xF1.
    std::string sent;
    for (const auto& e : cable.writes()) sent += proto::ByteToHex(static_cast<int>(e.value));
    EXPECT_NE(sent.find("871001830300FF00FF00"), std::string::npos) << sent;
    EXPECT_EQ(link.EnteteRequete, "10F1");
}

TEST_F(InitLiaisonTest, AnIdentificationWithoutIaw5aHidesTheStepperMotor) {
    link.ModeDemo = true;
    channels.MoteurPP = true;
    ecu["Init"] = "3";
    auto init = make();
    EXPECT_TRUE(init.InitLiaison());
    EXPECT_EQ(init.attempts(), 1);
    // The demonstration identification is a 5AM.
    EXPECT_EQ(view.text("lbPanel5"), "IAW5AMHW010");
    EXPECT_TRUE(channels.MoteurPP);

    link.ModeDemo = false;
    int attempts = 0;
    answerStartCommunication(peer, 1, &attempts);
    auto other = make();
    EXPECT_TRUE(other.InitLiaison());
    EXPECT_EQ(other.identification(), "");
    EXPECT_FALSE(view.visible("frMoteurPP"));
    EXPECT_FALSE(view.enabled("cdMoteurPP"));
    EXPECT_FALSE(channels.MoteurPP);
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
    // An ECU (or an adapter) that repeats the request frame after the echo.
    auto pending = std::make_shared<std::string>();
    peer.onByte = [pending](SimCable& line, Clock::TimePoint end, std::uint8_t byte, std::uint32_t baud) {
        *pending += proto::ByteToHex(byte);
        if (*pending == "8110F18103") {
            pending->clear();
            for (const auto b : proto::fromHex("8110F18103")) line.sendFromPeer(end + 25ms, b, baud);
        }
        if (pending->size() >= 10) pending->clear();
    };
    ecu["Init"] = "5";
    auto init = make();
    EXPECT_TRUE(init.InitLiaison());
    EXPECT_EQ(ecu["Init"], "1");
}

TEST_F(InitLiaisonTest, TheTraceFileIsRenamedOnceTheLinkIsUp) {
    const auto dir = std::filesystem::temp_directory_path() / "dravio-init-trace";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    trace.openFile(dir / "dravio7.log");
    trace.EcritTrace("Version : Dravio", true);
    link.ModeDemo = true;
    ecu["Init"] = "5";
    auto init = make();
    init.setTraceFiles({dir, 7});
    EXPECT_TRUE(init.InitLiaison());
    trace.EcritTrace("apres", true);
    trace.closeFile();
    EXPECT_FALSE(std::filesystem::exists(dir / "dravio7.log"));
    std::ifstream in(dir / "dravioOK7.log");
    std::string first, last, line;
    std::getline(in, first);
    while (std::getline(in, line)) last = line;
    EXPECT_EQ(first, "0.000: Version : Dravio");
    EXPECT_EQ(last.substr(last.find(':')), ": apres");
    std::filesystem::remove_all(dir);
}

TEST(Baud5Set, BitRunsOfTheThreeAddresses) {
    const struct { int address; std::vector<std::pair<bool, int>> runs; } cases[] = {
        {0x10, {{true, 5}, {false, 1}, {true, 3}}},
        {0x11, {{true, 1}, {false, 1}, {true, 3}, {false, 1}, {true, 3}}},
        {0x33, {{true, 1}, {false, 2}, {true, 2}, {false, 2}, {true, 2}}},
    };
    for (const auto& c : cases) {
        base::VirtualClock clock;
        base::EventLoop loop{clock};
        Trace trace{clock};
        Link link{loop, trace};
        SimCable cable{clock};
        cable.open("Dravio simulated K-line");
        link.setCable(&cable);
        base::ViewState view;
        InitChannels channels;
        LinkInitialisation init(link, view, {}, channels);
        init.Baud5Set(0.2, c.address);
        // Merge consecutive events of the same level into runs of 200 ms bits.
        std::vector<std::pair<bool, int>> runs;
        const auto& events = cable.events();
        ASSERT_EQ(events.front().op, SimCable::Op::Open);
        for (std::size_t i = 2; i < events.size(); ++i) {
            const bool low = events[i - 1].op == SimCable::Op::BreakOn;
            const int bits = static_cast<int>(std::llround(base::millisecondsSince(events[i - 1].t, events[i].t) / 200.0));
            if (!runs.empty() && runs.back().first == low) {
                runs.back().second += bits;
            } else {
                runs.emplace_back(low, bits);
            }
        }
        EXPECT_EQ(runs, c.runs) << std::hex << c.address;
        EXPECT_EQ(events.back().op, SimCable::Op::BreakOff);
    }
}

}  // namespace
}  // namespace dravio::link
