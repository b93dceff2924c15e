#include "session/session.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "display/text_recording.h"
#include "link/link.h"
#include "proto/models.h"
#include "session/link_host.h"
#include "sim/kwp_session.h"
#include "sim/responder.h"

namespace dravio::session {
namespace {

using namespace std::chrono_literals;

// A session on the virtual clock with the simulator (or nothing, in
// demonstration mode), the windows replaced by recorders.
class LinkSessionTest : public ::testing::Test {
protected:
    void build(proto::Model model, bool demo = false) {
        std::string error;  // the simulator stays open from one session to the next, as in the window
        if (demo || host.devices.simulatedEcu() == nullptr) {
            ASSERT_TRUE(host.openDevices({demo ? InterfaceKind::Demo : InterfaceKind::Simulator, ""}, model, error));
        }
        SessionSetup setup;
        setup.model = model;
        setup.modeDemo = demo;
        setup.settings.autoStart = 0;
        setup.settings.cycle.Tempo = 1;
        setup.versionText = " - test";
        SessionOutputs outputs;
        outputs.mainChanges = [this](std::map<std::string, base::ControlState> changes) {
            for (auto& [name, state] : changes) {
                if (name == "Rmp" && state.text) rmp.push_back(*state.text);
                shown[name] = state;
            }
            if (onChanges) onChanges();
        };
        outputs.traffic = [this](std::vector<std::string> lines) {
            traffic.insert(traffic.end(), lines.begin(), lines.end());
        };
        outputs.ask = [this](const base::MessageBox& box) {
            asked.push_back(box.title);
            return answer;
        };
        outputs.writeEcuKey = [this](const std::string& key, const std::string& value) { ecuKeys[key] = value; };
        outputs.settingsChanged = [this](const SessionSettings& s) { written.push_back(s); };
        outputs.record = [this](const ecu::CycleRecord& record) {
            if (onRecord) onRecord(record);
        };
        session = &host.startSession(setup, outputs);
    }

    // Measures until `cycles` engine speeds have been shown.
    void measure(std::size_t cycles) {
        const std::size_t before = rmp.size();
        onChanges = [this, before, cycles] {
            if (rmp.size() >= before + cycles) session->stopMeasuring();
        };
        session->parametre();
        onChanges = {};
    }

    base::VirtualClock clock{base::Clock::TimePoint{} + 1s};
    base::EventLoop loop{clock};
    LinkHost host{clock, loop, realDeviceFactory()};
    link::Link& link = host.link;
    Session* session = nullptr;

