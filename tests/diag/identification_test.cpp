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

constexpr std::string_view kDemoAnswer =
    "BFF1105A80323836343037353141202049415735394D4857303130003031333044433237202020000035394D413320AAAAAAAAAA544C43"
    "202020202020202003082853";

class IdentificationTest : public ::testing::Test, public DiagBench {
protected:
    IdentificationLines load(IdentificationFamily family) {
        FrmIdentification frm(view, identHooks());
        frm.Form_Load(family);
        return frm.lines();
    }
};

TEST_F(IdentificationTest, DemonstrationShowsTheSampleRecordOfEachFamily) {
    struct Case {
        int typeEcu;
        const char* model;
        IdentificationLines lines;
        std::size_t requests;
    };
    const Case cases[] = {
        {4,
         "M59/M5A",
         {"Ducati Number : 28640751A  ", "Marelli Number : IAW59MHW010", "Hard Version : 0",
          "Soft Number : 0130DC27   ", "Soft Version : 0000", "Approval number : 59MA3 ", "Repair Shop : TLC       ",
          "Programming Date : 20030828"},
         1},
        {0, "MM16", {"Ducati number : 11111111111", "", "", "", "", "", "", ""}, 11},
        {1, "MM15", {"Part Number : 1111111111", "Calibration   : 11111111", "", "", "", "", "", ""}, 18},
        {2, "15RC", {"Part Number : 1111111111", "Calibration   : 11111111", "", "", "", "", "", ""}, 18},
        {3, "P8", {"", "", "", "", "", "", "", ""}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.model);
        requests.clear();
        keepAliveSwitches.clear();
        demo(c.typeEcu);
        EXPECT_EQ(load(identificationFamily(c.model)), c.lines);
        EXPECT_EQ(requests.size(), c.requests);
        // The keep-alive is off while the window talks to the ECU, and on again afterwards.
        EXPECT_EQ(keepAliveSwitches, (std::vector<bool>{false, true}));
        EXPECT_TRUE(link.Timer_present().enabled());
    }
    EXPECT_EQ(view.text("frmIdentification"), "Identification de l'ECU");
    EXPECT_EQ(view.text("cdLOG"), "Enregistrement");
}

TEST_F(IdentificationTest, OneByteAddressesAreAskedInOrder) {
    demo(1);
    load(IdentificationFamily::MM15);
    ASSERT_EQ(requests.size(), 18u);
    EXPECT_EQ(requests.front(), "17");
    EXPECT_EQ(requests[9], "20");
    EXPECT_EQ(requests[10], "21");
    EXPECT_EQ(requests.back(), "28");
}

TEST_F(IdentificationTest, ShortGarbledOrHeaderlessAnswersShowOnlyWhatIsThere) {
    // No answer: the prefixes alone, the hard version 0.
    const IdentificationLines empty = kwpIdentificationLines("", "F110");
    EXPECT_EQ(empty[0], "Ducati Number : ");
    EXPECT_EQ(empty[2], "Hard Version : 0");
    EXPECT_EQ(empty[7], "Programming Date : ");
    // Without the header the fields are cut from the eighth character.
    const IdentificationLines headerless = kwpIdentificationLines(
        "0123456"
        "41424344",
        "F110");
    EXPECT_EQ(headerless[0], "Ducati Number : ABCD");
    // The answer cut anywhere: every line keeps its prefix, nothing runs past the text.
    const IdentificationLines whole = kwpIdentificationLines(kDemoAnswer, "F110");
    for (std::size_t n = 0; n <= kDemoAnswer.size(); ++n) {
        const IdentificationLines cut = kwpIdentificationLines(kDemoAnswer.substr(0, n), "F110");
        for (std::size_t i = 0; i < cut.size(); ++i) {
            ASSERT_LE(cut[i].size(), whole[i].size() + 2) << n;
            ASSERT_EQ(cut[i].substr(0, cut[i].find(':')), whole[i].substr(0, whole[i].find(':'))) << n;
        }
    }
}

TEST_F(IdentificationTest, OneByteAnswersAddTheirCharacterUnlessBlankOrUnprogrammed) {
    const std::pair<const char*, const char*> cases[] = {
        {"31", "1"}, {"41", "A"}, {"00", ""}, {"FF", ""}, {"", ""}, {"E9", "\xC3\xA9"}, {"7", "\x07"},
    };
    for (const auto& [answer, added] : cases) EXPECT_EQ(oneByteIdentificationCharacter(answer), added) << answer;
}

