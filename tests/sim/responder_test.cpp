// The bench responder: echo and answers with their times, the wake-up rules of
// a pseudo-terminal, the sniff log, and the serving loop on a real pty.
#include "sim/responder.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <sstream>
#include <thread>

#include "kline_driver.h"
#include "sim/pty.h"

namespace dravio::sim {
namespace {

using namespace testing;

const Bytes kStartCom = request({0x81});  // 81 10 F1 81 03

Clock::TimePoint at(std::chrono::milliseconds ms) { return Clock::TimePoint{} + ms; }

struct Bench {
    explicit Bench(bool lenient, bool echo = true, bool elm = false)
        : ecu(makeSimulatedEcu("59m", lenient, false, Clock::TimePoint{})) {
        auto stream = std::make_unique<std::ostringstream>();
        text = stream.get();
        log = std::make_unique<SniffLog>(std::move(stream), Clock::TimePoint{});
        ResponderOptions options;
        options.echo = echo;
        options.lenient = lenient;
        options.elm = elm;
        responder = std::make_unique<Responder>(ecu, options, log.get());
    }
    // Sends at `t`; returns every write up to 1 s later with its time.
    std::vector<std::pair<Clock::TimePoint, Bytes>> send(Clock::TimePoint t, const Bytes& b,
                                                         std::uint32_t baud = 10400) {
        responder->testerBytes(t, b, baud);
        std::vector<std::pair<Clock::TimePoint, Bytes>> out;
        for (auto now = t; now <= t + 1s; now = std::max(responder->nextDue(), now)) {
            if (auto due = responder->takeDue(now); !due.empty()) out.emplace_back(now, due);
            if (responder->nextDue() == Clock::TimePoint::max()) break;
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

TEST(Responder, EchoesAtOnceAndAnswersAfterP2AndLogsEachBurst) {
    Bench bench(true);
    const auto writes = bench.send(at(1234ms), kStartCom);
    ASSERT_GE(writes.size(), 2u);
    EXPECT_EQ(writes[0].first, at(1234ms));
    EXPECT_BYTES(writes[0].second, kStartCom) << "the echo, in the same instant";
    EXPECT_BYTES(Bench::all(writes), "81 10 F1 81 03 83 F1 10 C1 EF 8F C3");
    // The first answer byte is written once fully sent, P2 (25 ms) after the request.
    EXPECT_EQ(writes[1].first - at(1234ms), 25ms + KLineDriver::byteTime());
    // One log line for the tester's burst; the echo is not the ECU speaking.
    std::istringstream lines(bench.text->str());
    std::string line, ecuBytes;
    ASSERT_TRUE(std::getline(lines, line));
    EXPECT_EQ(line, "1.2340 T> 81 10 F1 81 03");
    while (std::getline(lines, line)) {
        ASSERT_EQ(line.find(" <E "), 6u) << line;
        ecuBytes += line.substr(10) + " ";
    }
    EXPECT_EQ(ecuBytes, "83 F1 10 C1 EF 8F C3 ");
}

TEST(Responder, WakeUpRulesOnAPseudoTerminal) {
    const struct {
        const char* name;
        bool lenient;
        std::vector<std::pair<std::chrono::milliseconds, Bytes>> sent;
        bool answered;
    } cases[] = {
        {"lenient, no wake-up", true, {{1000ms, kStartCom}}, true},
        {"strict, no wake-up", false, {{1000ms, kStartCom}}, false},
        {"strict, lone F0 after silence", false, {{1000ms, {0xF0}}, {1050ms, kStartCom}}, true},
        {"strict, F0 too soon after a byte", false, {{1000ms, {0x00}}, {1100ms, {0xF0}}, {1150ms, kStartCom}}, false},
        {"strict, F0 with other bytes", false, {{1000ms, {0xF0, 0x00}}, {1050ms, kStartCom}}, false},
    };
    for (const auto& c : cases) {
        Bench bench(c.lenient, false);
        Bytes out;
        for (const auto& [when, bytes] : c.sent) out = Bench::all(bench.send(at(when), bytes));
        EXPECT_BYTES(out, c.answered ? "83 F1 10 C1 EF 8F C3" : "") << c.name;
    }
    Bench adapter(true, true, true);
    adapter.send(at(100ms), Bytes{'A', 'T', 'E', '0', '\r'}, 0);
    const auto text = Bench::all(adapter.send(at(1300ms), Bytes{'A', 'T', 'I', '\r'}, 0));
    EXPECT_EQ(std::string(text.begin(), text.end()), "ELM327 v2.1\r\r>") << "an adapter speaks text, without echo";
}

TEST(Responder, SniffLogLinesAndModelNames) {
    EXPECT_EQ(SniffLog::line(0.0, SniffLog::Direction::TesterToEcu, {0x81}), "0.0000 T> 81");
    EXPECT_EQ(SniffLog::line(12.34567, SniffLog::Direction::EcuToTester, {0x83, 0xF1, 0x0A}), "12.3457 <E 83 F1 0A");
    EXPECT_EQ(SniffLog::line(-0.5, SniffLog::Direction::TesterToEcu, {0x00}), "0.0000 T> 00");
    std::string error;
    EXPECT_EQ(SniffLog::open("/nonexistent-dir/sniff.log", Clock::TimePoint{}, error), nullptr);
    EXPECT_NE(error.find("/nonexistent-dir/sniff.log"), std::string::npos) << error;
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
    ASSERT_EQ(::write(tester, kStartCom.data(), kStartCom.size()), static_cast<ssize_t>(kStartCom.size()));
    Bytes got;
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (got.size() < 12 && std::chrono::steady_clock::now() < deadline) {
        pollfd p{tester, POLLIN, 0};
        if (::poll(&p, 1, 100) <= 0) continue;
        std::uint8_t chunk[64];
        const ssize_t n = ::read(tester, chunk, sizeof chunk);
        if (n > 0) got.insert(got.end(), chunk, chunk + n);
    }
    EXPECT_BYTES(got, "81 10 F1 81 03 83 F1 10 C1 EF 8F C3");
    ::close(stop[1]);
    server.join();
    EXPECT_EQ(status, 0) << error;
    ::close(stop[0]);
    ::close(tester);
}

}  // namespace
}  // namespace dravio::sim
