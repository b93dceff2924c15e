#include <gtest/gtest.h>

#include <map>

#include "diag/dtc59_code.h"
#include "diag/dtc59_faults.h"
#include "diag/dtc59_window.h"
#include "dtc59_fixture.h"
#include "sim/kwp_ecu.h"
#include "sim/obd_ecu.h"

namespace dravio::diag {
namespace {

using namespace std::chrono_literals;

TEST(Dtc59Code, SaeFormAndTextKey) {
    struct Case {
        const char* code;
        const char* sae;
        int key;
    };
    const Case cases[] = {
        {"0335", "P0335", 10335}, {"0201", "P0201", 10201}, {"D600", "U1600", 21600}, {"4123", "C0123", 30123},
        {"8A05", "B0A05", 41000},  // decimal reading stops at the first letter
        {"0A12", "P0A12", 10000}, {"1234", "P1234", 11234}, {"C100", "U0100", 21100}, {"", "P0", 10000},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(saeCode(c.code), c.sae) << c.code;
        EXPECT_EQ(dtcTextKey(c.code), c.key) << c.code;
    }
}

TEST(Dtc59Code, StatusByteSelectsCauseMemorisationAndLamp) {
    struct Case {
        std::uint8_t status;
        std::optional<int> cause;
        int memo;
        bool lamp;
    };
    const Case cases[] = {
        {0x24, 2, 1, false},
        {0x01, 0, 0, false},
        {0x42, 1, 2, false},
        {0xE8, 3, 3, true},
        {0x03, std::nullopt, 0, false},  // two cause bits: no cause
        {0x8F, std::nullopt, 0, true},
    };
    for (const Case& c : cases) {
        const DtcStatusView v = dtcStatusView(c.status);
        EXPECT_EQ(v.cause, c.cause) << int(c.status);
        EXPECT_EQ(v.memo, c.memo) << int(c.status);
        EXPECT_EQ(v.lamp, c.lamp) << int(c.status);
    }
    EXPECT_EQ(cycleCounterText(0x00), " - ");
    EXPECT_EQ(cycleCounterText(0x40), "0");
    EXPECT_EQ(cycleCounterText(0x3B), "5");
}

TEST(Dtc59Code, AnswersWithoutTheirHeaderOrCutShort) {
    EXPECT_FALSE(dtcListAnswer("", "F110"));
    EXPECT_FALSE(dtcListAnswer("88F1107F1812", "0110"));
    // The answer starts at the format byte or without it: the count follows 0x58 either way.
    EXPECT_EQ(dtcListAnswer("88F1105802020122D600A886", "F110")->count, 2);
    // A count larger than the bytes present lists the complete records only.
    const auto list = dtcListAnswer("88F110580502012203", "F110");
    ASSERT_TRUE(list);
    EXPECT_EQ(list->count, 5);
    EXPECT_EQ(completeDtcRecords(*list), 1);
    EXPECT_EQ(dtcCodeAt(list->records, 2), "03");

    EXPECT_FALSE(dtcStatusAnswer("57020335240000000000004082", "F110"));
    const auto s = dtcStatusAnswer("8CF11057020335240000000000004082", "F110");
    ASSERT_TRUE(s);
    EXPECT_EQ(s->status, 0x24);
    EXPECT_EQ(s->counter, 0x40);
}

class Dtc59Test : public ::testing::Test, public DiagBench {
protected:
    std::unique_ptr<FrmDTC59> open(Dtc59Form form, int typeEcu, const std::string& ecuType = "IAW59MHW010") {
        auto w = std::make_unique<FrmDTC59>(loop, view, dtcHooks(), requests59(typeEcu), form, ecuType);
        w->Form_Load();
        return w;
    }

