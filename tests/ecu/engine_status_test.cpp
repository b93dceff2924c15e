#include "ecu/engine_status.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "proto/hex.h"

namespace dravio::ecu {
namespace {

constexpr const char* kCannedStatus = "92F11061A603030000040010000001010001000101B9";

// A status block answer whose data bytes are the canned ones with `changes` applied.
std::string statusBlock(std::vector<std::pair<int, int>> changes) {
    std::array<int, 16> data = {3, 3, 0, 0, 4, 0, 0x10, 0, 0, 1, 1, 0, 1, 0, 1, 1};
    for (auto [k, v] : changes) data[static_cast<std::size_t>(k)] = v;
    std::string text = "92F11061A6";
    for (int b : data) text += proto::ByteToHex(b);
    return text + "B9";
}

struct Fixture {
    base::ViewState view;
    std::vector<std::string> log;
    std::function<std::string(std::string_view)> answer = [](std::string_view) { return std::string(); };
    EngineStatus status{view,
                        {[this](std::string_view r, std::string_view demo, std::int16_t len, std::int16_t delai) {
                             log.push_back(std::string(r) + "/" + std::to_string(len) + "/" + std::to_string(delai) +
                                           "/" + std::string(demo));
                             return answer(demo);
                         },
                         [this](double s) { log.push_back("wait " + std::to_string(s)); },
                         {},
                         [this] { log.push_back("pump"); }},
                        "F110"};
};

TEST(EngineStatus, CannedAnswersGiveTheirTextsAndLamps) {
    Fixture f;
    f.answer = [](std::string_view demo) { return std::string(demo); };
    f.status.DecodeStatuts();
    const auto& v = f.view;
    struct Text {
        const char* control;
        const char* text;
    };
    for (const Text& t : {Text{"txStatutMotor", "Engine ON"}, Text{"txModeMotor", "Minimo al Crank"},
                          Text{"txBequille", "Rentrée"}, Text{"txEmbrayage", "Released"}, Text{"txTPS", "Minimum"},
                          Text{"txRunStop", "Run"}, Text{"txDemarrage", "Ready"}, Text{"txRichesse", "Pauvre"}})
        EXPECT_EQ(v.text(t.control), t.text) << t.control;
    struct Lamp {
        const char* control;
        std::uint32_t colour;
    };
    for (const Lamp& l : {Lamp{"ShBequille", 255}, Lamp{"shEmbrayage", 65280}, Lamp{"shNeutral", 65280},
                          Lamp{"ShRunStop", 255}, Lamp{"ShDemarrage", 255}})
        EXPECT_EQ(v[l.control].backColour, l.colour) << l.control;
}

TEST(EngineStatus, RequestsTheirWaitsAndTheEventPumpComeInOrder) {
    Fixture f;
    f.status.DecodeStatuts();
    EXPECT_EQ(f.log, (std::vector<std::string>{"pump", "wait 0.080000",
                                               std::string("21A6/22/1000/") + kCannedStatus, "wait 0.080000",
                                               "214B/7/800/83F110614B0240"}));
}

TEST(EngineStatus, TextsComeFromTheLanguageByTheirIds) {
    base::ViewState view;
    EngineStatus status(view, {{}, {}, [](int id, const std::string&) { return "#" + std::to_string(id); }, {}},
                        "F110");
    status.showStatusBlock(statusBlock({{8, 1}, {10, 4}}));
    status.showLambdaControl("83F110614B0240");
    EXPECT_EQ(view.text("txStatutMotor"), "#908");
    EXPECT_EQ(view.text("txModeMotor"), "#916");
    EXPECT_EQ(view.text("txBequille"), "#558");
    EXPECT_EQ(view.text("txTPS"), "#349");
    EXPECT_EQ(view.text("txRichesse"), "#161");
    // Texts that have no id stay as they are.
    EXPECT_EQ(view.text("txEmbrayage"), "Released");
    EXPECT_EQ(view.text("txRunStop"), "Run");
}

TEST(EngineStatus, EngineStateByte) {
    const std::pair<int, const char*> cases[] = {
        {1, "Power ON Eng OFF"}, {2, "Key ON Eng OFF"},   {4, "Engine ON"},
        {8, "Engine stall / Moteur Calé"}, {16, "Process Power-Latch"}, {32, "End of power-Latch"},
        {0, "N/A"}, {3, "N/A"}, {5, "N/A"}, {64, "N/A"}, {255, "N/A"},
    };
    for (const auto& [state, text] : cases) {
        base::ViewState view;
        EngineStatus(view, {}, "F110").showStatusBlock(statusBlock({{4, state}}));
        EXPECT_EQ(view.text("txStatutMotor"), text) << state;
    }
}

TEST(EngineStatus, ModeWordOnlySingleBitsHaveTexts) {
    const std::pair<int, const char*> cases[] = {
        {0x0001, "Crank/Démarrage"},
        {0x0002, "Stabilizzato in Crank"},
        {0x0004, "Decelerazione in Crank"},
        {0x0008, "Accelerazione in Crank"},
        {0x0010, "Minimo al Crank"},
        {0x0020, "Motore in moto stabilizzato"},
        {0x0040, "Motore in moto al minimo"},
        {0x0080, "Motore in moto in accelerazione"},
        {0x0100, "Motore in moto in decelerazione"},
        {0x0200, "Entrata in Cut-Off"},
        {0x0400, "Stato in Cut-Off"},
        {0x0800, "Uscita di Cut-Off"},
        {0x1000, "Uscita da Cut-Off in Stabilizzato"},
        {0x2000, "Uscita da Cut-Off in accelerazione"},
        {0x0003, "N/A"},
        {0x0000, "N/A"},
        {0x4000, "N/A"},
        {0x1001, "N/A"},
    };
    for (const auto& [word, text] : cases) {
        base::ViewState view;
        EngineStatus(view, {}, "F110").showStatusBlock(statusBlock({{5, word >> 8}, {6, word & 0xFF}}));
        EXPECT_EQ(view.text("txModeMotor"), text) << word;
    }
}

TEST(EngineStatus, SwitchBytesGiveTextsAndLamps) {
    struct Case {
        int byte;
        int value;
        const char* textControl;  // nullptr: lamp only
        const char* text;
        const char* lampControl;  // nullptr: text only
        std::uint32_t colour;
    };
    const Case cases[] = {
        {8, 0, "txBequille", "Rentrée", "ShBequille", kLampRed},
        {8, 1, "txBequille", "Sortie", "ShBequille", kLampGreen},
        {8, 2, "txBequille", "N/A", "ShBequille", kLampGreen},
        {9, 0, "txEmbrayage", "Pressed", "shEmbrayage", kLampRed},
        {9, 1, "txEmbrayage", "Released", "shEmbrayage", kLampGreen},
        {9, 7, "txEmbrayage", "N/A", "shEmbrayage", kLampGreen},
        {10, 1, "txTPS", "Minimum", nullptr, 0},
        {10, 2, "txTPS", "Full", nullptr, 0},
        {10, 4, "txTPS", "Partiel", nullptr, 0},
        {10, 3, "txTPS", "N/A", nullptr, 0},
        {10, 0, "txTPS", "N/A", nullptr, 0},
        {12, 0, nullptr, nullptr, "shNeutral", kLampRed},
        {12, 1, nullptr, nullptr, "shNeutral", kLampGreen},
        {12, 0x80, nullptr, nullptr, "shNeutral", kLampGreen},
        {13, 0, "txRunStop", "Run", "ShRunStop", kLampRed},
        {13, 1, "txRunStop", "Stop", "ShRunStop", kLampGreen},
        {13, 2, "txRunStop", "N/A", "ShRunStop", kLampGreen},
        {14, 0, "txDemarrage", "Not Ready", "ShDemarrage", kLampGreen},
        {14, 1, "txDemarrage", "Ready", "ShDemarrage", kLampRed},
        {14, 9, "txDemarrage", "N/A", "ShDemarrage", kLampRed},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.byte) + "=" + std::to_string(c.value));
        base::ViewState view;
        EngineStatus(view, {}, "F110").showStatusBlock(statusBlock({{c.byte, c.value}}));
        if (c.textControl) {
            EXPECT_EQ(view.text(c.textControl), c.text);
        }
        if (c.lampControl) {
            EXPECT_EQ(view[c.lampControl].backColour, c.colour);
        }
    }
}