    std::map<std::string, base::ControlState> shown;
    std::vector<std::string> rmp;
    std::vector<std::string> traffic;
    std::vector<std::string> asked;
    std::map<std::string, std::string> ecuKeys;
    std::vector<SessionSettings> written;
    std::function<void()> onChanges;
    std::function<void(const ecu::CycleRecord&)> onRecord;
    base::MessageAnswer answer = base::MessageAnswer::Ok;
};

// The one-byte ECUs start when the rider turns the key after the box; the
// simulator turns it only once the box was answered with OK.
TEST_F(LinkSessionTest, OneByteEcuStartsOnlyWhenTheKeyBoxIsAccepted) {
    struct Case {
        proto::Model model;
        base::MessageAnswer answer;
        bool up;
        std::size_t boxes;
    };
    const Case cases[] = {
        {proto::Model::MM15, base::MessageAnswer::Ok, true, 1},      // box, key on, power-on code
        {proto::Model::MM16, base::MessageAnswer::Ok, true, 1},
        {proto::Model::MM15, base::MessageAnswer::Cancel, false, 1},  // refused: nothing starts
        {proto::Model::RC15, base::MessageAnswer::Ok, true, 0},      // no key box at all
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(proto::rowOf(c.model).cliName);
        asked.clear();
        shown.clear();
        link.setShape1(link::kShape1Red);
        answer = c.answer;
        build(c.model);
        session->initialise();
        EXPECT_EQ(session->linkUp(), c.up);
        EXPECT_EQ(asked.size(), c.boxes);
        if (c.boxes > 0) {
            EXPECT_EQ(asked.front(), kKeyOnTitle);
        }
        EXPECT_EQ(host.devices.simulatedModel(), c.model);  // each model plays against its own twin
        if (c.up) {
            EXPECT_EQ(shown["lbPanel5"].text, std::string(proto::InitModeles().name(c.model)));
        }
    }
}

// A replayed row is shown as the cycle shows it, "--" where the recording has no
// column; while the cycle runs the row is refused and nothing it shows changes.
TEST_F(LinkSessionTest, ReplayedRowsShowLikeTheCycleAndWaitForItToStop) {
    build(proto::Model::M59, true);
    convert::LiveValues row;
    row.Regime = 1234.0;
    row.Papillon = 12.34;
    row.TempAir = 25.5;
    row.TensionVal = 13.8;
    ASSERT_TRUE(session->replayRow(row));
    session->flush();
    const std::pair<const char*, const char*> expected[] = {
        {"Rmp", "1 230"}, {"Potar", "12.3"}, {"Air", "25.5"}, {"Tension", "13.8"}, {"Injection", "--"}, {"Eau", "--"}};
    for (const auto& [label, text] : expected) EXPECT_EQ(shown[label].text, std::string(text)) << label;

    bool refused = false;
    onChanges = [&] {
        if (!session->measuring()) return;
        refused = !session->replayRow(row);
        session->stopMeasuring();
    };
    session->parametre();
    onChanges = {};
    EXPECT_TRUE(refused);
}

// What the cycle showed while recording is what the replay of that recording shows.
TEST_F(LinkSessionTest, WorkForTheIdleLinkWaitsForTheCycleToEnd) {
    build(proto::Model::M59, true);  // demonstration mode, no cable
    session->initialise();
    ASSERT_TRUE(session->linkUp());
    bool ran = false;
    bool measuringWhenRan = true;
    const std::size_t before = rmp.size();
    onChanges = [&] {
        if (rmp.size() == before + 2) {
            session->whenIdle([&] {
                ran = true;
                measuringWhenRan = session->measuring();
            });
            EXPECT_FALSE(ran);
            session->stopMeasuring();
        }
    };
    session->parametre();
    onChanges = {};
    loop.runFor(100ms);
    EXPECT_TRUE(ran);
    EXPECT_FALSE(measuringWhenRan);
}

TEST_F(LinkSessionTest, ChannelDoubleClickWritesTheSettings) {
    build(proto::Model::M59, true);
    session->frameDoubleClick("Frair");
    ASSERT_EQ(written.size(), 1U);
    EXPECT_FALSE(written.back().channels.at("Air"));
    EXPECT_TRUE(written.back().channels.at("Eau"));
    session->frameDoubleClick("Frair");
    EXPECT_TRUE(written.back().channels.at("Air"));
    session->setTempo(70);  // beyond the history: kept at 61
    EXPECT_EQ(written.back().cycle.Tempo, 61);
}

}  // namespace
}  // namespace dravio::session


namespace dravio::session {
namespace {

// Ignition off, then on again: with the option the link comes back by itself, quietly;
// without it the rider's click is needed.
TEST_F(LinkSessionTest, AutomaticReinitialisationBringsTheLinkBackOnlyWhenAskedFor) {
    for (const bool automatic : {false, true}) {
        build(proto::Model::M59);
        auto setup = session->settings();
        session->initialise();
        ASSERT_TRUE(session->linkUp()) << session->failure();
        SessionSetup again;
        again.settings = setup;
        again.settings.autoReinit = automatic;
        session->reconfigure(again);
        asked.clear();

        auto& faults = host.devices.simulatedEcu()->session->faults();
        faults.dropNextAnswers(1000000);
        loop.runFor(6s);  // the keep-alive finds the ECU silent
        ASSERT_FALSE(session->linkUp());
        faults.dropNextAnswers(0);
        loop.runFor(60s);
        EXPECT_EQ(session->linkUp(), automatic) << (automatic ? "automatic" : "by hand");
        EXPECT_TRUE(asked.empty()) << asked.front();
    }
}

}  // namespace
}  // namespace dravio::session