    bool checked(const std::string& control) const { return view[control].checked.value_or(false); }
};

TEST_F(Dtc59Test, DemonstrationListsP0201AndU1600) {
    demo(4);
    auto w = open(Dtc59Form::Kwp2000, 4);
    Dtc59Faults& f = w->faults();
    EXPECT_EQ(requests, (std::vector<std::string>{"1800FF00", "170201", "17D600"}));
    EXPECT_EQ(f.NbDefauts(), 2);
    EXPECT_EQ(f.listErreur(), (std::vector<std::string>{"0201", "D600"}));
    EXPECT_EQ(view.text("LabelNbErr"), "Erreur numéro 1 sur 2");
    EXPECT_EQ(view.text("LabelTextError"), "P0201\r\nCircuit d'injecteur - dysfonctionnement - cylindre 1\r\n - ");
    EXPECT_TRUE(checked("Cause(2)"));
    EXPECT_TRUE(checked("Memo(1)"));
    EXPECT_EQ(view["Shape1"].backColour, kDtcLampWhite);
    EXPECT_EQ(view.text("LabelNbCycle"), "0");
    EXPECT_FALSE(view.enabled("ButtonPrevious"));
    EXPECT_TRUE(view.enabled("ButtonNext"));
    EXPECT_EQ(
        traced.back(),
        std::make_pair(std::string("Erreur n°:1 P0201:Circuit d'injecteur - dysfonctionnement - cylindre 1"), false));

    const std::size_t sent = requests.size();
    f.ButtonNext_Click();
    EXPECT_EQ(requests.size(), sent);  // browsing sends nothing
    // No text for U1600: the defaults.
    EXPECT_EQ(view.text("LabelTextError"), "U1600\r\n  \r\n - ");
    EXPECT_EQ(view.text("LabelNbErr"), "Erreur numéro 2 sur 2");
    EXPECT_TRUE(view.enabled("ButtonPrevious"));
    EXPECT_FALSE(view.enabled("ButtonNext"));
    f.ButtonNext_Click();
    EXPECT_EQ(f.DefautCourant(), 2);
    f.ButtonPrevious_Click();
    EXPECT_EQ(f.DefautCourant(), 1);

    EXPECT_EQ(dtc59Json(f.record()),
              "{\"n\":1,\"of\":2,\"code\":\"P0201\",\"text\":\"Circuit d'injecteur - dysfonctionnement - cylindre "
              "1\",\"text2\":\" - \",\"cause\":\"Pas de signal\",\"memo\":\"Mémorisé\",\"lamp\":false,\"cycles\":"
              "\"0\"}");
}

TEST_F(Dtc59Test, SimulatedFaultsShowTheirStatusCounterAndLamp) {
    sim::KwpSessionOptions options;
    options.startAwake = true;
    sim::KwpScenario scenario = sim::KwpScenario::m59();
    scenario.faults = {
        {0x0335, true, true, false, 4, true, 5},     // present, no signal, lamp, seen 5 cycles ago
        {0x0122, false, true, false, 3, false, 64},  // stored, two cause bits, counter run out
    };
    sim::KwpEcu ecu(scenario, options);
    plug(ecu, 4);
    auto w = open(Dtc59Form::Kwp2000, 4);
    const std::vector<Dtc59Record> all = w->faults().readAll();
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0].code, "P0335");
    EXPECT_EQ(all[0].text, "Circuit du capteur de position vilebrequin A - dysfonctionnement");
    EXPECT_EQ(all[0].cause, "Pas de signal");
    EXPECT_EQ(all[0].memo, "Présent");
    EXPECT_TRUE(all[0].lamp);
    EXPECT_EQ(all[0].cycles, "5");
    EXPECT_EQ(all[1].code, "P0122");
    EXPECT_EQ(all[1].cause, "");
    EXPECT_EQ(all[1].memo, "Mémorisé");
    EXPECT_FALSE(all[1].lamp);
    EXPECT_EQ(all[1].cycles, " - ");
    EXPECT_EQ(all[1].of, 2);

    // Clearing erases the stored fault; the reloaded window shows what the ECU still reports.
    requests.clear();
    w->CleanError_Click();
    EXPECT_EQ(requests.front(), "14FF00");
    EXPECT_EQ(w->faults().NbDefauts(), 1);
    EXPECT_EQ(view.text("LabelNbErr"), "Erreur numéro 1 sur 1");
    EXPECT_FALSE(view.enabled("ButtonNext"));
    EXPECT_FALSE(view.enabled("ButtonPrevious"));
    EXPECT_TRUE(link.Timer_present().enabled());
}

TEST_F(Dtc59Test, EmptyMemoryOrNoAnswerListsNothing) {
    sim::KwpSessionOptions options;
    options.startAwake = true;
    sim::KwpEcu ecu(sim::KwpScenario::m59(), options);
    plug(ecu, 4);
    auto w = open(Dtc59Form::Kwp2000, 4);
    EXPECT_EQ(w->faults().NbDefauts(), 0);
    EXPECT_EQ(view.text("LabelNbErr"), "Pas d'erreur mémorisée");
    EXPECT_FALSE(view.enabled("HScrollError"));
    EXPECT_FALSE(view.visible("Shape1"));
    EXPECT_FALSE(view.enabled("FrameCause"));

    ecu.faults().dropNextAnswers(1);
    requests.clear();
    w->Form_Load();
    EXPECT_EQ(requests, (std::vector<std::string>{"1800FF00"}));
    EXPECT_EQ(w->faults().NbDefauts(), 0);
}

