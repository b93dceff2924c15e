// The bench responder: echo and answers with their times, the wake-up rules of
// a pseudo-terminal, the sniff log, and the serving loop on a real pty.
#include "sim/responder.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <sstream>
#include <thread>

#include "base/hex.h"
#include "sim/pty.h"

namespace dravio::sim {
namespace {

using namespace std::chrono_literals;
using base::Clock;

using Bytes = std::vector<std::uint8_t>;

struct Core {
    explicit Core(bool lenient, bool echo = true, bool elm = false) {
        ecu = makeSimulatedEcu("59m", lenient, false, Clock::TimePoint{});
        auto stream = std::make_unique<std::ostringstream>();
        text = stream.get();
        log = std::make_unique<SniffLog>(std::move(stream), Clock::TimePoint{});
        ResponderOptions options;
        options.echo = echo;
        options.lenient = lenient;
        options.elm = elm;
        responder = std::make_unique<Responder>(ecu, options, log.get());
    }
    // Everything written by `until`, with the time of each write.
    std::vector<std::pair<Clock::TimePoint, Bytes>> run(Clock::TimePoint from, Clock::TimePoint until) {
        std::vector<std::pair<Clock::TimePoint, Bytes>> out;
        auto now = from;
        while (now <= until) {
            auto due = responder->takeDue(now);
            if (!due.empty()) out.emplace_back(now, due);
            const auto next = responder->nextDue();
            if (next == Clock::TimePoint::max() || next > until) break;
            now = std::max(next, now);
        }
        return out;
    }
    static Bytes all(const std::vector<std::pair<Clock::TimePoint, Bytes>>& writes) {
        Bytes b;
        for (const auto& w : writes) b.insert(b.end(), w.second.begin(), w.second.end());
        return b;
    }

