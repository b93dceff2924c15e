// The recordings on a session measuring the simulator, on the virtual clock,
// when nothing can be recorded; the window test records for real.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

#include "session/link_host.h"
#include "session/recorder.h"
#include "support/temp_folder.h"

namespace dravio::session {
namespace {

using namespace std::chrono_literals;

bool traced(const link::Trace& trace, const std::string& line) {
    return std::any_of(trace.lines().begin(), trace.lines().end(),
                       [&](const std::string& l) { return l.find(line) != std::string::npos; });
}

class RecordingSessionTest : public ::testing::Test {
protected:
    Session& build(const std::filesystem::path& data) {
        std::string error;
        EXPECT_TRUE(host.openDevices({InterfaceKind::Simulator, ""}, proto::Model::M59, error, {true}));
        SessionSetup setup;
        setup.model = proto::Model::M59;
        setup.settings.autoStart = 0;
        setup.DossierData = data;
        SessionOutputs outputs;
        outputs.record = [this](const ecu::CycleRecord&) {
            if (++cycles >= stopAfter) host.session->stopMeasuring();
        };
        return host.startSession(setup, outputs);
    }

    dravio::testing::TempFolder data;
    base::VirtualClock clock{base::Clock::TimePoint{} + 1s};
    base::EventLoop loop{clock};
    LinkHost host{clock, loop, realDeviceFactory()};
    int cycles = 0;
    static constexpr int stopAfter = 3;
};

TEST_F(RecordingSessionTest, NoDataFolderSaysCsvNotCreatedAndUseCsv) {
    Session& session = build(data.path() / "missing");
    session.setChecked("chCSV", true);
    session.setChecked("Chenregistre", true);
    EXPECT_TRUE(traced(host.trace, "CSV not created 1"));
    EXPECT_EQ(session.view().text("lbPanel2"), kUseCsv);
    EXPECT_FALSE(session.view()["Chenregistre"].checked.value_or(true));
    EXPECT_FALSE(session.view().visible("Chenregistre"));
    session.parametre();  // measuring without a file to write costs nothing
    EXPECT_EQ(cycles, 3);
    EXPECT_TRUE(session.recorder()->files().empty());
}

TEST(RecordLayout, ColumnsFollowTheModel) {
    const std::pair<proto::Model, display::RecordLayout> cases[] = {
        {proto::Model::MM16, display::RecordLayout::ThrottleSteps},
        {proto::Model::P8, display::RecordLayout::ThrottleSteps},
        {proto::Model::M59, display::RecordLayout::Standard},
        {proto::Model::Obd, display::RecordLayout::ObdLoad},
    };
    for (const auto& [model, layout] : cases) EXPECT_EQ(recordLayout(model), layout) << proto::rowOf(model).cliName;
}

}  // namespace
}  // namespace dravio::session