TEST_F(IdentificationTest, Simulated5amRecordIsCutIntoItsFields) {
    sim::KwpSessionOptions options;
    options.startAwake = true;
    sim::KwpEcu ecu(sim::KwpScenario::m5a(), options);
    plug(ecu, 4);
    const auto t0 = clock.now();
    const IdentificationLines lines = load(IdentificationFamily::Kwp59);
    EXPECT_EQ(lines[0], "Ducati Number : 28641051B  ");
    EXPECT_EQ(lines[1], "Marelli Number : IAW5AMHW010");
    EXPECT_EQ(lines[2], "Hard Version : 3");
    EXPECT_EQ(lines[4], "Soft Version : 0102");
    EXPECT_EQ(lines[5], "Approval number : 5AMB2 ");
    EXPECT_EQ(lines[7], "Programming Date : 20060315");
    // 0.1 s pause, six request bytes 6 ms apart, then 67 answer bytes: well inside the 2 s time-out.
    EXPECT_LT(clock.now() - t0, 300ms);
}

TEST_F(IdentificationTest, SimulatedMm16SkipsUnprogrammedBytes) {
    sim::EngineModel engine;
    sim::OneByteScenario scenario;
    scenario.identification = std::string(
        "12\xFF"
        "34\0"
        "5",
        7);
    sim::OneByteEcu ecu(sim::OneByteVariant::MM16, engine, scenario);
    ecu.startAwake();
    plug(ecu, 0, sim::kOneByteCommandBaud);
    // Addresses past the programmed text answer 0xFF too.
    EXPECT_EQ(load(IdentificationFamily::MM16)[0], "Ducati number : 12345");
    EXPECT_EQ(requests.size(), 11u);
}

TEST_F(IdentificationTest, LogButtonCopiesTheLinesToTheTraceListOnly) {
    demo(4);
    FrmIdentification frm(view, identHooks());
    frm.Form_Load(IdentificationFamily::Kwp59);
    traced.clear();
    frm.cdLOG_Click();
    ASSERT_EQ(traced.size(), 10u);
    EXPECT_EQ(traced.front(), std::make_pair(std::string(), false));
    EXPECT_EQ(traced[1].first, "Ducati Number : 28640751A  ");
    EXPECT_EQ(traced[8].first, "Programming Date : 20030828");
    for (const auto& line : traced) EXPECT_FALSE(line.second);
    EXPECT_EQ(trace.lines().size(), 10u);

    base::ViewState frmparam;
    frmparam.setEnabled("mnIdentification", false);
    frm.cdquitter_Click(frmparam);
    EXPECT_TRUE(frmparam.enabled("mnIdentification"));
    EXPECT_TRUE(frmparam.enabled("cdparametre"));
}

TEST(IdentificationGate, FirstClickStopsTheCycleAndOnlyAClickAfterItsEndOpens) {
    base::ViewState frmparam;
    frmparam.setChecked("Chenregistre", true);
    bool StopMesures = false;
    EXPECT_FALSE(stopCycleBeforeOpening(StopMesures, false, frmparam, "mnIdentification"));
    EXPECT_TRUE(StopMesures);
    EXPECT_FALSE(frmparam.enabled("cdintialisation"));
    EXPECT_FALSE(frmparam.enabled("cdparametre"));
    EXPECT_FALSE(frmparam["Chenregistre"].checked.value_or(true));
    EXPECT_FALSE(frmparam["mnIdentification"].enabled.has_value());  // the menu stays as it was

    EXPECT_TRUE(stopCycleBeforeOpening(StopMesures, true, frmparam, "cddiag"));
    EXPECT_FALSE(frmparam.enabled("cddiag"));
}

TEST(IdentificationFamilyOf, ModelNames) {
    EXPECT_EQ(identificationFamily("M59/M5A"), IdentificationFamily::Kwp59);
    EXPECT_EQ(identificationFamily("MM16"), IdentificationFamily::MM16);
    EXPECT_EQ(identificationFamily("15RC"), IdentificationFamily::MM15);
    EXPECT_EQ(identificationFamily("P8"), IdentificationFamily::None);
    EXPECT_EQ(identificationFamily(""), IdentificationFamily::None);
}

}  // namespace
}  // namespace dravio::diag
