#include "ecu/trimmer.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace dravio::ecu {
namespace {

// A main window with a model's trimmer and a scripted ECU.
struct Bench {
    explicit Bench(proto::Model model) : trimmer(view, hooks(), model, "F110") {}

    LiveHooks hooks() {
        return {[this](std::string_view r, std::string_view demo, std::int16_t len, std::int16_t delai) {
                    sent.push_back(std::string(r) + "/" + std::to_string(len) + "/" + std::to_string(delai));
                    return ecu(r, demo);
                },
                [this](double s) { sent.push_back("wait " + std::to_string(s).substr(0, 4)); },
                [this](std::string_view line) { traces.emplace_back(line); },
                {}};
    }

    std::vector<std::string> requestsOnly() const {
        std::vector<std::string> out;
        for (const auto& s : sent)
            if (s.rfind("wait", 0) != 0) out.push_back(s);
        return out;
    }

    base::ViewState view;
    std::vector<std::string> sent;
    std::vector<std::string> traces;
    std::function<std::string(std::string_view, std::string_view)> ecu = [](std::string_view, std::string_view demo) {
        return std::string(demo);
    };
    LiveTrimmer trimmer;
};

TEST(TrimmerBytes, SignedConversions) {
    const std::pair<int, int> toByte[] = {{-1, 0xFF}, {-127, 129}, {-128, 128}, {0, 0}, {9, 9}, {127, 127}, {128, 128}};
    for (auto [value, byte] : toByte) EXPECT_EQ(trimmerToByte(value), byte) << value;
    const std::pair<int, int> fromByte[] = {{0xFF, -1}, {129, -127}, {128, 128}, {0, 0}, {9, 9}, {127, 127}};
    for (auto [byte, value] : fromByte) EXPECT_EQ(trimmerFromByte(byte), value) << byte;
}

TEST(GetTrimmerInitial, ReadsTheByteSignedAndTracesItsTwoDigits) {
    struct Case {
        const char* answer;
        int value;
        const char* trace;
    };
    const Case cases[] = {
        {"83F110613D0925", 9, "Trimmer Initial: 09"},
        {"83F110613DC825", -56, "Trimmer Initial: 200"},
        {"FE83F110613D80", 128, "Trimmer Initial: 128"},
        {"83F110613D", 0, "Trimmer Initial: 00"},
        {"83F1107F213D12", 0, "Error Trimmer"},
        {"", 0, "Error Trimmer"},
    };
    for (const auto& c : cases) {
        Bench b(proto::Model::M59);
        b.ecu = [&](std::string_view, std::string_view) { return std::string(c.answer); };
        EXPECT_EQ(b.trimmer.GetTrimmerInitial(), c.value) << c.answer;
        EXPECT_EQ(b.traces, std::vector<std::string>{c.trace});
        EXPECT_EQ(b.sent, std::vector<std::string>{"213D/7/1000"});
    }
}

TEST(GetTrimmerInitial, CannedAnswerInDemonstration) {
    Bench b(proto::Model::M59);
    EXPECT_EQ(b.trimmer.GetTrimmerInitial(), 9);
    EXPECT_EQ(b.traces, std::vector<std::string>{"Trimmer Initial: 09"});
}

TEST(GestionTrimmer, ChangesOnlyFrom600RpmAndNotWithTheEngineTest) {
    struct Case {
        float regime;
        bool chMoteur;
        bool sends;
    };
    for (const Case c : {Case{0, false, false}, Case{599.9f, false, false}, Case{600, false, true},
                         Case{4000, false, true}, Case{4000, true, false}}) {
        SCOPED_TRACE(c.regime);
        Bench b(proto::Model::M59);
        b.ecu = [](std::string_view r, std::string_view demo) {
            return r == "213D" ? std::string("83F110613D0325") : std::string(demo);
        };
        b.view.setChecked("chMoteur", c.chMoteur);
        b.trimmer.HScrollTrimmerChange(5);
        b.trimmer.GestionTrimmer(c.regime);
        std::vector<std::string> expected = {"213D/7/800"};
        if (c.sends) expected.push_back("30150705/8/10000");
        EXPECT_EQ(b.requestsOnly(), expected);
        EXPECT_EQ(b.view.enabled("FrChgTrimmer"), c.sends);
        EXPECT_EQ(b.view.enabled("mnTrimmer"), c.sends);
        EXPECT_EQ(b.view.text("Trimmer"), "3");
        EXPECT_TRUE(b.view.enabled("CdMemorise"));
    }
}

TEST(GestionTrimmer, ReadValuePerModel) {
    struct Case {
        proto::Model model;
        const char* answer;
        const char* shown;
        std::vector<std::string> requests;
    };
    const Case cases[] = {
        {proto::Model::M59, "83F110613DFF25", "-1", {"213D/7/800"}},
        {proto::Model::M59, "83F110613D8025", "128", {"213D/7/800"}},
        {proto::Model::M59, "7F", "0", {"213D/7/800"}},
        {proto::Model::MM15, "85", "5", {"0F/1/300"}},
        {proto::Model::RC15, "7E", "-2", {"0F/1/300"}},
        {proto::Model::MM15, "", "-128", {"0F/1/300"}},
        {proto::Model::MM16, "85", "0", {}},
        {proto::Model::P8, "85", "0", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answer);
        Bench b(c.model);
        b.ecu = [&](std::string_view, std::string_view) { return std::string(c.answer); };
        b.trimmer.TrimmerPremier = true;
        b.trimmer.GestionTrimmer(3000);
        EXPECT_EQ(b.view.text("Trimmer"), c.shown);
        // The first reading of a cycle goes into the scroll bar, so nothing is sent.
        EXPECT_EQ(std::to_string(b.trimmer.scrollValue()), c.shown);
        EXPECT_EQ(b.view.text("lbTrimmer"), c.shown);
        EXPECT_FALSE(b.trimmer.TrimmerPremier);
        EXPECT_EQ(b.requestsOnly(), c.requests);
    }
}

TEST(GestionTrimmer, OtherModelsHideTheChangeFrameAndSendNothing) {
    for (auto model : {proto::Model::MM16, proto::Model::MM15, proto::Model::RC15, proto::Model::P8}) {
        Bench b(model);
        b.trimmer.HScrollTrimmerChange(20);
        b.trimmer.CdMemoriseClick();
        b.trimmer.GestionTrimmer(3000);
        EXPECT_FALSE(b.view.visible("FrChgTrimmer")) << model;
        for (const auto& r : b.requestsOnly()) EXPECT_EQ(r, "0F/1/300") << model;
    }
}

TEST(GestionTrimmer, DisabledChannelShowsDashesAndAsksNothing) {
    Bench b(proto::Model::M59);
    b.view.setEnabled("Trimmer", false);
    b.trimmer.HScrollTrimmerChange(20);
    b.trimmer.GestionTrimmer(3000);
    EXPECT_EQ(b.view.text("Trimmer"), "--");
    EXPECT_FALSE(b.view.visible("FrChgTrimmer"));
    EXPECT_FALSE(b.view.visible("mnTrimmer"));
    EXPECT_TRUE(b.sent.empty());
}

TEST(GestionTrimmer, DemonstrationEchoesTheScrollValue) {
    // The canned read-back carries the scroll value, so the unit "takes" it at once.
    Bench b(proto::Model::M59);
    b.trimmer.HScrollTrimmerChange(-1);
    b.trimmer.GestionTrimmer(3000);
    EXPECT_EQ(b.view.text("Trimmer"), "-1");
    EXPECT_EQ(b.requestsOnly(), std::vector<std::string>{"213D/7/800"});
}

TEST(SetTrimmer, SendsTheScrollValueAsAByte) {
    struct Case {
        int scroll;
        const char* request;
        const char* trace;
    };
    for (const Case c : {Case{-1, "301507FF/8/10000", "Trimmer: 255"}, Case{128, "30150780/8/10000", "Trimmer: 128"},
                         Case{0, "30150700/8/10000", "Trimmer: 0"}, Case{-127, "30150781/8/10000", "Trimmer: 129"}}) {
        Bench b(proto::Model::M59);
        b.trimmer.HScrollTrimmerChange(c.scroll);
        b.trimmer.SetTrimmer(7);
        EXPECT_EQ(b.sent, (std::vector<std::string>{"wait 0.06", c.request}));
        EXPECT_EQ(b.traces, std::vector<std::string>{c.trace});
    }
}

TEST(SetTrimmer, NothingWhenEqualClampAbove255AndErrorWithoutPositiveAnswer) {
    Bench same(proto::Model::M59);
    same.trimmer.HScrollTrimmerChange(12);
    same.trimmer.SetTrimmer(12);
    EXPECT_TRUE(same.sent.empty());

    Bench high(proto::Model::M59);
    high.trimmer.HScrollTrimmerChange(256);
    high.trimmer.SetTrimmer(0);
    EXPECT_TRUE(high.sent.empty());
    EXPECT_EQ(high.trimmer.scrollValue(), 255);
    EXPECT_EQ(high.view.text("lbTrimmer"), "255");

    for (const char* answer : {"", "83F1107F301522", "84F11070150580"}) {
        Bench refused(proto::Model::M59);
        refused.ecu = [&](std::string_view, std::string_view) { return std::string(answer); };
        refused.trimmer.HScrollTrimmerChange(3);
        refused.trimmer.SetTrimmer(0);
        EXPECT_EQ(refused.view.text("lbPanel1"), "Erreur sur la commande") << answer;
        EXPECT_TRUE(refused.traces.empty());
    }
}

TEST(SauveTrimmer, OutcomesOfTheStoreSequence) {
    struct Case {
        const char* storeAnswer;
        const char* panel;
        std::size_t boxes;
    };
    const Case cases[] = {
        {"84F11070150505", "Commande OK", 0},
        {"83F1107F3022E5", "", 1},
        {"", "Erreur de commande", 0},
        {"83F1107F3012D5", "Erreur de commande", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.storeAnswer);
        Bench b(proto::Model::M59);
        b.ecu = [&](std::string_view r, std::string_view demo) {
            return r.substr(0, 6) == "301505" ? std::string(c.storeAnswer) : std::string(demo);
        };
        b.trimmer.HScrollTrimmerChange(5);
        b.trimmer.TrimmerASauver = true;
        b.trimmer.SauveTrimmer(5);
        EXPECT_EQ(b.sent, (std::vector<std::string>{"wait 0.06", "30150705/8/2000", "wait 0.06", "30150505/8/4000",
                                                    "wait 0.50"}));
        EXPECT_EQ(b.view.text("lbPanel1"), c.panel);
        ASSERT_EQ(b.view.messages().size(), c.boxes);
        if (c.boxes) {
            EXPECT_EQ(b.view.messages()[0].text, "Condition not correct");
            EXPECT_EQ(b.view.messages()[0].title, "La valeur Maximum possible est 126");
        }
        EXPECT_FALSE(b.trimmer.TrimmerASauver);
    }
}

TEST(SauveTrimmer, WaitsUntilTheUnitHasTakenTheValue) {
    Bench b(proto::Model::M59);
    b.trimmer.HScrollTrimmerChange(5);
    b.trimmer.TrimmerASauver = true;
    b.trimmer.SauveTrimmer(3);
    EXPECT_TRUE(b.sent.empty());
    EXPECT_EQ(b.traces, std::vector<std::string>{"Sortie sauve : lue=3 trimmer = 5"});
    EXPECT_TRUE(b.trimmer.TrimmerASauver);
}

TEST(SauveTrimmer, StoreAskedAtIdleWaitsFor600Rpm) {
    Bench b(proto::Model::M59);
    b.ecu = [](std::string_view r, std::string_view demo) {
        return r == "213D" ? std::string("83F110613D0525") : std::string(demo);
    };
    b.trimmer.HScrollTrimmerChange(5);
    b.trimmer.CdMemoriseClick();
    b.trimmer.GestionTrimmer(550);
    EXPECT_EQ(b.requestsOnly(), std::vector<std::string>{"213D/7/800"});
    EXPECT_TRUE(b.trimmer.TrimmerASauver);

    b.sent.clear();
    b.trimmer.GestionTrimmer(600);
    EXPECT_EQ(b.requestsOnly(), (std::vector<std::string>{"213D/7/800", "30150705/8/2000", "30150505/8/4000"}));
    EXPECT_EQ(b.view.text("lbPanel1"), "Commande OK");
    EXPECT_FALSE(b.trimmer.TrimmerASauver);
}

TEST(TrimmerActions, ScrollKeysAndReset) {
    Bench b(proto::Model::M59);
    b.trimmer.TrimmerInitial = -4;
    b.trimmer.HScrollTrimmerChange(10);
    b.trimmer.mnPlusClick();
    EXPECT_EQ(b.view.text("lbTrimmer"), "11");
    b.trimmer.mnMoinsUnClick();
    b.trimmer.mnMoinsUnClick();
    EXPECT_EQ(b.trimmer.scrollValue(), 9);
    b.trimmer.cdTrimmerClick();
    EXPECT_EQ(b.trimmer.scrollValue(), -4);
    EXPECT_EQ(b.view.text("lbTrimmer"), "-4");
}

TEST(TrimmerTexts, ComeFromTheLanguage) {
    base::ViewState view;
    LiveTrimmer trimmer(view,
                        {[](std::string_view, std::string_view, std::int16_t, std::int16_t) {
                             return std::string("83F1107F3022E5");
                         },
                         {}, {}, [](int id, const std::string&) { return "#" + std::to_string(id); }},
                        proto::Model::M59, "F110");
    trimmer.HScrollTrimmerChange(2);
    trimmer.SetTrimmer(0);
    EXPECT_EQ(view.text("lbPanel1"), "#708");
    trimmer.SauveTrimmer(2);
    ASSERT_EQ(view.messages().size(), 1u);
    EXPECT_EQ(view.messages()[0].text, "#712");
    EXPECT_EQ(view.messages()[0].title, "#706");
}

}  // namespace
}  // namespace dravio::ecu
