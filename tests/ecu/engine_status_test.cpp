#include "ecu/engine_status.h"

#include <gtest/gtest.h>

#include <array>
#include <tuple>

#include "proto/hex.h"

namespace dravio::ecu {
namespace {

constexpr const char* kCannedStatus = "92F11061A603030000040010000001010001000101B9";
constexpr const char* kControls[] = {"txStatutMotor", "txModeMotor", "txBequille", "txEmbrayage",
                                     "txTPS",         "txRunStop",   "txDemarrage"};
constexpr const char* kLamps[] = {"ShBequille", "shEmbrayage", "shNeutral", "ShRunStop", "ShDemarrage"};

// A status block answer whose data bytes are the canned ones with `changes` applied.
std::string statusBlock(std::vector<std::pair<int, int>> changes) {
    std::array<int, 16> data = {3, 3, 0, 0, 4, 0, 0x10, 0, 0, 1, 1, 0, 1, 0, 1, 1};
    for (auto [k, v] : changes) data[static_cast<std::size_t>(k)] = v;
    std::string text = "92F11061A6";
    for (int b : data) text += proto::ByteToHex(b);
    return text + "B9";
}

std::vector<std::string> texts(const base::ViewState& view) {
    std::vector<std::string> out;
    for (const char* c : kControls) out.push_back(view.text(c));
    return out;
}

std::vector<std::uint32_t> lamps(const base::ViewState& view) {
    std::vector<std::uint32_t> out;
    for (const char* l : kLamps) out.push_back(view[l].backColour.value_or(0));
    return out;
}

TEST(EngineStatus, CannedAnswersComeInOrderAndGiveTheirTextsAndLamps) {
    base::ViewState v;
    std::vector<std::string> log;
    const auto exchange = [&](std::string_view r, std::string_view demo, std::int16_t len, std::int16_t delai) {
        log.push_back(std::string(r) + "/" + std::to_string(len) + "/" + std::to_string(delai));
        return std::string(demo);
    };
    EngineStatus status{
        v,
        {exchange, [&](double s) { log.push_back("wait " + std::to_string(s)); }, {}, [&] { log.push_back("pump"); }},
        "F110"};
    status.DecodeStatuts();
    EXPECT_EQ(log, (std::vector<std::string>{"pump", "wait 0.080000", "21A6/22/1000", "wait 0.080000", "214B/7/800"}));
    EXPECT_EQ(texts(v), (std::vector<std::string>{"Engine ON", "Minimo al Crank", "Rentrée", "Released", "Minimum",
                                                  "Run", "Ready"}));
    EXPECT_EQ(lamps(v), (std::vector<std::uint32_t>{kLampRed, kLampGreen, kLampGreen, kLampRed, kLampRed}));
    EXPECT_EQ(v.text("txRichesse"), "Pauvre");
    // A short block reads its missing bytes as zero.
    for (std::string answer : {std::string(), std::string(kCannedStatus).substr(0, 18)}) {
        status.showStatusBlock(answer);
        EXPECT_EQ(texts(v), (std::vector<std::string>{"N/A", "N/A", "Rentrée", "Pressed", "N/A", "Run", "Not Ready"}));
        EXPECT_EQ(lamps(v), (std::vector<std::uint32_t>{kLampRed, kLampRed, kLampRed, kLampRed, kLampGreen}));
    }
}

TEST(EngineStatus, StatusBytesGiveTextsAndLamps) {
    // Control index in kControls (-1: none), its text, lamp index in kLamps (-1: none), its colour.
    const std::tuple<std::vector<std::pair<int, int>>, int, const char*, int, std::uint32_t> cases[] = {
        {{{4, 8}}, 0, "Engine stall / Moteur Calé", -1, 0},
        {{{4, 3}}, 0, "N/A", -1, 0},  // one bit only
        {{{4, 64}}, 0, "N/A", -1, 0},
        {{{5, 0x20}, {6, 0}}, 1, "Uscita da Cut-Off in accelerazione", -1, 0},
        {{{5, 0}, {6, 1}}, 1, "Crank/Démarrage", -1, 0},
        {{{5, 0}, {6, 3}}, 1, "N/A", -1, 0},
        {{{5, 0x40}, {6, 0}}, 1, "N/A", -1, 0},
        {{{8, 1}}, 2, "Sortie", 0, kLampGreen},
        {{{8, 2}}, 2, "N/A", 0, kLampGreen},
        {{{9, 7}}, 3, "N/A", 1, kLampGreen},
        {{{10, 4}}, 4, "Partiel", -1, 0},
        {{{10, 3}}, 4, "N/A", -1, 0},
        {{{12, 0x80}}, -1, nullptr, 2, kLampGreen},
        {{{13, 1}}, 5, "Stop", 3, kLampGreen},
        {{{13, 2}}, 5, "N/A", 3, kLampGreen},
        {{{14, 9}}, 6, "N/A", 4, kLampRed}};
    for (const auto& [bytes, control, text, lamp, colour] : cases) {
        base::ViewState view;
        EngineStatus(view, {}, "F110").showStatusBlock(statusBlock(bytes));
        if (control >= 0) {
            EXPECT_EQ(texts(view)[static_cast<std::size_t>(control)], text);
        }
        if (lamp >= 0) {
            EXPECT_EQ(lamps(view)[static_cast<std::size_t>(lamp)], colour) << kLamps[lamp];
        }
    }
}

TEST(EngineStatus, LambdaStateNeedsItsHeader) {
    const std::pair<const char*, const char*> lambda[] = {{"83F110614B1040", "Transition vers Pauvre"},
                                                          {"FE83F110614B08", "Riche"},  // found where it is
                                                          {"83F110614B0340", "N/A"},
                                                          {"83F110614B8040", "N/A"},
                                                          {"83F112614B0240", "N/A"},
                                                          {"83F1107F214B12", "N/A"}};
    for (const auto& [answer, text] : lambda) {
        base::ViewState view;
        EngineStatus status(view, {}, "F110");
        status.showLambdaControl("83F110614B0840");
        status.showLambdaControl(answer);
        EXPECT_EQ(view.text("txRichesse"), text) << answer;
    }
}

}  // namespace
}  // namespace dravio::ecu
