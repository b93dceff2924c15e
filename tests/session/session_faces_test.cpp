// One session driven as the window drives it (a worker thread) and as the command
// line does (the calling thread), through the simulator, a K-line cable and an ELM327.
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <memory>
#include <string>

#include "app/cli_link.h"
#include "base/worker.h"
#include "link/link.h"
#include "ports/kline_cable.h"
#include "ports/serial_port.h"
#include "ports/sim_cable.h"
#include "responder_process.h"
#include "session/link_host.h"

namespace dravio::session {
namespace {

using namespace std::chrono_literals;

enum class Kind { Simulator, TtyCable, Elm327 };
enum class Face { Window, CommandLine };

struct Case {
    Kind kind;
    Face face;
};

std::string name(const ::testing::TestParamInfo<Case>& info) {
    const char* kinds[] = {"Simulator", "TtyCable", "Elm327"};
    return std::string(kinds[static_cast<int>(info.param.kind)]) +
           (info.param.face == Face::Window ? "_Window" : "_CommandLine");
}

class Host {
public:
    virtual ~Host() = default;
    // Runs `work` on the link's thread and waits for it.
    virtual void run(std::function<void(LinkHost&)> work) = 0;
};

// The window's way: a worker thread owns the clock, the loop and the host.
class WindowHost final : public Host {
public:
    WindowHost(const InterfaceChoice& choice, proto::Model model, std::string& error) {
        worker_.start([this](base::Clock& clock, base::EventLoop& loop) {
            host_ = std::make_unique<LinkHost>(clock, loop, realDeviceFactory());
        },
                      [this] { host_.reset(); });
        run([&](LinkHost& host) { host.openDevices(choice, model, error); });
    }
    ~WindowHost() override { worker_.stop(); }
    void run(std::function<void(LinkHost&)> work) override {
        std::promise<void> done;
        worker_.post([&] {
            work(*host_);
            done.set_value();
        });
        done.get_future().wait();
    }

private:
    base::Worker worker_;
    std::unique_ptr<LinkHost> host_;
};

// The command line's way: the host on the calling thread.
class CommandLineHost final : public Host {
public:
    CommandLineHost(const InterfaceChoice& choice, proto::Model model) : line_(choice, model, {}) {}
    void run(std::function<void(LinkHost&)> work) override { work(line_.host()); }

private:
    app::CliLink line_;
};

class SessionFaces : public ::testing::TestWithParam<Case> {
protected:
    void SetUp() override {
        const auto kind = GetParam().kind;
        InterfaceChoice choice{InterfaceKind::Simulator, "59m"};
        if (kind != Kind::Simulator) {
            std::vector<std::string> args{"--model", "59m"};
            if (kind == Kind::Elm327) args.push_back("--elm");
            responder = std::make_unique<testing::ResponderProcess>(args);
            ASSERT_FALSE(responder->path().empty()) << "the bench responder did not start";
            choice = {kind == Kind::Elm327 ? InterfaceKind::Elm327 : InterfaceKind::TtyCable, responder->path()};
        }
        if (GetParam().face == Face::Window) {
            std::string error;
            host = std::make_unique<WindowHost>(choice, proto::Model::M59, error);
            ASSERT_EQ(error, "");
        } else {
            host = std::make_unique<CommandLineHost>(choice, proto::Model::M59);
        }
        host->run([this](LinkHost& h) {
            SessionSetup setup;
            setup.model = proto::Model::M59;
            setup.modeDemo = false;
            setup.settings.autoStart = 0;
            SessionOutputs outputs;
            outputs.record = [this](const ecu::CycleRecord&) {
                if (++cycles >= stopAfter) session->stopMeasuring();
            };
            outputs.ask = [](const base::MessageBox&) { return base::MessageAnswer::Ok; };
            session = &h.startSession(setup, outputs);
        });
    }

    // The ECU goes away and comes back.
    void unplug(LinkHost& h) {
        if (responder) {
            responder->pause();
        } else {
            h.devices.simCable()->setUnplugged(true);
        }
    }
    void plugBackIn(LinkHost& h) {
        if (responder) {
            responder->resume();
        } else {
            h.devices.simCable()->setUnplugged(false);
        }
    }

    std::unique_ptr<testing::ResponderProcess> responder;
    std::unique_ptr<Host> host;
    Session* session = nullptr;
    int cycles = 0;
    int stopAfter = 3;
};

TEST_P(SessionFaces, InitialiseMeasureLoseTheEcuReinitialiseClose) {
    host->run([&](LinkHost& h) {
        session->initialise();
        ASSERT_TRUE(session->linkUp()) << session->failure();

        session->parametre();
        EXPECT_EQ(cycles, 3);
        EXPECT_FALSE(session->measuring());
        EXPECT_NE(session->view().text("Rmp"), "");

        // Silence. On the K-line the cycle gives up after three failed iterations
        // and the keep-alive then takes the link down; the ELM327's unanswered
        // requests do not paint the link indicator, so its cycle runs on.
        unplug(h);
        cycles = 0;
        stopAfter = GetParam().kind == Kind::Elm327 ? 2 : 1000;
        session->parametre();
        EXPECT_FALSE(session->measuring());
        if (GetParam().kind == Kind::Elm327) {
            EXPECT_EQ(cycles, 2);
        } else {
            EXPECT_EQ(session->cycle().NbRates, 2);  // the third failure ends the cycle
            // Within one keep-alive tick of the cycle's end.
            const auto deadline = h.clock.now() + 3s;
            while (session->view().text("lbPanel1") != "Init : OFF" && h.clock.now() < deadline) {
                h.loop.runFor(100ms);
            }
            EXPECT_EQ(session->view().text("lbPanel1"), "Init : OFF");
            EXPECT_FALSE(session->linkUp());
            EXPECT_EQ(h.link.Shape1(), link::kShape1Red);
            EXPECT_TRUE(session->view().enabled("cdintialisation"));
        }

        plugBackIn(h);
        h.loop.runFor(500ms);
        cycles = 0;
        stopAfter = 1;
        session->initialise();
        ASSERT_TRUE(session->linkUp()) << session->failure();
        session->parametre();
        EXPECT_EQ(cycles, 1);

        h.close(false);
        if (h.devices.cable() != nullptr) {
            EXPECT_FALSE(h.devices.cable()->isOpen());
        }
        if (h.devices.elmPort() != nullptr) {
            EXPECT_FALSE(h.devices.elmPort()->isOpen());
        }
    });
}

INSTANTIATE_TEST_SUITE_P(EveryInterface, SessionFaces,
                         ::testing::Values(Case{Kind::Simulator, Face::Window}, Case{Kind::Simulator, Face::CommandLine},
                                           Case{Kind::TtyCable, Face::Window},
                                           Case{Kind::TtyCable, Face::CommandLine},
                                           Case{Kind::Elm327, Face::Window}, Case{Kind::Elm327, Face::CommandLine}),
                         name);

}  // namespace
}  // namespace dravio::session
