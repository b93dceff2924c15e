// The bench responder: echo, answers and sniff log with their times, pty wake-up rules, the serving loop.
#include "sim/responder.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <sstream>
#include <thread>

#include "kline_driver.h"
#include "sim/pty.h"

namespace dravio::sim::testing {
namespace {

const Bytes kStartCom = request({0x81});  // 81 10 F1 81 03

Clock::TimePoint at(std::chrono::milliseconds ms) { return Clock::TimePoint{} + ms; }
using Writes = std::vector<std::pair<Clock::TimePoint, Bytes>>;

struct Bench {
    explicit Bench(bool lenient, bool echo = true, bool elm = false)
        : ecu(makeSimulatedEcu("59m", lenient, false, Clock::TimePoint{})) {
        auto stream = std::make_unique<std::ostringstream>();
        text = stream.get();
        log = std::make_unique<SniffLog>(std::move(stream), Clock::TimePoint{});
        responder =
            std::make_unique<Responder>(ecu, ResponderOptions{.echo = echo, .lenient = lenient, .elm = elm}, log.get());
    }
    // Sends at `t`; returns every write up to 1 s later with its time.
    Writes send(Clock::TimePoint t, const Bytes& b, std::uint32_t baud = 10400) {
        responder->testerBytes(t, b, baud);
        Writes out;
        for (auto now = t; now <= t + 1s; now = std::max(responder->nextDue(), now)) {
            if (auto due = responder->takeDue(now); !due.empty()) out.emplace_back(now, due);
            if (responder->nextDue() == Clock::TimePoint::max()) break;
        }
        return out;
    }
    static Bytes all(const Writes& writes) {
        Bytes b;
        for (const auto& w : writes) b.insert(b.end(), w.second.begin(), w.second.end());
        return b;
    }

    SimulatedEcu ecu;
    std::ostringstream* text = nullptr;
    std::unique_ptr<SniffLog> log;
    std::unique_ptr<Responder> responder;
};

TEST(Responder, EchoesAtOnceAnswersAfterP2LogsEachBurstAndKeepsThePseudoTerminalWakeUpRules) {
    Bench bench(true);
    const auto writes = bench.send(at(1234ms), kStartCom);
    ASSERT_GE(writes.size(), 2u);
    EXPECT_EQ(writes[0].first, at(1234ms));
    EXPECT_BYTES(writes[0].second, kStartCom) << "the echo, in the same instant";
    EXPECT_BYTES(Bench::all(writes), "81 10 F1 81 03 83 F1 10 C1 EF 8F C3");
    // The first answer byte is written once fully sent, P2 (25 ms) after the request.
    EXPECT_EQ(writes[1].first - at(1234ms), 25ms + KLineDriver::byteTime());
    // One log line for the tester's burst, one per ECU byte as it ends; the echo is not the ECU speaking.
    EXPECT_EQ(bench.text->str(),
              "1.2340 T> 81 10 F1 81 03\n1.2600 <E 83\n1.2609 <E F1\n1.2619 <E 10\n1.2628 <E C1\n1.2638 <E EF\n"
              "1.2648 <E 8F\n1.2657 <E C3\n");
    const std::tuple<const char*, bool, std::vector<std::pair<std::chrono::milliseconds, Bytes>>, bool> cases[] = {
        {"lenient, no wake-up", true, {{1000ms, kStartCom}}, true},
        {"strict, no wake-up", false, {{1000ms, kStartCom}}, false},
        {"strict, lone F0 after silence", false, {{1000ms, {0xF0}}, {1050ms, kStartCom}}, true},
        {"strict, F0 too soon after a byte", false, {{1000ms, {0x00}}, {1100ms, {0xF0}}, {1150ms, kStartCom}}, false},
        {"strict, F0 with other bytes", false, {{1000ms, {0xF0, 0x00}}, {1050ms, kStartCom}}, false},
    };
    for (const auto& [name, lenient, sent, answered] : cases) {
        Bench bench(lenient, false);
        Bytes out;
        for (const auto& [when, bytes] : sent) out = Bench::all(bench.send(at(when), bytes));
        EXPECT_BYTES(out, answered ? "83 F1 10 C1 EF 8F C3" : "") << name;
    }
    Bench adapter(true, true, true);
    adapter.send(at(100ms), Bytes{'A', 'T', 'E', '0', '\r'}, 0);
    const auto text = Bench::all(adapter.send(at(1300ms), Bytes{'A', 'T', 'I', '\r'}, 0));
    EXPECT_EQ(std::string(text.begin(), text.end()), "ELM327 v2.1\r\r>") << "an adapter speaks text, without echo";
}

// The serving loop on a real pseudo-terminal and the real clock; a sniff log that cannot be opened.
TEST(Responder, ServesAPseudoTerminalUntilStandardInputCloses) {
    std::string error;
    EXPECT_EQ(SniffLog::open("/nonexistent-dir/sniff.log", Clock::TimePoint{}, error), nullptr);
    EXPECT_NE(error.find("/nonexistent-dir/sniff.log"), std::string::npos) << error;
    Pty pty;
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
    Bytes got(64);
    std::size_t n = 0;
    for (pollfd p{tester, POLLIN, 0}; n < 12 && ::poll(&p, 1, 5000) > 0;)
        n += static_cast<std::size_t>(std::max<ssize_t>(0, ::read(tester, got.data() + n, got.size() - n)));
    got.resize(n);
    EXPECT_BYTES(got, "81 10 F1 81 03 83 F1 10 C1 EF 8F C3");
    ::close(stop[1]);
    server.join();
    EXPECT_EQ(status, 0) << error;
    for (const int fd : {stop[0], tester}) ::close(fd);
}

}  // namespace
}  // namespace dravio::sim::testing
