#include "session/onebyte_windows.h"

#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <string>

#include "session/link_host.h"
#include "session/session.h"

namespace dravio::session {
namespace {

using namespace std::chrono_literals;
using Shown = std::map<std::string, base::ControlState>;

// A demonstration session on the virtual clock; each window's changes recorded.
class OneByteWindowsTest : public ::testing::Test {
protected:
    OneByteWindows& build(proto::Model model) {
        std::string error;
        EXPECT_TRUE(host.openDevices({InterfaceKind::Demo, ""}, model, error));
        SessionSetup setup;
        setup.model = model;
        setup.modeDemo = true;
        setup.settings.autoStart = 0;
        session = &host.startSession(setup, {});
        return session->oneByte();
    }
    OneByteSink sinkTo(Shown& shown) {
        return {[this, &shown](Shown changes) {
                    for (auto& [name, state] : changes) shown[name] = state;
                    if (onChanges) onChanges();
                },
                {}};
    }
    std::string text(const Shown& shown, const std::string& name) {
        const auto it = shown.find(name);
        return it == shown.end() ? "<none>" : it->second.text.value_or("<no text>");
    }

    base::VirtualClock clock{base::Clock::TimePoint{} + 1s};
    base::EventLoop loop{clock};
    LinkHost host{clock, loop, realDeviceFactory()};
    Session* session = nullptr;
    Shown erreur, trimmer;
    std::function<void()> onChanges;
};

TEST_F(OneByteWindowsTest, FaultWindowWaitsForTheCycleAndRunsATest) {
    OneByteWindows& w = build(proto::Model::MM15);
    session->cycle().MesuresArretees = false;  // a cycle runs
    EXPECT_FALSE(w.openErreur(sinkTo(erreur)));
    EXPECT_TRUE(session->cycle().StopMesures);
    EXPECT_FALSE(session->view().enabled("cdparametre"));
    session->cycle().MesuresArretees = true;  // it has ended
    ASSERT_TRUE(w.openErreur(sinkTo(erreur)));
    EXPECT_FALSE(session->view().enabled("cddiag"));
    EXPECT_EQ(text(erreur, "cddiag4"), "Test Bobine 2");
    // Only one of the two windows holds the line.
    EXPECT_FALSE(w.openTrimmer(sinkTo(trimmer)));
    EXPECT_FALSE(w.runTest(4).has_value());

    w.cddiag(4);
    EXPECT_EQ(text(erreur, "frdialogue"), "Test Bobine Verticale / Coil: Terminé");
    EXPECT_EQ(text(erreur, "lenvoie2"), "Test OK");
    EXPECT_TRUE(session->view().enabled("frmparam"));
    w.closeErreur();
    EXPECT_FALSE(w.erreurOpen());
    EXPECT_TRUE(session->view().enabled("cddiag"));
}

TEST_F(OneByteWindowsTest, ClosingTheTrimmerWindowWhileItMeasuresWaitsForTheLoop) {
    OneByteWindows& w = build(proto::Model::RC15);
    ASSERT_TRUE(w.openTrimmer(sinkTo(trimmer)));
    int passes = 0;
    onChanges = [&] {
        if (trimmer.count("lbRPM") != 0 && ++passes == 3) {
            w.closeTrimmer();
            EXPECT_TRUE(w.trimmerOpen());  // its loop is still on the stack
        }
    };
    w.cdMesures();  // runs the loop until the window closes
    EXPECT_FALSE(w.trimmerOpen());
    EXPECT_EQ(text(trimmer, "lbRPM"), "360");
    EXPECT_TRUE(session->cycle().MesuresArretees);
    EXPECT_TRUE(session->view().enabled("cddiag"));
}

TEST_F(OneByteWindowsTest, ModelsWithoutTheWindowsOpenNone) {
    for (const auto model : {proto::Model::P8, proto::Model::M59}) {
        OneByteWindows& w = build(model);
        EXPECT_FALSE(w.openErreur(sinkTo(erreur)));
        EXPECT_FALSE(w.openTrimmer(sinkTo(trimmer)));
        EXPECT_FALSE(w.readTrimmer().has_value());
    }
    EXPECT_FALSE(build(proto::Model::MM16).openTrimmer(sinkTo(trimmer)));
    EXPECT_TRUE(erreur.empty());
}

}  // namespace
}  // namespace dravio::session
