#include "ecu/trimmer.h"

#include <gtest/gtest.h>

#include <functional>
#include <tuple>

namespace dravio::ecu {
namespace {

// A main window with a model's trimmer, a scripted ECU and the requests it gets.
struct Bench {
    explicit Bench(proto::Model model = proto::Model::M59) : trimmer(view, hooks(), model, "F110") {}

    LiveHooks hooks() {
        return {[this](std::string_view r, std::string_view demo, std::int16_t len, std::int16_t delai) {
                    sent.push_back(std::string(r) + "/" + std::to_string(len) + "/" + std::to_string(delai));
                    return ecu(r, demo);
                },
                [this](double s) { sent.push_back("wait " + std::to_string(s).substr(0, 4)); },
                [this](std::string_view line) { traces.emplace_back(line); },
                {}};
    }
    // Every answer is `answer`, or the canned one when it is null; 213D reads `read` when given.
    void answers(const char* answer, const char* read = nullptr) {
        ecu = [=](std::string_view r, std::string_view demo) {
            return std::string(read && r == "213D" ? read : answer ? answer : std::string(demo));
        };
    }
    std::vector<std::string> requestsOnly() const {
        std::vector<std::string> out;
        for (const auto& s : sent)
            if (s.rfind("wait", 0) != 0) out.push_back(s);
        return out;
    }

