// The recordings and the AFR source on a session measuring the simulator, on
// the virtual clock: the boxes start and stop them whoever changes them, and
// each cycle's line carries what the main and AFR windows show.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

#include "session/link_host.h"
#include "session/recorder.h"
#include "support/temp_folder.h"

namespace dravio::session {
namespace {

using namespace std::chrono_literals;

std::vector<std::string> lines(const std::filesystem::path& file) {
    std::vector<std::string> found;
    std::string text = dravio::testing::readBytes(file);
    for (std::size_t start = 0, end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
        found.push_back(text.substr(start, end - start));
    }
    return found;
}

bool traced(const link::Trace& trace, const std::string& line) {
    return std::any_of(trace.lines().begin(), trace.lines().end(),
                       [&](const std::string& l) { return l.find(line) != std::string::npos; });
}

class RecordingSessionTest : public ::testing::Test {
protected:
    Session& build(const std::filesystem::path& data, display::AfrSource source) {
        std::string error;
        EXPECT_TRUE(host.openDevices({InterfaceKind::Simulator, ""}, proto::Model::M59, error, {true}));
        SessionSetup setup;
        setup.model = proto::Model::M59;
        setup.modeDemo = false;
        setup.settings.autoStart = 0;
        setup.DossierData = data;
        setup.lambda.SourceAFR = source;
        setup.lambda.PortAFR = 1;
        for (auto& line : setup.lambda.lines) line = line.withSlope();
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
    int stopAfter = 3;
};

TEST_F(RecordingSessionTest, BoxesRecordEveryCycleWithTheAfrChannelsAndTheStopButtonSavesTheWorkbook) {
    Session& session = build(data.path(), display::AfrSource::DlpIo8);
    session.afrChecked("chDLP", true);
    session.setChecked("chCSV", true);
    session.setChecked("Chenregistre", true);
    EXPECT_TRUE(traced(host.trace, "CSV created 1"));
    EXPECT_EQ(session.view().text("lbPanel2"), kTracesExcel);

    session.parametre();  // three cycles, then stops as the stop button does
    EXPECT_TRUE(session.afrView().visible("frmAFR"));
    // Stopping the cycle clears the Excel box: the workbook is saved, the text goes on.
    ASSERT_EQ(session.recorder()->files().size(), 1u);
    EXPECT_EQ(session.recorder()->files()[0].extension(), ".xlsx");
    EXPECT_TRUE(session.recorder()->textOpen());

    session.setChecked("chCSV", false);
    ASSERT_EQ(session.recorder()->files().size(), 2u);
    const auto csv = lines(session.recorder()->files()[1]);
    ASSERT_EQ(csv.size(), 4u);
    EXPECT_EQ(csv[0], "Time;RPM;TPS;Injection;Advance;Pressure;AirTemp;EngineTemp;Voltage;AFR1;AFR2;Lambda");
    for (std::size_t i = 1; i < csv.size(); ++i) {
        // 2.5 V and 3 V on the default 0-5 V = 10-20 lines; no lambda shown on a 59M.
        EXPECT_NE(csv[i].find(";15.000;15.996;0"), std::string::npos) << csv[i];
    }
    session.setChecked("chCSV", true);  // a second file, counted
    EXPECT_TRUE(traced(host.trace, "CSV created 2"));
}

TEST_F(RecordingSessionTest, NoDataFolderSaysCsvNotCreatedAndUseCsv) {
    Session& session = build(data.path() / "missing", display::AfrSource::None);
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
