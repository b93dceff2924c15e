#include "diag/trimmer15_window.h"

#include <gtest/gtest.h>

#include <map>

#include "base/number_pattern.h"
#include "diag/trimmer15_text.h"
#include "onebyte_line.h"

namespace dravio::diag {
namespace {

using namespace std::chrono_literals;
using Lines = std::vector<std::string>;

TEST(Trim15Loop, HighByteFFTakesTheLastHighByteAndSilenceReadsZero) {
    base::ViewState view, frmparam;
    ecu::IdleCycleFlags flags;
    std::map<std::string, std::string> answers{{"01", "0F"}, {"02", "A0"}, {"0F", "7D"}};  // period 4000
    OneByteHooks h;
    h.EnvoieRequete = [&](std::string_view r, std::string_view, std::int16_t, std::int16_t) {
        return answers.count(std::string(r)) != 0 ? answers[std::string(r)] : std::string();
    };
    FrmTrimmer15 w(view, frmparam, OneByteModel::RC15, h, {}, flags.gate());
    EXPECT_EQ(trim15ReadingToText(w.pass()), "Regime 3 750 | Papillon 0.0 | Tension 0.0 | Trimmer -3\n");
    answers = {{"01", "FF"}, {"02", "00"}};  // 0x0F00: 3906
    EXPECT_EQ(trim15ReadingToText(w.pass()), "Regime 3 900 | Papillon 0.0 | Tension 0.0 | Trimmer -128\n");
}

class Trimmer15Test : public testing::OneByteLineTest {
protected:
    FrmTrimmer15& window(OneByteModel model = OneByteModel::MM15) {
        frm = std::make_unique<FrmTrimmer15>(view, frmparam, model, hooks(), mainHooks(), flags.gate());
        frm->Form_Load();
        flags.StopMesures = false;
        // The rider starts the engine when the window asks for it.
        view.setAsker([this](const base::MessageBox& box) {
            if (box.text == "Motor ON now and click OK") engine.setRunning(true);
            return base::MessageAnswer::Ok;
        });
        return *frm;
    }
    std::unique_ptr<FrmTrimmer15> frm;
};

TEST_F(Trimmer15Test, DemonstrationLoopRunsUntilAChangeIsAsked) {
    link.ModeDemo = true;
    FrmTrimmer15& w = window();
    int passes = 0;
    std::optional<TrimStart> start;
    onEvents = [&] {
        EXPECT_FALSE(flags.MesuresArretees);
        if (++passes == 3) start = w.cdAA_Click();  // only stops the loop
    };
    w.cdMesures_Click();
    EXPECT_EQ(start, TrimStart::CycleRunning);
    EXPECT_TRUE(flags.MesuresArretees);
    EXPECT_EQ((Lines{view.text("lbRPM"), view.text("lbTPS"), view.text("lbVolt"), view.text("lbTrim")}),
              (Lines{"360", "1.5", "5.0", "1"}));
    EXPECT_EQ(view.text("lbTrimStaut"), "Stop motor OFF to Change Trimmer");
    onEvents = nullptr;
    EXPECT_EQ(w.cdAA_Click(), TrimStart::Ready);  // now the line is free
}

TEST_F(Trimmer15Test, ChangeStepsAndStoresWithTheEngineRunning) {
    plug(sim::OneByteVariant::MM15);
    engine.setTrimmer(-2);
    FrmTrimmer15& w = window();
    const Trim15Change c = w.setTrimmer(1);
    EXPECT_EQ(trim15ChangeToText(c),
              "start: ready\nbefore: -2\nreached: 1\nsaved: yes\nsave echoed: yes, yes\nread back: 1\n");
    EXPECT_EQ(written(), "0F13AA8D7F8081FFFF0F");
    const auto t = cable.writes();
    EXPECT_GE(t[3].t - t[2].t, 1s);  // 1 s between the diagnostic and the trimmer mode
    EXPECT_LT(t[3].t - t[2].t, 1s + 20ms);
    EXPECT_EQ(view.text("lbTrimStaut"), "ECU Ready if Motor ON");
    w.cdFin_Click();
    EXPECT_TRUE(link.Timer_present().enabled());
    EXPECT_TRUE(frmparam.enabled("cddiag"));
}

TEST_F(Trimmer15Test, UnacknowledgedStoreIsReportedAndTheWindowCarriesOn) {
    const struct {
        std::vector<int> dropped;  // answers of the ECU lost on the line, counted from 0
        const char* change;
    } cases[] = {
        // The first 0xFF's echo is lost: the value is stored all the same.
        {{7}, "saved: yes\nsave echoed: no, yes\nread back: 1\n"},
        // Both echoes lost, and the read-back too.
        {{7, 8, 9}, "saved: yes\nsave echoed: no, no\nread back: -128\n"},
    };
    for (const auto& c : cases) {
        plug(sim::OneByteVariant::MM15);
        engine.setTrimmer(-2);
        for (int i : c.dropped) faults.dropByteAt(i);
        view = base::ViewState();
        const auto start = clock.now();
        const Trim15Change change = window().setTrimmer(1);
        const std::string text = trim15ChangeToText(change);
        EXPECT_EQ(text.substr(text.find("saved:")), c.change);
        EXPECT_EQ(written(), "0F13AA8D7F8081FFFF0F");
        // Each lost echo costs its 2 s time-out, nothing more.
        EXPECT_LT(clock.now() - start, 1s + 2s * c.dropped.size() + 3s);
        EXPECT_EQ(view["shStatut"].backColour, kYellow);
    }
}

TEST_F(Trimmer15Test, RefusalsAndFailures) {
    const struct {
        sim::OneByteVariant variant;
        bool running;
        std::uint8_t status;
        TrimStart start;
        const char *written, *message;
        std::optional<std::uint32_t> colour;
    } cases[] = {
        {sim::OneByteVariant::MM15, true, 0, TrimStart::EngineRunning, "0F13", "Le moteur doit être arrété", kRed},
        // An ECU without the trimmer-adjust mode does not echo 0x8D.
        {sim::OneByteVariant::MM16, false, 0, TrimStart::Failed, "0F13AA8D", "Failed", {}},
    };
    for (const auto& c : cases) {
        sim::OneByteScenario s;
        s.extraStatusBits = c.status;
        plug(c.variant, s);
        engine.setRunning(c.running);
        view = base::ViewState();
        const Trim15Change change = window().setTrimmer(5);
        EXPECT_EQ(change.start, c.start);
        EXPECT_EQ(written(), c.written);
        ASSERT_EQ(view.messages().size(), 1u);
        EXPECT_EQ(view.messages()[0].text, c.message);
        EXPECT_EQ(view["shStatut"].backColour, c.colour);
        EXPECT_FALSE(view.enabled("frTrimPlus"));
    }
}

}  // namespace
}  // namespace dravio::diag
