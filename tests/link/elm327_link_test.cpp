#include "link/elm327_link.h"

#include <gtest/gtest.h>

#include <chrono>

#include "base/clock.h"
#include "base/event_loop.h"
#include "base/view_state.h"
#include "link/trace.h"
#include "ports/sim_serial_port.h"
#include "sim/elm327_emulator.h"
#include "sim/elm327_serial_port.h"
#include "sim/kwp_ecu.h"

namespace dravio::link {
namespace {

using namespace std::chrono_literals;

// Dravio talking to an emulated adapter with a simulated 59M behind it.
class Elm327LinkTest : public ::testing::Test {
protected:
    Elm327LinkTest() {
        adapter.setEcu(&ecu);
        port.setPortNumber(1);
        EXPECT_EQ(port.open(), ports::kSerialOk);
        elm.install();
        link.TypeInterface = kInterfaceElm327;
        link.TypeECU = proto::Model::M59;
        trace.setOnLine([this](std::string_view line) { seen.emplace_back(line); });
        // The adapter boots when powered; the user clicks a while later.
        clock.advance(2s);
    }

    std::string lineStarting(const std::string& prefix) const {
        for (const auto& line : seen) {
            if (line.rfind(prefix, 0) == 0) return line;
        }
        return "<none>";
    }

    base::VirtualClock clock;
    base::EventLoop loop{clock};
    Trace trace{clock};
    Link link{loop, trace};
    base::ViewState view;
    InitChannels channels;
    sim::KwpEcu ecu{sim::KwpScenario::m5a()};
    sim::Elm327Emulator adapter;
    sim::Elm327SerialPort port{clock, adapter};
    Elm327Link elm{link, port, view, channels};
    std::vector<std::string> seen;
};

TEST_F(Elm327LinkTest, ExchangeReturnsTheRawAnswerWithItsPrompt) {
    const auto answer = link.EnvoieRequete("ATI", "demo", 0, 1000);
    EXPECT_NE(answer.find("ELM327"), std::string::npos) << answer;
    EXPECT_EQ(answer.back(), '>');
    EXPECT_FALSE(link.DialogueActif());
    EXPECT_FALSE(link.Timer1().enabled());
}

TEST_F(Elm327LinkTest, SilentAdapterMakesTheExchangeLastItsTimeOut) {
    ports::SimSerialPort mute;
    mute.setPortNumber(2);
    ASSERT_EQ(mute.open(), ports::kSerialOk);
    Elm327Link silent(link, mute, view, channels);
    silent.install();
    const auto t0 = clock.now();
    EXPECT_EQ(link.EnvoieRequete("ATZ", "", 0, 400), "");
    EXPECT_EQ(clock.now() - t0, 400ms);
}

TEST_F(Elm327LinkTest, InitComElmReachesTheEcuAndReadsTheIdentification) {
    EXPECT_TRUE(elm.InitComELM());
    EXPECT_NE(lineStarting("7 :21A0: ").find("BUS INIT"), std::string::npos) << lineStarting("7 :21A0: ");
    EXPECT_EQ(lineStarting("Il va y avoir"), "Il va y avoir 7 commandes");
    EXPECT_NE(lineStarting("1 :ATZ: ").find("ELM327"), std::string::npos);
    EXPECT_NE(lineStarting("6 :ATSPA5: ").find("OK"), std::string::npos);
    EXPECT_NE(elm.identification().find("IAW5A"), std::string::npos) << elm.identification();
    EXPECT_EQ(view.text("lbPanel5"), elm.identification());
    EXPECT_TRUE(view.visible("frMoteurPP"));
    // The adapter now keeps the ECU awake with TesterPresent (the bytes as given, checksum included).
    EXPECT_EQ(adapter.settings().wakeupMessage, (std::vector<std::uint8_t>{0x81, 0x10, 0xF1, 0x3E, 0xC0}));
}

TEST_F(Elm327LinkTest, AStillSearchingAdapterGetsAThirdRequestWithALongerTimeOut) {
    // An adapter scripted answer by answer: set-up commands get "OK>", the block
    // requests the answers of a slow search.
    ports::SimSerialPort scripted;
    scripted.setPortNumber(3);
    ASSERT_EQ(scripted.open(), ports::kSerialOk);
    std::vector<std::string> blockAnswers{"NO DATA\r\r>", "SEARCHING...\r", "96F11061A00102030405060708090A0B0C0D0E0F1011121314151617\r\r>"};
    std::vector<std::pair<double, std::string>> requests;
    scripted.setPeer([&](std::string_view sent) {
        requests.emplace_back(base::millisecondsSince(base::Clock::TimePoint{}, clock.now()), std::string(sent));
        if (sent.rfind("21A0", 0) == 0 && !blockAnswers.empty()) {
            scripted.deliver(blockAnswers.front());
            blockAnswers.erase(blockAnswers.begin());
        } else if (sent.rfind("AT", 0) == 0 || sent.rfind("8", 0) == 0) {
            scripted.deliver("OK\r\r>");
        }
    });
    Elm327Link withScript(link, scripted, view, channels);
    withScript.install();
    EXPECT_TRUE(withScript.InitComELM());
    std::vector<double> blockTimes;
    for (const auto& [t, sent] : requests) {
        if (sent.rfind("21A0", 0) == 0) blockTimes.push_back(t);
    }
    ASSERT_EQ(blockTimes.size(), 3u);
    // The second request waited its full 2000 ms for a prompt that never came.
    EXPECT_NEAR(blockTimes[2] - blockTimes[1], 2000.0, 0.01);
    EXPECT_NE(lineStarting("8 :21A0: ").find("SEARCHING"), std::string::npos);
}

TEST_F(Elm327LinkTest, NoBusAndNoPositiveAnswerMeansFailure) {
    ports::SimSerialPort scripted;
    scripted.setPortNumber(3);
    ASSERT_EQ(scripted.open(), ports::kSerialOk);
    scripted.setPeer([&](std::string_view) { scripted.deliver("UNABLE TO CONNECT\r\r>"); });
    Elm327Link withScript(link, scripted, view, channels);
    withScript.install();
    EXPECT_FALSE(withScript.InitComELM());
    EXPECT_EQ(withScript.identification(), "");
    EXPECT_FALSE(view.visible("frMoteurPP"));
}

}  // namespace
}  // namespace dravio::link
