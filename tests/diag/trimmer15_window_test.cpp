#include "diag/trimmer15_window.h"

#include <gtest/gtest.h>

#include <map>

#include "base/number_pattern.h"
#include "diag/trimmer15_values.h"
#include "onebyte_line.h"

namespace dravio::diag {
namespace {

using testing::OneByteLineTest;
using namespace std::chrono_literals;
using Lines = std::vector<std::string>;

TEST(Trim15Values, EngineSpeedThrottleAndBattery) {
    const struct {
        int period;
        float previous, regime;
    } speeds[] = {
        {0xA0AA, 0, 360},  // 15 000 000 / 41130 = 364.7
        {4113, 0, 3640},   // 3647.0: cut down to tens
        {1500, 0, 10000},  // exactly 10 000 stays
        {1499, 0, 0},      // above 10 000 rpm
        {0, 1230, 1230},   // no period: the previous speed
    };
    for (const auto& s : speeds) EXPECT_FLOAT_EQ(trim15Regime(s.period, s.previous), s.regime) << s.period;

    const struct {
        std::uint8_t byte;
        const char* shown;
    } throttles[] = {{0x10, "1.5"}, {169, "29.8"}, {170, "30.0"}, {255, "90.0"}, {0, "0.0"}, {7, "0.0"}};
    for (const auto& t : throttles) EXPECT_EQ(base::fixedDecimals(trim15Papillon(t.byte), 1), t.shown) << int(t.byte);
    EXPECT_NEAR(trim15Papillon(170), 29.986, 1e-9);
    EXPECT_EQ(base::fixedDecimals(trim15Tension(0x50), 1), "5.0");
}

class Trimmer15Test : public OneByteLineTest {
protected:
    FrmTrimmer15& window(OneByteModel model = OneByteModel::MM15) {
        frm = std::make_unique<FrmTrimmer15>(view, frmparam, model, hooks(), mainHooks(), flags.gate());
        frm->Form_Load();
        flags.StopMesures = false;
        return *frm;
    }
    // The rider starts the engine when the window asks for it.
    void riderStartsEngine() {
        view.setAsker([this](const base::MessageBox& box) {
            if (box.text == "Motor ON now and click OK") engine.setRunning(true);
            return base::MessageAnswer::Ok;
        });
    }
    std::unique_ptr<FrmTrimmer15> frm;
};

TEST_F(Trimmer15Test, DemonstrationLoopShowsTheCannedValuesUntilStopped) {
    link.ModeDemo = true;
    FrmTrimmer15& w = window();
    int passes = 0;
    bool arreteesDuringLoop = true;
    onEvents = [&] {
        arreteesDuringLoop = arreteesDuringLoop && flags.MesuresArretees;
        // The user clicks Stop during the third pass.
        if (++passes == 3) w.cdMesures_Click();
    };
    w.cdMesures_Click();
    EXPECT_EQ(passes, 3);
    EXPECT_FALSE(arreteesDuringLoop);
    EXPECT_TRUE(flags.MesuresArretees);
    EXPECT_EQ(view.text("lbRPM"), "360");
    EXPECT_EQ(view.text("lbTPS"), "1.5");
    EXPECT_EQ(view.text("lbVolt"), "5.0");
    EXPECT_EQ(view.text("lbTrim"), "1");
    EXPECT_EQ(view.text("cdMesures"), "Mesures");
    EXPECT_TRUE(view.enabled("frExec"));
    EXPECT_EQ(view.text("lbTrimStaut"), "Stop motor OFF to Change Trimmer");
    EXPECT_FALSE(frmparam.enabled("cdparametre"));
}

TEST_F(Trimmer15Test, MissingAndFFHighBytesInTheLoop) {
    // Scripted answers: a pass reads 01, 02, 09, 0A, 0F.
    std::vector<std::map<std::string, std::string>> passes{
        {{"01", "0F"}, {"02", "A0"}, {"09", "20"}, {"0A", "C8"}, {"0F", "7D"}},  // period 0x0FA0 = 4000
        {{"01", "FF"}, {"02", "00"}},                                            // high byte of the last pass
        {},                                                                      // the ECU is silent
    };
    std::size_t pass = 0;
    OneByteHooks h;
    h.EnvoieRequete = [&](std::string_view r, std::string_view, std::int16_t, std::int16_t) {
        const auto& answers = passes[pass];
        const auto it = answers.find(std::string(r));
        return it == answers.end() ? std::string() : it->second;
    };
    FrmTrimmer15 w(view, frmparam, OneByteModel::RC15, h, {}, flags.gate());
    const struct {
        const char *rpm, *tps, *volt, *trim;
    } shown[] = {
        {"3 750", "4.5", "12.6", "-3"},   // 15 000 000 / 4000
        {"3 900", "0.0", "0.0", "-128"},  // 0x0F00 = 3840 -> 3906.25
        {"3 900", "0.0", "0.0", "-128"},  // period 0: the speed stays
    };
    for (pass = 0; pass < passes.size(); ++pass) {
        w.pass();
        EXPECT_EQ(view.text("lbRPM"), shown[pass].rpm) << pass;
        EXPECT_EQ(view.text("lbTPS"), shown[pass].tps) << pass;
        EXPECT_EQ(view.text("lbVolt"), shown[pass].volt) << pass;
        EXPECT_EQ(view.text("lbTrim"), shown[pass].trim) << pass;
    }
}

TEST_F(Trimmer15Test, ChangeStepsAndStoresWithTheEngineRunning) {
    plug(sim::OneByteVariant::MM15);
    engine.setTrimmer(-2);
    riderStartsEngine();
    FrmTrimmer15& w = window();
    EXPECT_FALSE(link.Timer_present().enabled());
    EXPECT_FALSE(frmparam.enabled("mnIdentification"));
    const Trim15Change c = w.setTrimmer(1);
    EXPECT_EQ(c.start, TrimStart::Ready);
    EXPECT_EQ(c.before, -2);
    EXPECT_EQ(c.reached, 1);
    EXPECT_TRUE(c.saved);
    EXPECT_EQ(c.saveEchoed, (std::array<bool, 2>{true, true}));
    EXPECT_EQ(c.readBack, 1);
    EXPECT_EQ(engine.trimmer(), 1);
    EXPECT_EQ(written(), "0F13AA8D7F8081FFFF0F");
    const auto t = cable.writes();
    EXPECT_GE(t[3].t - t[2].t, 1s);  // 1 s between the diagnostic and the trimmer mode
    EXPECT_LT(t[3].t - t[2].t, 1s + 20ms);
    EXPECT_GE(t[8].t - t[7].t, 500ms);
    EXPECT_EQ(view["shStatut"].backColour, kYellow);
    EXPECT_EQ(view.text("lbTrim"), "1");
    EXPECT_EQ(view.text("lbTrimStaut"), "ECU Ready if Motor ON");
    EXPECT_EQ(w.log(), (Lines{"Init trimmer", "Trimmer OK", "+1", "<== New Value, Continue, Save or Abord", "+1",
                              "<== New Value, Continue, Save or Abord", "+1", "<== New Value, Continue, Save or Abord",
                              "New Trimmer saved", "End Trimmer", "Save passed, only if Motor was ON"}));
    EXPECT_EQ(ecu->state(clock.now()), sim::OneByteState::Awake);

    w.cdFin_Click();
    EXPECT_TRUE(link.Timer_present().enabled());
    EXPECT_TRUE(frmparam.enabled("cddiag"));
    EXPECT_FALSE(frmparam.enabled("cdintialisation"));
}

TEST_F(Trimmer15Test, StoreWithTheEngineStoppedKeepsTheOldValue) {
    plug(sim::OneByteVariant::RC15);
    FrmTrimmer15& w = window(OneByteModel::RC15);
    ASSERT_EQ(w.cdAA_Click(), TrimStart::Ready);
    w.cdTrim_Click(0);
    EXPECT_EQ(view.text("lbTrim"), "-1");
    EXPECT_EQ(view["shStatut"].backColour, kBlue);
    w.cdSave_Click();
    EXPECT_EQ(view.text("lbTrim"), "0");
    EXPECT_EQ(engine.trimmer(), 0);
}

TEST_F(Trimmer15Test, UnacknowledgedStoreEndsNormallyAfterItsTimeOuts) {
    plug(sim::OneByteVariant::MM15);
    riderStartsEngine();
    FrmTrimmer15& w = window();
    ASSERT_EQ(w.cdAA_Click(), TrimStart::Ready);
    w.cdTrim_Click(1);
    faults.dropNextAnswers(2);
    const auto t0 = clock.now();
    w.cdSave_Click();
    EXPECT_EQ(w.saveEchoed(), (std::array<bool, 2>{false, false}));
    EXPECT_GE(clock.now() - t0, 2s + 500ms + 2s + 200ms);
    EXPECT_LT(clock.now() - t0, 5s);
    EXPECT_EQ(view["shStatut"].backColour, kYellow);
    EXPECT_EQ(w.log().back(), "Save passed, only if Motor was ON");
    // The ECU took the store all the same; the read-back tells.
    EXPECT_EQ(view.text("lbTrim"), "1");
}

TEST_F(Trimmer15Test, RefusalsAndFailures) {
    const struct {
        sim::OneByteVariant variant;
        bool running;
        std::uint8_t extraStatus;
        TrimStart start;
        const char* written;
        const char* message;
        std::optional<std::uint32_t> colour;
    } cases[] = {
        {sim::OneByteVariant::MM15, true, 0, TrimStart::EngineRunning, "0F13", "Le moteur doit être arrété", kRed},
        {sim::OneByteVariant::MM15, false, 0x04, TrimStart::EngineRunning, "0F13", "Le moteur doit être arrété", {}},
        // An ECU without the trimmer-adjust mode does not echo 0x8D.
        {sim::OneByteVariant::MM16, false, 0, TrimStart::Failed, "0F13AA8D", "Failed", {}},
    };
    for (const auto& c : cases) {
        sim::OneByteScenario s;
        s.extraStatusBits = c.extraStatus;
        plug(c.variant, s);
        engine.setRunning(c.running);
        view = base::ViewState();
        const Trim15Change change = window().setTrimmer(5);
        EXPECT_EQ(change.start, c.start);
        EXPECT_FALSE(change.saved);
        EXPECT_EQ(written(), c.written);
        ASSERT_EQ(view.messages().size(), 1u);
        EXPECT_EQ(view.messages()[0].text, c.message);
        EXPECT_EQ(view.messages()[0].title, "Attention/Caution");
        EXPECT_EQ(view["shStatut"].backColour, c.colour);
        EXPECT_FALSE(view.enabled("frTrimPlus"));
    }
}

TEST_F(Trimmer15Test, StepOutsideTheEcuRangeIsNotStored) {
    sim::OneByteScenario s;
    s.trimmerMax = 2;
    plug(sim::OneByteVariant::MM15, s);
    riderStartsEngine();
    const Trim15Change c = window().setTrimmer(4);
    EXPECT_EQ(c.reached, 2);
    EXPECT_FALSE(c.saved);
    EXPECT_EQ(written(), "0F13AA8D818283");
}

TEST_F(Trimmer15Test, ChangeWhileTheLoopRunsOnlyStopsIt) {
    plug(sim::OneByteVariant::MM15);
    FrmTrimmer15& w = window();
    std::optional<TrimStart> start;
    onEvents = [&] {
        if (!start) start = w.cdAA_Click();
    };
    w.cdMesures_Click();
    EXPECT_EQ(start, TrimStart::CycleRunning);
    EXPECT_TRUE(flags.MesuresArretees);
    EXPECT_EQ(view.text("cdMesures"), "Mesures");
    EXPECT_EQ(written().find("AA"), std::string::npos);
    // Now the line is free: the change goes ahead.
    EXPECT_EQ(w.cdAA_Click(), TrimStart::Ready);
}

}  // namespace
}  // namespace dravio::diag
