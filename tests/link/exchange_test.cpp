#include <gtest/gtest.h>

#include "link/line_bench.h"
#include "scripted_ecu.h"

namespace dravio::link {
namespace {

using namespace std::chrono_literals;
using base::Clock;

constexpr auto kByte = std::chrono::nanoseconds(961538);  // 10 bits at 10400 baud

// A 59M-like line at 10400 baud with a scripted ECU.
struct Line : testing::LineBench {
    Line() {
        cable.setPeer(&scripted);
        cable.setBaudRate(10400);
        trace.openFile("/dev/null");  // without a file every timed line is doubled with a warning
        scripted.answers["8210F12130D4"] = "84F11061300C1E40";  // engine speed, 8 bytes
        scripted.answers["8110F18103"] = "83F110C1EF8FC3";
    }
    // One exchange; `took` is how long it kept the caller.
    std::string ask(const char* request, std::int16_t length, std::int16_t timeout) {
        const auto t0 = clock.now();
        auto answer = link.EnvoieRequete(request, "", length, timeout);
        took = clock.now() - t0;
        EXPECT_FALSE(link.Timer1().enabled());
        EXPECT_FALSE(link.DialogueActif());
        return answer;
    }

    testing::ScriptedEcu scripted;
    Clock::Duration took{};
};

TEST(Exchange, BytesLeaveSixMillisecondsApartFirstOneIncluded) {
    Line l;
    const auto t0 = l.clock.now();
    l.ask("2130", 8, 500);
    std::vector<double> times;
    for (const auto& e : l.cable.writes()) times.push_back(base::millisecondsSince(t0, e.t));
    EXPECT_EQ(times, (std::vector<double>{6, 12, 18, 24, 30, 36}));
    EXPECT_EQ(l.written(), "8210F12130D4");
}

TEST(Exchange, AnswersAndTheirWaitsOnTheVirtualClock) {
    Line full, cut, partial, noise, stale, listen, oneByte, unplugged;
    // The last request byte leaves at 36 ms and echoes back, the ECU waits P2, then 8 bytes follow.
    EXPECT_EQ(full.ask("2130", 8, 500), "84F11061300C1E40");
    EXPECT_EQ(full.took, 36ms + kByte + 25ms + 8 * kByte);
    EXPECT_EQ(full.link.Shape1(), kShape1Green);
    EXPECT_EQ(cut.ask("2130", 5, 500), "84F1106130");
    EXPECT_EQ(cut.took, 36ms + kByte + 25ms + 5 * kByte);
    partial.scripted.answers["8210F12130D4"] = "84F110";  // the rest never comes
    EXPECT_EQ(partial.ask("2130", 8, 500), "") << "a frame cut short is no answer";
    EXPECT_EQ(partial.took, 36ms + 500ms);
    EXPECT_EQ(partial.link.TimeOutReponse, 1);
    partial.scripted.answers.clear();
    EXPECT_EQ(partial.ask("2130", 8, 300), "");
    EXPECT_EQ(partial.link.Shape1(), kShape1Red);
    // A noise byte lands before the echo: the echo is dropped by position, so the
    // answer shifts and no longer reads as a frame for the tester.
    noise.cable.sendFromPeer(noise.clock.now() + 1ms, 0x55, 10400);
    EXPECT_EQ(noise.ask("2130", 8, 500), "");
    stale.cable.sendFromPeer(stale.clock.now(), 0xAA, 10400);
    stale.clock.advance(10ms);
    EXPECT_EQ(stale.ask("2130", 8, 500), "84F11061300C1E40");  // flushed before the request
    listen.link.TypeECU = proto::Model::RC15;
    listen.cable.sendFromPeer(listen.clock.now() + 50ms, 0x0B, 10400);
    listen.cable.sendFromPeer(listen.clock.now() + 50ms, 0x42, 10400);
    EXPECT_EQ(listen.ask("00", 2, 1000), "0B42");
    EXPECT_EQ(listen.took, 50ms + 2 * kByte);
    EXPECT_EQ(listen.written(), "");
    oneByte.link.TypeECU = proto::Model::RC15;
    oneByte.scripted.answers["0A"] = "8C";
    EXPECT_EQ(oneByte.ask("0A", 1, 100), "8C");
    EXPECT_EQ(oneByte.written(), "0A");  // unframed
    unplugged.cable.setUnplugged(true);
    EXPECT_EQ(unplugged.ask("2130", 8, 300), "");
    EXPECT_EQ(unplugged.took, 36ms + 300ms);
    unplugged.link.setCable(nullptr);
    EXPECT_EQ(unplugged.ask("2130", 8, 300), "");
    EXPECT_EQ(unplugged.took, 36ms + 300ms);
}

TEST(Exchange, TraceLinesOfAnExchange) {
    Line start, shortAnswer, nack, otherTester;
    start.link.TraceActive = shortAnswer.link.TraceActive = true;
    start.ask("81", 7, 500);
    EXPECT_EQ(start.trace.lines(), (std::vector<std::string>{"E: 8110F18103", "R: 83F110C1EF8FC3", " "}));
    shortAnswer.scripted.answers["8210F12130D4"] = "84F110";
    shortAnswer.ask("2130", 8, 500);
    EXPECT_EQ(shortAnswer.trace.lines(),
              (std::vector<std::string>{"E: 8210F12130D4", "Réponse rejetée (longueur annoncée / reçue : 8 / 3) : 84F110",
                                        "R: ", "Long reponse : 0"}));
    nack.scripted.answers["8210F12130D4"] = "83F1107F2112360000";
    EXPECT_EQ(nack.ask("2130", 8, 500), "83F1107F21123600");
    EXPECT_EQ(nack.trace.lines(), (std::vector<std::string>{"Nack : 21 - 12 subfunction not supported"}));
    otherTester.link.EnteteRequete = "1001";
    otherTester.link.EnteteReponse = "0110";
    otherTester.scripted.answers["8110018113"] = "8301107F8122" + proto::CalculChecksum("8301107F8122");
    EXPECT_EQ(otherTester.ask("81", 6, 500), "8301107F8122");
    EXPECT_EQ(otherTester.written(), "8110018113");
    // Only the default addresses make "F181", the StartCommunication mark.
    EXPECT_EQ(otherTester.trace.lines(), (std::vector<std::string>{"Nack : 81 - 22 condition not correct"}));
}

TEST(Exchange, CallDuringAnotherExchangeIsRefusedAtOnce) {
    Line l;
    std::string nested = "not called";
    base::Timer during(l.loop, [&] {
        const auto writes = l.cable.writes().size();
        nested = l.link.EnvoieRequete("81", "demo", 7, 1000);
        EXPECT_EQ(l.cable.writes().size(), writes);
    });
    during.setInterval(40ms);
    during.setEnabled(true);
    EXPECT_EQ(l.ask("2130", 8, 500), "84F11061300C1E40");
    during.setEnabled(false);
    EXPECT_EQ(nested, "");
    EXPECT_EQ(l.written(), "8210F12130D4");
    // The refused call left the next one free to run.
    EXPECT_EQ(l.ask("81", 7, 500), "83F110C1EF8FC3");
}

TEST(Exchange, KeepAliveTimerRestartsWithEveryExchangeButIsNeverStarted) {
    Line l;
    int ticks = 0;
    l.link.Timer_present().setOnTick([&] { ++ticks; });
    l.link.Timer_present().setInterval(2500ms);
    l.ask("2130", 8, 500);
    EXPECT_FALSE(l.link.Timer_present().enabled());
    l.link.Timer_present().setEnabled(true);
    l.loop.runFor(2000ms);
    l.ask("2130", 8, 500);  // restarts the 2500 ms after the request is sent
    l.loop.runFor(2400ms);
    EXPECT_EQ(ticks, 0);
    l.loop.runFor(200ms);
    EXPECT_EQ(ticks, 1);
}

TEST(Exchange, DemonstrationModeReturnsTheCannedAnswerAfterAPause) {
    Line l;
    l.link.ModeDemo = l.link.TraceActive = true;
    const auto t0 = l.clock.now();
    EXPECT_EQ(l.link.EnvoieRequete("2130", "F1107F2112 not hex!", 8, 500), "F1107F2112 not hex!");
    EXPECT_EQ(l.clock.now() - t0, 150ms);
    EXPECT_EQ(l.written(), "");
    EXPECT_EQ(l.link.Shape1(), kShape1Green);
    EXPECT_EQ(l.trace.lines(),
              (std::vector<std::string>{"E: 8210F12130D4", "R: F1107F2112 not hex!", "Log reponse : 19Lg prog : 8"}));
    EXPECT_EQ(l.ask("2130", 8, 500), "");
    EXPECT_EQ(l.link.Shape1(), kShape1Red);
}

TEST(Exchange, MalformedRequestsAndAnswersGiveAtMostTwiceTheLength) {
    Line l;
    l.scripted.answers["8110F18103"] = "F1107F";  // a negative marker with nothing after it
    for (const char* request : {"", "0", "ZZ", "21 30", "2130F", "\xff\xfe", "00", "7F7F7F7F7F7F7F7F7F7F"}) {
        for (const std::int16_t length : {-5, 0, 1, 8, 300})
            EXPECT_LE(l.ask(request, length, 100).size(), 2u * std::max<int>(length, 0)) << request;
    }
    EXPECT_EQ(l.ask("81", 3, 100), "") << "not a frame";
    EXPECT_EQ(l.trace.lines().back(), "Nack :  -  error unknows");
}

}  // namespace
}  // namespace dravio::link