    base::ViewState view;
    std::vector<std::string> sent, traces;
    std::function<std::string(std::string_view, std::string_view)> ecu = [](std::string_view, std::string_view demo) {
        return std::string(demo);
    };
    LiveTrimmer trimmer;
};

TEST(GetTrimmerInitial, ReadsTheByteSignedAndTracesItsTwoDigits) {
    // The first answer is the canned one.
    const std::tuple<const char*, int, const char*> cases[] = {{nullptr, 9, "Trimmer Initial: 09"},
                                                               {"83F110613DFF25", -1, "Trimmer Initial: 255"},
                                                               {"FE83F110613D80", 128, "Trimmer Initial: 128"},
                                                               {"83F110613D", 0, "Trimmer Initial: 00"},
                                                               {"83F1107F213D12", 0, "Error Trimmer"},
                                                               {"", 0, "Error Trimmer"}};
    for (const auto& [answer, value, trace] : cases) {
        Bench b;
        b.answers(answer);
        EXPECT_EQ(b.trimmer.GetTrimmerInitial(), value) << trace;
        EXPECT_EQ(b.traces, std::vector<std::string>{trace});
        EXPECT_EQ(b.sent, std::vector<std::string>{"213D/7/1000"});
    }
}

TEST(GestionTrimmer, ChangesOnlyFrom600RpmAndNotWithTheEngineTest) {
    for (const auto& [regime, chMoteur, sends] :
         {std::tuple{0.0f, false, false}, {599.9f, false, false}, {600.0f, false, true}, {4000.0f, true, false}}) {
        SCOPED_TRACE(regime);
        Bench b;
        b.answers(nullptr, "83F110613D0325");
        b.view.setChecked("chMoteur", chMoteur);
        b.trimmer.HScrollTrimmerChange(5);
        b.trimmer.GestionTrimmer(regime);
        std::vector<std::string> expected = {"213D/7/800"};
        if (sends) expected.push_back("30150705/8/10000");
        EXPECT_EQ(b.requestsOnly(), expected);
        EXPECT_EQ(b.view.enabled("FrChgTrimmer"), sends);
        EXPECT_EQ(b.view.text("Trimmer"), "3");
    }
}

TEST(GestionTrimmer, ReadValuePerModel) {
    const std::tuple<proto::Model, const char*, const char*, std::vector<std::string>> cases[] = {
        {proto::Model::M59, "83F110613DFF25", "-1", {"213D/7/800"}},
        {proto::Model::M59, "7F", "0", {"213D/7/800"}},
        {proto::Model::MM15, "85", "5", {"0F/1/300"}},
        {proto::Model::RC15, "7E", "-2", {"0F/1/300"}},
        {proto::Model::MM15, "", "-128", {"0F/1/300"}},
        {proto::Model::MM16, "85", "0", {}},
        {proto::Model::P8, "85", "0", {}}};
    for (const auto& [model, answer, shown, requests] : cases) {
        SCOPED_TRACE(answer);
        Bench b(model);
        b.answers(answer);
        b.trimmer.TrimmerPremier = true;
        b.trimmer.GestionTrimmer(3000);
        // The first reading of a cycle goes into the scroll bar, so nothing is sent.
        EXPECT_EQ(b.view.text("Trimmer"), shown);
        EXPECT_EQ(b.view.text("lbTrimmer"), shown);
        EXPECT_FALSE(b.trimmer.TrimmerPremier);
        EXPECT_EQ(b.requestsOnly(), requests);
        if (model == proto::Model::M59) continue;
        // Other models never change or store it.
        b.trimmer.HScrollTrimmerChange(20);
        b.trimmer.CdMemoriseClick();
        b.trimmer.GestionTrimmer(3000);
        EXPECT_FALSE(b.view.visible("FrChgTrimmer"));
        for (const auto& r : b.requestsOnly()) EXPECT_EQ(r, "0F/1/300");
    }
}

TEST(SetTrimmer, SendsTheScrollValueAsAByteUnlessEqual) {
    for (const auto& [scroll, request, trace] : {std::tuple{-1, "301507FF/8/10000", "Trimmer: 255"},
                                                 {128, "30150780/8/10000", "Trimmer: 128"},
                                                 {-127, "30150781/8/10000", "Trimmer: 129"}}) {
        Bench b;
        b.trimmer.HScrollTrimmerChange(scroll);
        b.trimmer.SetTrimmer(7);
        EXPECT_EQ(b.sent, (std::vector<std::string>{"wait 0.06", request}));
        EXPECT_EQ(b.traces, std::vector<std::string>{trace});
    }
    Bench same;
    same.trimmer.HScrollTrimmerChange(12);
    same.trimmer.SetTrimmer(12);
    EXPECT_TRUE(same.sent.empty());
    for (const char* answer : {"", "83F1107F301522", "84F11070150580"}) {
        Bench refused;
        refused.answers(answer);
        refused.trimmer.HScrollTrimmerChange(3);
        refused.trimmer.SetTrimmer(0);
        EXPECT_EQ(refused.view.text("lbPanel1"), "Erreur sur la commande") << answer;
        EXPECT_TRUE(refused.traces.empty());
    }
}

TEST(SauveTrimmer, OutcomesOfTheStoreSequence) {
    const std::tuple<const char*, const char*, std::size_t> cases[] = {{"84F11070150505", "Commande OK", 0},
                                                                       {"83F1107F3022E5", "", 1},
                                                                       {"", "Erreur de commande", 0},
                                                                       {"83F1107F3012D5", "Erreur de commande", 0}};
    for (const auto& [storeAnswer, panel, boxes] : cases) {
        SCOPED_TRACE(storeAnswer);
        Bench b;
        b.ecu = [&](std::string_view r, std::string_view demo) {
            return r.substr(0, 6) == "301505" ? std::string(storeAnswer) : std::string(demo);
        };
        b.trimmer.HScrollTrimmerChange(5);
        b.trimmer.TrimmerASauver = true;
        b.trimmer.SauveTrimmer(5);
        EXPECT_EQ(b.sent, (std::vector<std::string>{"wait 0.06", "30150705/8/2000", "wait 0.06", "30150505/8/4000",
                                                    "wait 0.50"}));
        EXPECT_EQ(b.view.text("lbPanel1"), panel);
        ASSERT_EQ(b.view.messages().size(), boxes);
        if (boxes) {
            EXPECT_EQ(b.view.messages()[0].text, "Condition not correct");
            EXPECT_EQ(b.view.messages()[0].title, "La valeur Maximum possible est 126");
        }
        EXPECT_FALSE(b.trimmer.TrimmerASauver);
    }
}

TEST(SauveTrimmer, StoreWaitsForTheUnitToTakeTheValueAndFor600Rpm) {
    Bench b;
    b.answers(nullptr, "83F110613D0525");
    b.trimmer.HScrollTrimmerChange(5);
    b.trimmer.TrimmerASauver = true;
    b.trimmer.SauveTrimmer(3);
    EXPECT_TRUE(b.sent.empty());
    EXPECT_EQ(b.traces, std::vector<std::string>{"Sortie sauve : lue=3 trimmer = 5"});
    b.trimmer.CdMemoriseClick();
    b.trimmer.GestionTrimmer(550);
    EXPECT_EQ(b.requestsOnly(), std::vector<std::string>{"213D/7/800"});
    EXPECT_TRUE(b.trimmer.TrimmerASauver);
    b.sent.clear();
    b.trimmer.GestionTrimmer(600);
    EXPECT_EQ(b.requestsOnly(), (std::vector<std::string>{"213D/7/800", "30150705/8/2000", "30150505/8/4000"}));
}

}  // namespace
}  // namespace dravio::ecu
