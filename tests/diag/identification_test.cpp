#include "diag/identification.h"

#include <gtest/gtest.h>

#include "diag/identification_gate.h"
#include "dtc59_fixture.h"
#include "sim/engine_model.h"
#include "sim/kwp_ecu.h"
#include "sim/onebyte_ecu.h"

namespace dravio::diag {
namespace {

using namespace std::chrono_literals;

class IdentificationTest : public ::testing::Test, public DiagBench {
protected:
    IdentificationLines load(IdentificationFamily family) {
        FrmIdentification frm(view, identHooks());
        frm.Form_Load(family);
        return frm.lines();
    }
};

TEST_F(IdentificationTest, DemonstrationShowsTheSampleRecordOfEachFamily) {
    const struct {
        proto::Model model;
        const char* name;
        IdentificationLines lines;
        std::size_t requests;
    } cases[] = {
        {proto::Model::M59,
         "M59/M5A",
         {"Ducati Number : 28640751A  ", "Marelli Number : IAW59MHW010", "Hard Version : 0",
          "Soft Number : 0130DC27   ", "Soft Version : 0000", "Approval number : 59MA3 ", "Repair Shop : TLC       ",
          "Programming Date : 20030828"},
         1},
        {proto::Model::MM16, "MM16", {"Ducati number : 11111111111", "", "", "", "", "", "", ""}, 11},
        {proto::Model::MM15, "MM15", {"Part Number : 1111111111", "Calibration   : 11111111", "", "", "", "", "", ""}, 18},
        {proto::Model::P8, "P8", {"", "", "", "", "", "", "", ""}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        requests.clear();
        keepAliveSwitches.clear();
        demo(c.model);
        EXPECT_EQ(load(identificationFamily(c.name)), c.lines);
        EXPECT_EQ(requests.size(), c.requests);
        EXPECT_EQ(keepAliveSwitches, (std::vector<bool>{false, true}));
    }
    EXPECT_EQ(view.text("frmIdentification"), "Identification de l'ECU");
}

TEST_F(IdentificationTest, LogButtonCopiesTheLinesToTheTraceAndShortAnswersShowWhatIsThere) {
    demo(proto::Model::M59);
    FrmIdentification frm(view, identHooks());
    frm.Form_Load(IdentificationFamily::Kwp59);
    traced.clear();
    frm.cdLOG_Click();
    ASSERT_EQ(traced.size(), 10u);
    EXPECT_EQ(traced[8], std::make_pair(std::string("Programming Date : 20030828"), false));
    EXPECT_EQ(kwpIdentificationLines("", "F110")[2], "Hard Version : 0");
    // Without the header the fields are cut from the eighth character.
    EXPECT_EQ(kwpIdentificationLines("012345641424344", "F110")[0], "Ducati Number : ABCD");
}

TEST_F(IdentificationTest, SimulatedEcusOfBothProtocols) {
    sim::KwpSessionOptions options;
    options.startAwake = true;
    sim::KwpEcu kwp(sim::KwpScenario::m5a(), options);
    plug(kwp, proto::Model::M59);
    const IdentificationLines lines = load(IdentificationFamily::Kwp59);
    EXPECT_EQ(lines[4], "Soft Version : 0102");
    EXPECT_EQ(lines[7], "Programming Date : 20060315");

    // Unprogrammed bytes (0x00, 0xFF, and 0xFF past the text) add nothing.
    sim::EngineModel engine;
    sim::OneByteScenario scenario;
    scenario.identification = std::string{'1', '2', '\xFF', '3', '4', '\0', '5'};
    sim::OneByteEcu mm16(sim::OneByteVariant::MM16, engine, scenario);
    mm16.startAwake();
    plug(mm16, proto::Model::MM16, sim::kOneByteCommandBaud);
    EXPECT_EQ(load(IdentificationFamily::MM16)[0], "Ducati number : 12345");
}

}  // namespace
}  // namespace dravio::diag