TEST_F(Dtc59Test, StatusAnswerLostLeavesTheOptionsButShowsTheCode) {
    sim::KwpSessionOptions options;
    options.startAwake = true;
    sim::KwpScenario scenario = sim::KwpScenario::m59();
    scenario.faults = {{0x0201, true, true, false, 1, true, 3}, {0x0202, false, true, false, 2, false, 0}};
    sim::KwpEcu ecu(scenario, options);
    plug(ecu, 4);
    Dtc59Hooks hooks = dtcHooks();
    auto send = hooks.EnvoieRequete;
    bool dropped = false;
    hooks.EnvoieRequete = [&](std::string_view r, std::string_view d, std::int16_t l, std::int16_t t) {
        if (r.substr(0, 2) == "17" && !dropped) {
            dropped = true;
            ecu.faults().dropNextAnswers(1);
        }
        return send(r, d, l, t);
    };
    FrmDTC59 w(loop, view, hooks, requests59(4), Dtc59Form::Kwp2000, "IAW59MHW010");
    w.Form_Load();
    EXPECT_EQ(w.faults().Listparametre().front(), "");
    EXPECT_EQ(view.text("LabelTextError").substr(0, 7), "P0201\r\n");
    for (int i = 0; i < 4; ++i) {
        EXPECT_FALSE(checked("Cause(" + std::to_string(i) + ")"));
        EXPECT_FALSE(checked("Memo(" + std::to_string(i) + ")"));
    }
    EXPECT_EQ(view.text("LabelNbCycle"), "");
    w.faults().ButtonNext_Click();
    EXPECT_TRUE(checked("Cause(1)"));
    EXPECT_EQ(view.text("LabelNbCycle"), "0");
}

TEST_F(Dtc59Test, AnswersCutAnywhereNeverListMoreThanIsThere) {
    const std::string read = "88F1105802020122D600A886";
    const std::string status = "8CF11057020335240000000000004082";
    for (std::size_t n = 0; n <= read.size(); ++n) {
        for (std::size_t m : {std::size_t{0}, status.size() / 2, status.size()}) {
            Dtc59Hooks hooks;
            hooks.EnvoieRequete = [&](std::string_view r, std::string_view, std::int16_t, std::int16_t) {
                return r.substr(0, 2) == "18" ? read.substr(0, n) : status.substr(0, m);
            };
            base::ViewState v;
            FrmDTC59 w(loop, v, hooks, requests59(4), Dtc59Form::Kwp2000, "");
            w.Form_Load();
            const int complete = n >= 22 ? 2 : (n >= 16 ? 1 : 0);
            ASSERT_EQ(w.faults().NbDefauts(), complete) << n << " " << m;
            const auto all = w.faults().readAll();
            ASSERT_EQ(static_cast<int>(all.size()), complete);
        }
    }
}

TEST_F(Dtc59Test, ObdDemonstrationCountsWithService01AndReadsCodesWithService03) {
    demo(5);
    auto w = open(Dtc59Form::ObdII, 5);
    EXPECT_EQ(requests, (std::vector<std::string>{"0101", "03"}));
    EXPECT_EQ(w->faults().NbDefauts(), 3);
    EXPECT_EQ(view.text("LabelTextError"), "P0123\r\nCircuit du capteur de position papillon A - signal haut\r\n - ");
    EXPECT_EQ(view.text("LabelNbErr"), "Erreur numéro 1 sur 3");
    // Status 0x80: the last memorisation option only.
    EXPECT_TRUE(checked("Memo(3)"));
    EXPECT_FALSE(checked("Cause(0)"));
    EXPECT_EQ(traced.front(), std::make_pair(std::string("86F1104101030680004F DTC: 17FF00"), true));
    EXPECT_EQ(traced.back().second, true);
    const auto all = w->faults().readAll();
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[1].code, "P0324");
    EXPECT_EQ(all[2].code, "P0244");
    EXPECT_FALSE(all[0].lamp);
}

TEST_F(Dtc59Test, SimulatedObdEcuFaults) {
    sim::KwpSessionOptions options;
    options.startAwake = true;
    sim::ObdScenario scenario;
    scenario.faults = {{0x0301, true, true, false, 0, true, 0}, {0xC100, false, true, false, 0, false, 0}};
    sim::ObdEcu ecu(scenario, options);
    plug(ecu, 5);
    auto w = open(Dtc59Form::ObdII, 5);
    const auto all = w->faults().readAll();
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0].code, "P0301");
    EXPECT_EQ(all[0].text, "Ratés d'allumage détectés - cylindre 1");
    EXPECT_EQ(all[1].code, "U0100");
    EXPECT_EQ(all[1].text, "Perte de communication avec le calculateur moteur A");
}

}  // namespace
}  // namespace dravio::diag
