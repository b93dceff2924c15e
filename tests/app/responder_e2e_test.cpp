// End to end: the real tty backends and dravio-cli against dravio-responder
// on a pseudo-terminal, as separate processes on the real clock.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "base/clock.h"
#include "base/event_loop.h"
#include "base/hex.h"
#include "link/link.h"
#include "link/trace.h"
#include "ports/posix_serial_port.h"
#include "ports/tty_cable.h"
#include "responder_process.h"

namespace dravio {
namespace {

using namespace std::chrono_literals;

using testing::ResponderProcess;
using testing::responderPath;

struct Engine {
    base::RealClock clock;
    base::EventLoop loop{clock};
    link::Trace trace{clock};
    link::Link link{loop, trace};
};

TEST(ResponderEndToEnd, TtyCableAndTheExchangeEngineTalkToA59m) {
    ResponderProcess responder({"--model", "59m"});
    ASSERT_EQ(responder.path().rfind("/dev/", 0), 0u) << "no pseudo-terminal path from " << responderPath();

    ports::TtyCable cable;
    ASSERT_EQ(cable.open(responder.path()), ports::kCableOk) << cable.lastError();
    ASSERT_EQ(cable.setBaudRate(10400), ports::kCableOk) << cable.lastError();
    ASSERT_EQ(cable.setDataCharacteristics8N1(), ports::kCableOk);
    Engine engine;
    engine.link.TypeECU = 4;
    engine.link.setCable(&cable);

    EXPECT_EQ(engine.link.EnvoieRequete("81", "", 7, 2000), "83F110C1EF8FC3");
    EXPECT_EQ(engine.link.lastReceived().rfind("8110F18103", 0), 0u) << engine.link.lastReceived();

    // The block: the echo of the request removed by position, the whole answer frame kept.
    const auto block = engine.link.EnvoieRequete("21A0", "", 26, 2000);
    ASSERT_EQ(block.size(), 52u) << block;
    EXPECT_EQ(block.substr(0, 10), "96F11061A0");
    EXPECT_EQ(base::CalculChecksum(block.substr(0, 50)), block.substr(50)) << block;
    EXPECT_EQ(engine.link.lastReceived().rfind("8210F121A044" + block, 0), 0u) << engine.link.lastReceived();
    cable.close();

    const auto log = responder.log();
    EXPECT_NE(log.find(" T> 81"), std::string::npos) << log;
    EXPECT_NE(log.find(" <E 83"), std::string::npos) << log;
}

TEST(ResponderEndToEnd, CliExchangePrintsTheStartCommunicationAnswer) {
    ResponderProcess responder({"--model", "59m"});
    ASSERT_FALSE(responder.path().empty());
    const std::string command =
        std::string(DRAVIO_CLI_PATH) + " --interface tty:" + responder.path() + " --ecu 4 exchange 81 7 600 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string out;
    std::array<char, 256> chunk{};
    while (const auto n = std::fread(chunk.data(), 1, chunk.size(), pipe)) out.append(chunk.data(), n);
    const int raw = ::pclose(pipe);
    EXPECT_EQ(out, "83F110C1EF8FC3\n");
    EXPECT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 0);
}

TEST(ResponderEndToEnd, TheSerialPortReachesTheAdapterPlayedOnAPty) {
    ResponderProcess responder({"--model", "59m", "--elm"});
    ASSERT_FALSE(responder.path().empty());
    ports::PosixSerialPort port;
    port.setDevicePath(responder.path());
    ASSERT_EQ(port.setSettings("38400,n,8,1"), ports::kSerialOk);
    ASSERT_EQ(port.open(), ports::kSerialOk) << port.lastError();
    const auto ask = [&](const std::string& text) {
        port.input();
        port.output(text);
        std::string answer;
        const auto deadline = std::chrono::steady_clock::now() + 5s;
        while (answer.find('>') == std::string::npos && std::chrono::steady_clock::now() < deadline) {
            answer += port.input();
            std::this_thread::sleep_for(2ms);
        }
        return answer;
    };
    EXPECT_EQ(ask("ATE0\r"), "ATE0\rOK\r\r>");
    EXPECT_EQ(ask("ATI\r"), "ELM327 v2.1\r\r>");
    ask("ATSP5\r");
    ask("ATS0\r");
    ask("ATH1\r");
    const auto answer = ask("21A0\r");
    EXPECT_EQ(answer.rfind("BUS INIT: OK\r96F11061A0", 0), 0u) << answer;
    port.close();
}

}  // namespace
}  // namespace dravio
