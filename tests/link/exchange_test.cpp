#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "base/clock.h"
#include "base/event_loop.h"
#include "proto/hex.h"
#include "link/link.h"
#include "link/trace.h"
#include "ports/sim_cable.h"
#include "scripted_ecu.h"

namespace dravio::link {
namespace {

using namespace std::chrono_literals;
using base::Clock;
using ports::SimCable;

constexpr auto kByte10400 = std::chrono::nanoseconds(961538);  // 10 bits at 10400 baud

// A 59M-like line: the engine, a simulated cable at 10400 baud, a scripted ECU.
class ExchangeTest : public ::testing::Test {
protected:
    ExchangeTest() {
        link.setCable(&cable);
        link.TypeECU = proto::Model::M59;
        cable.setPeer(&ecu);
        cable.open("Dravio simulated K-line");
        cable.setBaudRate(10400);
        ecu.answers["8210F12130D4"] = "84F11061300C1E10";  // engine speed, 8 bytes
        ecu.answers["8110F18103"] = "83F110C1EF8FC3";
        traceDir = std::filesystem::temp_directory_path() /
                   ("dravio-exchange-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                    ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(traceDir);
        trace.openFile(traceDir / "dravio1.log");
    }
    ~ExchangeTest() override {
        trace.closeFile();
        std::filesystem::remove_all(traceDir);
    }

    std::string traceFile() const {
        std::ifstream in(traceDir / "dravio1.log");
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    double msSince(Clock::TimePoint t0) const { return base::millisecondsSince(t0, clock.now()); }

    std::vector<double> writeTimes(Clock::TimePoint t0) const {
        std::vector<double> out;
        for (const auto& e : cable.writes()) out.push_back(base::millisecondsSince(t0, e.t));
        return out;
    }

    std::string writtenHex() const {
        std::vector<std::uint8_t> bytes;
        for (const auto& e : cable.writes()) bytes.push_back(static_cast<std::uint8_t>(e.value));
        return proto::toHex(bytes);
    }

    base::VirtualClock clock{Clock::TimePoint{} + 1s};
    base::EventLoop loop{clock};
    Trace trace{clock};
    Link link{loop, trace};
    SimCable cable{clock};
    testing::ScriptedEcu ecu;
    std::filesystem::path traceDir;
};

TEST_F(ExchangeTest, BytesLeaveSixMillisecondsApartFirstOneIncluded) {
    const auto t0 = clock.now();
    link.EnvoieRequete("2130", "", 8, 500);
    EXPECT_EQ(writtenHex(), "8210F12130D4");
    EXPECT_EQ(writeTimes(t0), (std::vector<double>{6, 12, 18, 24, 30, 36}));
}

TEST_F(ExchangeTest, WaitEndsAsSoonAsEchoAndAnswerAreQueued) {
    const auto t0 = clock.now();
    const auto answer = link.EnvoieRequete("2130", "", 8, 500);
    EXPECT_EQ(answer, "84F11061300C1E10");
    // Last request byte leaves at 36 ms, the ECU waits P2, then 8 bytes follow.
    const auto expected = 36ms + kByte10400 + 25ms + 8 * kByte10400;
    EXPECT_EQ(clock.now() - t0, expected) << msSince(t0) << " ms";
    EXPECT_FALSE(link.Timer1().enabled());
    EXPECT_EQ(link.Shape1(), kShape1Green);
}

TEST_F(ExchangeTest, SilentEcuMakesTheWaitLastTheTimeOutAndGivesWhatCame) {
    ecu.answers["8210F12130D4"] = "84F110";  // only three bytes ever come
    const auto t0 = clock.now();
    const auto answer = link.EnvoieRequete("2130", "", 8, 500);
    EXPECT_EQ(answer, "84F110");
    EXPECT_EQ(clock.now() - t0, 36ms + 500ms);
    EXPECT_EQ(link.TimeOutReponse, 1);
    EXPECT_EQ(link.Shape1(), kShape1Green);

    ecu.answers.clear();
    EXPECT_EQ(link.EnvoieRequete("2130", "", 8, 300), "");
    EXPECT_EQ(link.Shape1(), kShape1Red);
}

TEST_F(ExchangeTest, AnswerLongerThanAskedIsCut) {
    EXPECT_EQ(link.EnvoieRequete("2130", "", 5, 500), "84F1106130");
}

TEST_F(ExchangeTest, EchoIsDroppedByPositionNotByContent) {
    // A noise byte lands before the echo: the answer shifts by one byte, since
    // the engine only skips as many bytes as it sent.
    cable.sendFromPeer(clock.now() + 1ms, 0x55, 10400);
    EXPECT_EQ(link.EnvoieRequete("2130", "", 8, 500), "D484F11061300C1E");
}

TEST_F(ExchangeTest, BytesLeftOnTheLineBeforeTheRequestAreFlushed) {
    cable.sendFromPeer(clock.now(), 0xAA, 10400);
    clock.advance(10ms);
    EXPECT_EQ(link.EnvoieRequete("2130", "", 8, 500), "84F11061300C1E10");
}

TEST_F(ExchangeTest, ListenOnlyRequestSendsNothingAndReturnsWhatComes) {
    link.TypeECU = proto::Model::RC15;
    cable.sendFromPeer(clock.now() + 50ms, 0x0B, 10400);
    cable.sendFromPeer(clock.now() + 50ms, 0x42, 10400);
    const auto t0 = clock.now();
    EXPECT_EQ(link.EnvoieRequete("00", "", 2, 1000), "0B42");
    EXPECT_TRUE(cable.writes().empty());
    EXPECT_EQ(clock.now() - t0, 50ms + 2 * kByte10400);
}

TEST_F(ExchangeTest, OneByteModelsSendTheCommandUnframed) {
    link.TypeECU = proto::Model::RC15;
    ecu.answers["0A"] = "8C";
    EXPECT_EQ(link.EnvoieRequete("0A", "", 1, 100), "8C");
    EXPECT_EQ(writtenHex(), "0A");
}

TEST_F(ExchangeTest, CallDuringAnotherExchangeIsRefusedAtOnce) {
    std::string nested = "not called";
    std::size_t writesBefore = 0;
    base::Timer during(loop, [&] {
        writesBefore = cable.writes().size();
        nested = link.EnvoieRequete("81", "demo", 7, 1000);
        EXPECT_EQ(cable.writes().size(), writesBefore);
    });
    during.setInterval(40ms);
    during.setEnabled(true);
    const auto answer = link.EnvoieRequete("2130", "", 8, 500);
    during.setEnabled(false);
    EXPECT_EQ(nested, "");
    EXPECT_EQ(answer, "84F11061300C1E10");
    EXPECT_EQ(writtenHex(), "8210F12130D4");
    EXPECT_FALSE(link.DialogueActif());
    // The refused call left the next one free to run.
    EXPECT_EQ(link.EnvoieRequete("81", "", 7, 500), "83F110C1EF8FC3");
}

TEST_F(ExchangeTest, KeepAliveTimerRestartsWithEveryExchangeButIsNeverStarted) {
    int ticks = 0;
    link.Timer_present().setOnTick([&] { ++ticks; });
    link.Timer_present().setInterval(2500ms);
    link.EnvoieRequete("2130", "", 8, 500);
    EXPECT_FALSE(link.Timer_present().enabled());

    link.Timer_present().setEnabled(true);
    loop.runFor(2000ms);
    link.EnvoieRequete("2130", "", 8, 500);  // restarts the 2500 ms after the request is sent
    loop.runFor(2400ms);
    EXPECT_EQ(ticks, 0);
    loop.runFor(200ms);
    EXPECT_EQ(ticks, 1);
}

TEST_F(ExchangeTest, DemonstrationModeReturnsTheCannedAnswerAfterAPause) {
    link.ModeDemo = true;
    link.TraceActive = true;
    cable.sendFromPeer(clock.now(), 0x11, 10400);
    const auto t0 = clock.now();
    EXPECT_EQ(link.EnvoieRequete("2130", "F1107F2112 not hex!", 8, 500), "F1107F2112 not hex!");
    EXPECT_EQ(clock.now() - t0, 150ms);
    EXPECT_TRUE(cable.writes().empty());
    EXPECT_EQ(link.Shape1(), kShape1Green);
    EXPECT_EQ(trace.lines(), (std::vector<std::string>{"E: 8210F12130D4", "R: F1107F2112 not hex!",
                                                         "Log reponse : 19Lg prog : 8"}));

    EXPECT_EQ(link.EnvoieRequete("2130", "", 8, 500), "");
    EXPECT_EQ(link.Shape1(), kShape1Red);
}

TEST_F(ExchangeTest, StartCommunicationAddsABlankTraceLine) {
    link.TraceActive = true;
    link.EnvoieRequete("81", "", 7, 500);
    EXPECT_EQ(trace.lines(), (std::vector<std::string>{"E: 8110F18103", "R: 83F110C1EF8FC3", " "}));
}

TEST_F(ExchangeTest, ShortAnswerIsTracedWithItsLength) {
    link.TraceActive = true;
    ecu.answers["8210F12130D4"] = "84F110";
    link.EnvoieRequete("2130", "", 8, 500);
    EXPECT_EQ(trace.lines(), (std::vector<std::string>{"E: 8210F12130D4", "R: 84F110", "Long reponse : 6"}));
}

TEST_F(ExchangeTest, NegativeAnswerIsDecodedIntoTheTrace) {
    ecu.answers["8210F12130D4"] = "83F1107F2112" + proto::CalculChecksum("83F1107F2112") + "0000";
    const std::string nack = "83F1107F2112" + proto::CalculChecksum("83F1107F2112");
    EXPECT_EQ(link.EnvoieRequete("2130", "", 8, 500), nack + "00");
    EXPECT_EQ(trace.lines(), (std::vector<std::string>{"Nack : 21 - 12 subfunction not supported"}));
}

TEST_F(ExchangeTest, TesterAddressSwitchChangesFrameAndNackSearch) {
    link.EnteteRequete = "1001";
    link.EnteteReponse = "0110";
    ecu.answers["81100181" + proto::CalculChecksum("81100181")] = "8301107F8122" + proto::CalculChecksum("8301107F8122");
    EXPECT_EQ(link.EnvoieRequete("81", "", 7, 500).substr(0, 12), "8301107F8122");
    EXPECT_EQ(writtenHex(), "8110018113");
    // Only the default addresses make "F181", the StartCommunication mark.
    EXPECT_EQ(trace.lines(), (std::vector<std::string>{"Nack : 81 - 22 condition not correct"}));
}

TEST_F(ExchangeTest, UnpluggedOrMissingCableGivesEmptyAnswersAfterTheTimeOut) {
    cable.setUnplugged(true);
    auto t0 = clock.now();
    EXPECT_EQ(link.EnvoieRequete("2130", "", 8, 300), "");
    EXPECT_EQ(clock.now() - t0, 36ms + 300ms);

    link.setCable(nullptr);
    t0 = clock.now();
    EXPECT_EQ(link.EnvoieRequete("2130", "", 8, 300), "");
    EXPECT_EQ(clock.now() - t0, 36ms + 300ms);
}

TEST_F(ExchangeTest, MalformedRequestsAndAnswersNeverBreakTheEngine) {
    const char* requests[] = {"", "0", "ZZ", "21 30", "2130F", "\xff\xfe", "00", "7F7F7F7F7F7F7F7F7F7F"};
    const std::int16_t lengths[] = {-5, 0, 1, 8, 300};
    ecu.answers["8110F18103"] = "F1107F";  // a negative marker with nothing after it
    for (const char* request : requests) {
        for (const std::int16_t length : lengths) {
            const auto answer = link.EnvoieRequete(request, "", length, 100);
            EXPECT_LE(answer.size(), 2 * static_cast<std::size_t>(std::max<int>(length, 0))) << request;
            EXPECT_FALSE(link.DialogueActif());
        }
    }
    EXPECT_EQ(link.EnvoieRequete("81", "", 3, 100), "F1107F");
    EXPECT_EQ(trace.lines().back(), "Nack :  -  error unknows");
}

TEST(Attente, WaitsExactlyOnTheClockAndIgnoresNonPositiveTimes) {
    base::VirtualClock clock;
    base::EventLoop loop{clock};
    Trace trace{clock};
    Link link{loop, trace};
    const struct { double seconds; Clock::Duration waited; } cases[] = {
        {0.006, 6ms}, {0.025, 25ms}, {0.2, 200ms}, {0.0001, 100us}, {0.0, 0ms}, {-1.0, 0ms}};
    for (const auto& c : cases) {
        const auto t0 = clock.now();
        link.Attente(c.seconds);
        EXPECT_EQ(clock.now() - t0, c.waited) << c.seconds;
    }
}

}  // namespace
}  // namespace dravio::link
