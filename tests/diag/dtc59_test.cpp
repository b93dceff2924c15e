#include <gtest/gtest.h>

#include "diag/dtc59_code.h"
#include "diag/dtc59_window.h"
#include "dtc59_fixture.h"
#include "sim/kwp_ecu.h"
#include "sim/obd_ecu.h"

namespace dravio::diag {
namespace {

TEST(Dtc59Code, SaeFormTextKeyAndCounter) {
    const std::tuple<const char*, const char*, int> codes[] = {
        {"0335", "P0335", 10335}, {"D600", "U1600", 21600},
        {"4123", "C0123", 30123}, {"8A05", "B0A05", 41000},  // decimal reading stops at the first letter
        {"1234", "P1234", 11234}, {"", "P0", 10000},
    };
    for (const auto& [code, sae, key] : codes) {
        EXPECT_EQ(saeCode(code), sae) << code;
        EXPECT_EQ(dtcTextKey(code), key) << code;
    }
    EXPECT_EQ(cycleCounterText(0x00), " - ");
    EXPECT_EQ(cycleCounterText(0x3B), "5");
}

class Dtc59Test : public ::testing::Test, public DiagBench {
protected:
    FrmDTC59& open(Dtc59Form form, proto::Model model, Dtc59Hooks hooks) {
        window = std::make_unique<FrmDTC59>(loop, view, std::move(hooks), requests59(model), form, "IAW59MHW010");
        window->Form_Load();
        return *window;
    }
    FrmDTC59& open(Dtc59Form form, proto::Model model) { return open(form, model, dtcHooks()); }
    sim::KwpEcu& plug59(std::vector<sim::EngineFault> faults) {
        sim::KwpSessionOptions options;
        options.startAwake = true;
        sim::KwpScenario scenario = sim::KwpScenario::m59();
        scenario.faults = std::move(faults);
        ecu = std::make_unique<sim::KwpEcu>(scenario, options);
        plug(*ecu, proto::Model::M59);
        return *ecu;
    }
    bool checked(const std::string& control) const { return view[control].checked.value_or(false); }

    std::unique_ptr<sim::KwpEcu> ecu;
    std::unique_ptr<FrmDTC59> window;
};

TEST_F(Dtc59Test, DemonstrationListsP0201AndU1600) {
    demo(proto::Model::M59);
    Dtc59Faults& f = open(Dtc59Form::Kwp2000, proto::Model::M59).faults();
    EXPECT_EQ(requests, (std::vector<std::string>{"1800FF00", "170201", "17D600"}));
    EXPECT_EQ(view.text("LabelNbErr"), "Erreur numéro 1 sur 2");
    EXPECT_EQ(view.text("LabelTextError"), "P0201\r\nCircuit d'injecteur - dysfonctionnement - cylindre 1\r\n - ");
    EXPECT_EQ(traced.back().first, "Erreur n°:1 P0201:Circuit d'injecteur - dysfonctionnement - cylindre 1");
    EXPECT_EQ(dtc59Json(f.record()),
              "{\"n\":1,\"of\":2,\"code\":\"P0201\",\"text\":\"Circuit d'injecteur - dysfonctionnement - cylindre "
              "1\",\"text2\":\" - \",\"cause\":\"Pas de signal\",\"memo\":\"Mémorisé\",\"lamp\":false,\"cycles\":"
              "\"0\"}");
    const std::size_t sent = requests.size();
    f.ButtonNext_Click();
    EXPECT_EQ(requests.size(), sent);                              // browsing sends nothing
    EXPECT_EQ(view.text("LabelTextError"), "U1600\r\n  \r\n - ");  // no text: the defaults
    EXPECT_EQ(view.text("LabelNbErr"), "Erreur numéro 2 sur 2");
    EXPECT_FALSE(view.enabled("ButtonNext"));
}

TEST_F(Dtc59Test, SimulatedFaultsThenClearingReloadsWhatIsLeft) {
    plug59({{0x0335, true, true, false, 4, true, 5}, {0x0122, false, true, false, 3, false, 64}});
    FrmDTC59& w = open(Dtc59Form::Kwp2000, proto::Model::M59);
    const std::vector<Dtc59Record> all = w.faults().readAll();
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(dtc59Json(all[0]).substr(dtc59Json(all[0]).find("\"cause\"")),
              "\"cause\":\"Pas de signal\",\"memo\":\"Présent\",\"lamp\":true,\"cycles\":\"5\"}");
    EXPECT_EQ(all[1].cause, "");  // two cause bits
    EXPECT_EQ(all[1].cycles, " - ");  // counter byte 0
    requests.clear();
    w.CleanError_Click();
    EXPECT_EQ(requests.front(), "14FF00");
    EXPECT_EQ(w.faults().NbDefauts(), 1);  // the present fault is back at once
    ecu->faults().dropNextAnswers(1);
    w.Form_Load();
    EXPECT_EQ(view.text("LabelNbErr"), "Pas d'erreur mémorisée");
    EXPECT_FALSE(view.visible("Shape1"));
}

TEST_F(Dtc59Test, AnswersCutAnywhereNeverListMoreThanIsThere) {
    const std::string read = "88F1105802020122D600A886";  // a count larger than the bytes when cut
    const std::string status = "8CF11057020335240000000000004082";
    for (std::size_t n = 0; n <= read.size(); ++n) {
        for (std::size_t m : {std::size_t{0}, status.size() / 2, status.size()}) {
            Dtc59Hooks hooks;
            hooks.EnvoieRequete = [&](std::string_view r, auto, auto, auto) {
                return r.substr(0, 2) == "18" ? read.substr(0, n) : status.substr(0, m);
            };
            FrmDTC59& w = open(Dtc59Form::Kwp2000, proto::Model::M59, hooks);
            const std::size_t complete = n >= 22 ? 2 : (n >= 16 ? 1 : 0);
            ASSERT_EQ(w.faults().readAll().size(), complete) << n << " " << m;
            if (complete == 0) continue;
            EXPECT_EQ(view.text("LabelTextError").substr(0, 5), complete == 2 ? "U1600" : "P0201");
            // Without a status answer the code still shows, with nothing selected.
            EXPECT_EQ(checked("Cause(2)"), m != 0);
        }
    }
}

TEST_F(Dtc59Test, ObdFormCountsWithService01AndReadsCodesWithService03) {
    demo(proto::Model::Obd);
    FrmDTC59& w = open(Dtc59Form::ObdII, proto::Model::Obd);
    EXPECT_EQ(requests, (std::vector<std::string>{"0101", "03"}));
    EXPECT_EQ(view.text("LabelNbErr"), "Erreur numéro 1 sur 3");
    EXPECT_EQ(view.text("LabelTextError"), "P0123\r\nCircuit du capteur de position papillon A - signal haut\r\n - ");
    EXPECT_TRUE(checked("Memo(3)"));  // status 0x80
    EXPECT_EQ(w.faults().readAll().back().code, "P0244");
}

}  // namespace
}  // namespace dravio::diag
