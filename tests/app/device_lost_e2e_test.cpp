// The bench responder killed under dravio-cli: the pseudo-terminal hangs up as a
// pulled USB cable does, and the command line must say so and stop, not retry.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "responder_process.h"
#include "run_program.h"

namespace dravio {
namespace {

using namespace std::chrono_literals;
using Steady = std::chrono::steady_clock;

struct Case {
    const char* name;
    std::vector<std::string> responder;
    std::string command;
    // The ECU falls silent first, so that the kill lands inside the wake-up attempts.
    bool silenceFirst;
    std::chrono::milliseconds killAfter;
};

TEST(DeviceLost, ResponderKilledDuringInitAndLiveEndsTheCommandAtOnce) {
    const Case cases[] = {
        {"live on a 59M", {"--model", "59m"}, "--ecu 4 live", false, 4000ms},
        {"init on a 59M", {"--model", "59m"}, "--ecu 4 init", true, 1500ms},
        {"live through an ELM327", {"--model", "5am", "--elm"}, "--ecu 4 live", false, 4000ms},
    };
    for (const auto& c : cases) {
        testing::ResponderProcess responder(c.responder);
        ASSERT_EQ(responder.path().rfind("/dev/", 0), 0U) << c.name;
        const bool elm = c.responder.back() == "--elm";
        const std::string command = std::string(DRAVIO_CLI_PATH) + " --interface " + (elm ? "elm:" : "tty:") +
                                    responder.path() + " " + c.command;
        if (c.silenceFirst) responder.pause();
        testing::ProgramRun run;
        Steady::time_point ended;
        std::thread cli([&] {
            run = testing::runProgram(command, 60);
            ended = Steady::now();
        });
        std::this_thread::sleep_for(c.killAfter);
        const auto killed = Steady::now();
        responder.kill();
        cli.join();
        const auto afterKill = std::chrono::duration_cast<std::chrono::milliseconds>(ended - killed);
        EXPECT_EQ(run.status, 1) << c.name << "\n" << run.out;
        EXPECT_NE(run.out.find("débranché"), std::string::npos) << c.name << "\n" << run.out;
        // A guard against the old minute of retries; the latency itself is reported, not timed here.
        EXPECT_LT(afterKill, 10s) << c.name;
        std::cout << c.name << ": ended " << afterKill.count() << " ms after the kill\n";
    }
}

// OBD-II through the adapter on a pseudo-terminal: the same command line as with the cable.
TEST(ElmObd, InitAndLiveThroughTheBenchResponder) {
    testing::ResponderProcess responder({"--elm", "--model", "obd"});
    const std::string cli = std::string(DRAVIO_CLI_PATH) + " --interface elm:" + responder.path() + " --ecu 5 ";
    const auto init = testing::runProgram(cli + "init");
    EXPECT_EQ(init.status, 0) << init.out;
    EXPECT_EQ(init.out.rfind("OK\n", 0), 0u) << init.out;
    const auto live = testing::runProgram(cli + "live --count 3 --json");
    EXPECT_EQ(live.status, 0) << live.out;
    int cycles = 0;
    for (std::size_t at = live.out.find("{\"cycle\""); at != std::string::npos;
         at = live.out.find("{\"cycle\"", at + 1)) {
        ++cycles;
        const auto rpm = std::stod(live.out.substr(live.out.find("\"Regime\":", at) + 9));
        EXPECT_GT(rpm, 500) << "the simulated engine idles" << live.out;
        EXPECT_LT(rpm, 3000) << live.out;
    }
    EXPECT_EQ(cycles, 3) << live.out;
}

}  // namespace
}  // namespace dravio
