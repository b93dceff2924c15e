#include "ecu/request_table.h"

#include "ecu/models.h"

#include <gtest/gtest.h>

#include <climits>
#include <set>
#include <string>

namespace dravio::ecu {
namespace {

struct Expected {
    const char* name;
    const char* request4;
    int length4;
    const char* request5;
    int length5;
};

// The whole table, in order, as the K-line requests are documented.
constexpr Expected kTable[] = {
    {"ReqStartCom", "81", 7, "81", 7},
    {"ReqStopCom", "82", 7, "82", 7},
    {"ReqStartDiag", "1081", 6, "1081", 6},
    {"ReqStopDiag", "20", 7, "", 0},
    {"ReqLit57", "2157", 7, "", 0},
    {"ReqRoutine", "3121", 6, "", 0},
    {"ReqRoutineResult", "3321", 6, "", 0},
    {"ReqDefauts", "1800FF00", 30, "17FF00", 15},
    {"ReqStatutDefaut", "17", 16, "", 0},
    {"ReqEffaceDefauts", "14FF00", 7, "14FF00", 7},
    {"ReqActionneur", "30xx07", 7, "", 0},
    {"ReqActionneurFin", "30xx00", 7, "", 0},
    {"ReqPresent", "3E", 5, "3E", 5},
    {"ReqRegime", "2130", 8, "010C", 8},
    {"ReqCharge", "213A", 8, "0104", 7},
    {"ReqMasseAir", "2135", 8, "0110", 8},
    {"ReqPression", "2131", 8, "010B", 7},
    {"ReqTempAir", "2132", 8, "010F", 7},
    {"ReqTempEau", "2133", 8, "0105", 7},
    {"ReqPapillon", "2134", 8, "0111", 8},
    {"ReqVitesse", "213C", 8, "010D", 7},
    {"ReqTrimAjuste", "301507", 8, "", 0},
    {"ReqTrimLit", "213D", 7, "", 0},
    {"ReqTrimSauve", "301505", 8, "", 0},
    {"ReqBloc", "21A0", 26, "21A0", 26},
    {"ReqStatut", "21A6", 20, "", 0},
    {"ReqAntiDemarrage", "2174", 7, "", 0},
    {"ReqLibre", "", 0, "", 16},
};

TEST(RequestTable, SlotsComeInTableOrderUnderTheirNames) {
    const auto& slots = allSlots();
    ASSERT_EQ(slots.size(), std::size(kTable));
    for (std::size_t i = 0; i < slots.size(); ++i)
        EXPECT_EQ(slotName(slots[i]), kTable[i].name) << i;
}

TEST(RequestTable, ModelsFourAndFiveAnswerTheirListedRequests) {
    const RequestTable table;
    for (const Expected& e : kTable) {
        const auto slot = slotFromName(e.name);
        ASSERT_TRUE(slot.has_value()) << e.name;
        EXPECT_EQ(table.request(*slot, 4), e.request4) << e.name;
        EXPECT_EQ(table.length(*slot, 4), e.length4) << e.name;
        EXPECT_EQ(table.request(*slot, 5), e.request5) << e.name;
        EXPECT_EQ(table.length(*slot, 5), e.length5) << e.name;
    }
}

TEST(RequestTable, FaultReadingDiffersBetweenModelsFourAndFive) {
    const RequestTable table;
    EXPECT_EQ(table.request(Slot::ReqDefauts, 5), "17FF00");
    EXPECT_EQ(table.length(Slot::ReqDefauts, 5), 15);
    EXPECT_EQ(table.request(Slot::ReqDefauts, 4), "1800FF00");
    EXPECT_EQ(table.length(Slot::ReqDefauts, 4), 30);
}

TEST(RequestTable, ActuatorRequestsKeepThePlaceholderForTheCaller) {
    const RequestTable table;
    EXPECT_EQ(table.request(Slot::ReqActionneur, 4), "30xx07");
    EXPECT_EQ(table.request(Slot::ReqActionneurFin, 4), "30xx00");
}

TEST(RequestTable, OtherModelsHaveNoRequests) {
    const RequestTable table;
    for (int model : {0, 1, 2, 3, 6, 7, 8, -1, 1000, INT_MIN, INT_MAX}) {
        for (Slot slot : allSlots()) {
            EXPECT_EQ(table.request(slot, model), "") << slotName(slot) << " model " << model;
            EXPECT_EQ(table.length(slot, model), 0) << slotName(slot) << " model " << model;
        }
    }
}

TEST(RequestTable, ValuesOutsideTheEnumerationAreEmpty) {
    const RequestTable table;
    const auto bogus = static_cast<Slot>(kSlotCount);
    EXPECT_EQ(slotName(bogus), "");
    EXPECT_EQ(table.request(bogus, 4), "");
    EXPECT_EQ(table.length(bogus, 5), 0);
}

TEST(RequestTable, SlotNamesRoundTripAndAreMatchedExactly) {
    std::set<std::string> seen;
    for (Slot slot : allSlots()) {
        EXPECT_EQ(slotFromName(slotName(slot)), slot) << slotName(slot);
        EXPECT_TRUE(seen.insert(std::string(slotName(slot))).second) << slotName(slot);
    }
    for (const char* name : {"", "reqstartcom", "REQBLOC", "ReqBloc ", " ReqBloc", "Req", "ReqLibre2"})
        EXPECT_FALSE(slotFromName(name).has_value()) << '"' << name << '"';
}

TEST(Modeles, InitModelesNamesTheFirstFiveSlots) {
    const Modeles m = InitModeles();
    EXPECT_EQ(m.NbModeles, 7);
    ASSERT_EQ(m.names.size(), 8u);
    const char* const names[] = {"MM16", "MM15", "15RC", "P8", "M59/M5A", "", "", ""};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(m.name(i), names[i]) << i;
    for (int i : {-1, 8, 1000, INT_MIN}) EXPECT_EQ(m.name(i), "") << i;
}

TEST(Modeles, ChosenNameGivesTheFirstMatchingIndex) {
    const Modeles m = InitModeles();
    const struct { const char* chosen; std::optional<std::int16_t> index; } cases[] = {
        {"MM16", 0}, {"MM15", 1}, {"15RC", 2}, {"P8", 3}, {"M59/M5A", 4},
        {"", std::nullopt}, {"mm16", std::nullopt}, {"M59", std::nullopt}};
    for (const auto& c : cases) EXPECT_EQ(m.indexOf(c.chosen), c.index) << c.chosen;
}

}  // namespace
}  // namespace dravio::ecu