    SimulatedEcu ecu;
    std::ostringstream* text = nullptr;
    std::unique_ptr<SniffLog> log;
    std::unique_ptr<Responder> responder;
};

Clock::TimePoint at(std::chrono::milliseconds ms) { return Clock::TimePoint{} + ms; }

TEST(Responder, EchoesAtOnceAndAnswersAfterP2) {
    Core core(true);
    const Bytes startCom = base::fromHex("8110F18103");
    const auto t = at(1000ms);
    core.responder->testerBytes(t, startCom, 10400);
    const auto writes = core.run(t, t + 1s);
    ASSERT_FALSE(writes.empty());
    EXPECT_EQ(writes.front().first, t);
    EXPECT_EQ(writes.front().second, startCom);  // the echo, in the same instant
    EXPECT_EQ(base::toHex(Core::all(writes)), "8110F1810383F110C1EF8FC3");
    // The first answer byte is written once fully sent, P2 (25 ms) after the request.
    ASSERT_GE(writes.size(), 2u);
    const auto firstAnswer = writes[1].first - t;
    EXPECT_GE(firstAnswer, 25ms);
    EXPECT_LE(firstAnswer, 27ms);
}

TEST(Responder, WakeUpRulesOnAPseudoTerminal) {
    const Bytes startCom = base::fromHex("8110F18103");
    const struct {
        const char* name;
        bool lenient;
        std::vector<std::pair<std::chrono::milliseconds, Bytes>> sent;
        bool answered;
    } cases[] = {
        {"lenient, no wake-up", true, {{1000ms, startCom}}, true},
        {"strict, no wake-up", false, {{1000ms, startCom}}, false},
        {"strict, lone F0 after silence", false, {{1000ms, {0xF0}}, {1050ms, startCom}}, true},
        {"strict, F0 too soon after a byte", false, {{1000ms, {0x00}}, {1100ms, {0xF0}}, {1150ms, startCom}}, false},
        {"strict, F0 with other bytes", false, {{1000ms, {0xF0, 0x00}}, {1050ms, startCom}}, false},
    };
    for (const auto& c : cases) {
        Core core(c.lenient, false);
        Bytes out;
        for (const auto& [when, bytes] : c.sent) {
            core.responder->testerBytes(at(when), bytes, 10400);
            out = Core::all(core.run(at(when), at(when) + 40ms));
        }
        EXPECT_EQ(base::toHex(out), c.answered ? "83F110C1EF8FC3" : "") << c.name;
    }
}

TEST(Responder, WithoutEchoOnlyTheEcuSpeaks) {
    Core core(true, false);
    core.responder->testerBytes(at(500ms), base::fromHex("8110F18103"), 0);
    EXPECT_EQ(base::toHex(Core::all(core.run(at(500ms), at(700ms)))), "83F110C1EF8FC3");
}

TEST(Responder, AsAnAdapterItSpeaksTextWithoutEcho) {
    Core core(true, true, true);
    core.responder->testerBytes(at(100ms), Bytes{'A', 'T', 'E', '0', '\r'}, 0);
    core.run(at(100ms), at(200ms));
    core.responder->testerBytes(at(300ms), Bytes{'A', 'T', 'I', '\r'}, 0);
    const auto out = Core::all(core.run(at(300ms), at(400ms)));
    EXPECT_EQ(std::string(out.begin(), out.end()), "ELM327 v2.1\r\r>");
}

TEST(Responder, SniffLogHasOneLinePerBurstBothWays) {
    Core core(true);
    core.responder->testerBytes(at(1234ms), base::fromHex("8110F18103"), 10400);
    const auto writes = core.run(at(1234ms), at(2000ms));
    std::istringstream lines(core.text->str());
    std::string line;
    std::vector<std::string> all;
    while (std::getline(lines, line)) all.push_back(line);
    ASSERT_FALSE(all.empty());
    EXPECT_EQ(all.front(), "1.2340 T> 81 10 F1 81 03");
    // The echo is not the ECU speaking; every answer byte is logged once, in order.
    std::string ecuBytes;
    for (std::size_t i = 1; i < all.size(); ++i) {
        ASSERT_EQ(all[i].find(" <E "), 6u) << all[i];
        ecuBytes += all[i].substr(10) + " ";
    }
    EXPECT_EQ(ecuBytes, "83 F1 10 C1 EF 8F C3 ");
}

TEST(SniffLog, LineFormat) {
    const struct {
        double seconds;
        SniffLog::Direction direction;
        Bytes bytes;
        const char* line;
    } cases[] = {
        {0.0, SniffLog::Direction::TesterToEcu, {0x81}, "0.0000 T> 81"},
        {12.34567, SniffLog::Direction::EcuToTester, {0x83, 0xF1, 0x0A}, "12.3457 <E 83 F1 0A"},
        {-0.5, SniffLog::Direction::TesterToEcu, {0x00}, "0.0000 T> 00"},
    };
    for (const auto& c : cases) EXPECT_EQ(SniffLog::line(c.seconds, c.direction, c.bytes), c.line);
}

TEST(SniffLog, AnUnwritablePathIsExplained) {
    std::string error;
    EXPECT_EQ(SniffLog::open("/nonexistent-dir/sniff.log", Clock::TimePoint{}, error), nullptr);
    EXPECT_NE(error.find("/nonexistent-dir/sniff.log"), std::string::npos) << error;
}

TEST(Responder, ModelNames) {
    for (const auto name : kResponderModels) {
        const auto ecu = makeSimulatedEcu(name, true, false, Clock::TimePoint{});
        EXPECT_NE(ecu.device, nullptr) << name;
        EXPECT_EQ(ecu.session != nullptr, name == "59m" || name == "5am" || name == "obd") << name;
        EXPECT_EQ(ecu.baud, ecu.session ? 10400u : 7812u) << name;
    }
    EXPECT_EQ(makeSimulatedEcu("m59", true, false, Clock::TimePoint{}).device, nullptr);
}

// The serving loop on a real pseudo-terminal and the real clock.
TEST(Responder, ServesAPseudoTerminalUntilStandardInputCloses) {
    Pty pty;
    std::string error;
    ASSERT_TRUE(pty.create(error)) << error;
    int stop[2];
    ASSERT_EQ(::pipe(stop), 0);
    base::RealClock clock;
    auto ecu = makeSimulatedEcu("59m", true, false, clock.now());
    Responder responder(ecu, ResponderOptions{}, nullptr);
    int status = -1;
    std::thread server([&] { status = serve(pty.masterFd(), stop[0], responder, clock, &ttyBaud, error); });

    const int tester = ::open(pty.slavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(tester, 0);
    const Bytes startCom = base::fromHex("8110F18103");
    ASSERT_EQ(::write(tester, startCom.data(), startCom.size()), static_cast<ssize_t>(startCom.size()));
    Bytes got;
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (got.size() < 12 && std::chrono::steady_clock::now() < deadline) {
        pollfd p{tester, POLLIN, 0};
        if (::poll(&p, 1, 100) <= 0) continue;
        std::uint8_t chunk[64];
        const ssize_t n = ::read(tester, chunk, sizeof chunk);
        if (n > 0) got.insert(got.end(), chunk, chunk + n);
    }
    EXPECT_EQ(base::toHex(got), "8110F1810383F110C1EF8FC3");

    ::close(stop[1]);
    server.join();
    EXPECT_EQ(status, 0) << error;
    ::close(stop[0]);
    ::close(tester);
}

}  // namespace
}  // namespace dravio::sim