TEST(EngineStatus, EmptyOrShortAnswerReadsMissingBytesAsZero) {
    for (std::string answer : {std::string(), std::string("92F110"), std::string(kCannedStatus).substr(0, 18)}) {
        SCOPED_TRACE(answer);
        base::ViewState view;
        EngineStatus status(view, {}, "F110");
        status.showStatusBlock(kCannedStatus);
        status.showStatusBlock(answer);
        EXPECT_EQ(view.text("txStatutMotor"), "N/A");
        EXPECT_EQ(view.text("txModeMotor"), "N/A");
        EXPECT_EQ(view.text("txBequille"), "Rentrée");
        EXPECT_EQ(view.text("txEmbrayage"), "Pressed");
        EXPECT_EQ(view.text("txTPS"), "N/A");
        EXPECT_EQ(view.text("txRunStop"), "Run");
        EXPECT_EQ(view.text("txDemarrage"), "Not Ready");
        EXPECT_EQ(view["shEmbrayage"].backColour, kLampRed);
        EXPECT_EQ(view["shNeutral"].backColour, kLampRed);
        EXPECT_EQ(view["ShDemarrage"].backColour, kLampGreen);
    }
}

TEST(EngineStatus, LambdaControlState) {
    const std::pair<const char*, const char*> cases[] = {
        {"83F110614B0140", "Crank/ralenti"},
        {"83F110614B0240", "Pauvre"},
        {"83F110614B0440", "Transition vers Riche"},
        {"83F110614B0840", "Riche"},
        {"83F110614B1040", "Transition vers Pauvre"},
        {"83F110614B2040", "Anomalie Pauvre"},
        {"83F110614B4040", "Anomalie Riche"},
        {"FE83F110614B08", "Riche"},  // found where it is
        {"83F110614B0340", "N/A"},
        {"83F110614B8040", "N/A"},
        {"83F110614B", "N/A"},
        {"83F112614B0240", "N/A"},
        {"83F1107F214B12", "N/A"},
        {"", "N/A"},
    };
    for (const auto& [answer, text] : cases) {
        base::ViewState view;
        EngineStatus status(view, {}, "F110");
        status.showLambdaControl("83F110614B0840");
        status.showLambdaControl(answer);
        EXPECT_EQ(view.text("txRichesse"), text) << answer;
    }
}

}  // namespace
}  // namespace dravio::ecu
