#include "link/elm327_link.h"

#include <gtest/gtest.h>

#include "link/line_bench.h"
#include "ports/sim_serial_port.h"
#include "sim/elm327_emulator.h"
#include "twin/elm327_serial_port.h"
#include "sim/kwp_ecu.h"
#include "sim/obd_ecu.h"

namespace dravio::link {
namespace {

using namespace std::chrono_literals;

// Dravio talking to an emulated adapter with a simulated 5AM behind it, or to a scripted port.
class Elm327LinkTest : public ::testing::Test, public testing::LineBench {
protected:
    Elm327LinkTest() {
        adapter.setEcu(&ecuSim);
        port.setPortNumber(1);
        EXPECT_EQ(port.open(), ports::kSerialOk);
        scripted.setPortNumber(3);
        EXPECT_EQ(scripted.open(), ports::kSerialOk);
        link.TypeInterface = kInterfaceElm327;
        clock.advance(2s);  // the adapter boots when powered; the user clicks a while later
    }
    std::string lineStarting(const std::string& prefix) const {
        const auto lines = traceWith(prefix);
        return lines.empty() ? "<none>" : lines.front();
    }

    sim::KwpEcu ecuSim{sim::KwpScenario::m5a()};
    sim::Elm327Emulator adapter;
    twin::Elm327SerialPort port{clock, adapter};
    Elm327Link elm{link, port, view, channels};
    ports::SimSerialPort scripted;
    Elm327Link withScript{link, scripted, view, channels};
};

TEST_F(Elm327LinkTest, InitComElmReachesTheEcuAndReadsTheIdentification) {
    elm.install();
    EXPECT_TRUE(elm.InitComELM());
    EXPECT_NE(lineStarting("7 :21A0: ").find("BUS INIT"), std::string::npos) << lineStarting("7 :21A0: ");
    EXPECT_EQ(lineStarting("Il va y avoir"), "Il va y avoir 7 commandes");
    EXPECT_NE(lineStarting("1 :ATZ: ").find("ELM327"), std::string::npos);
    EXPECT_NE(lineStarting("6 :ATSPA5: ").find("OK"), std::string::npos);
    EXPECT_NE(elm.identification().find("IAW5A"), std::string::npos) << elm.identification();
    EXPECT_EQ(view.text("lbPanel5"), elm.identification());
    EXPECT_TRUE(view.visible("frMoteurPP"));
    // The adapter now keeps the ECU awake with TesterPresent (the bytes as given, checksum included).
    EXPECT_EQ(adapter.settings().wakeupMessage, (std::vector<std::uint8_t>{0x81, 0x10, 0xF1, 0x3E, 0xC0}));
}

TEST_F(Elm327LinkTest, AStillSearchingAdapterGetsAThirdRequestWithALongerTimeOut) {
    // Set-up commands get "OK>", the block requests the answers of a slow search.
    std::vector<std::string> blockAnswers{"NO DATA\r\r>", "SEARCHING...\r",
                                          "96F11061A00102030405060708090A0B0C0D0E0F1011121314151617\r\r>"};
    std::vector<double> blockTimes;
    scripted.setPeer([&](std::string_view sent) {
        if (sent.rfind("21A0", 0) == 0) blockTimes.push_back(base::millisecondsSince({}, clock.now()));
        if (sent.rfind("21A0", 0) == 0 && !blockAnswers.empty()) {
            scripted.deliver(blockAnswers.front());
            blockAnswers.erase(blockAnswers.begin());
        } else if (sent.rfind("AT", 0) == 0 || sent.rfind("8", 0) == 0) {
            scripted.deliver("OK\r\r>");
        }
    });
    withScript.install();
    EXPECT_TRUE(withScript.InitComELM());
    ASSERT_EQ(blockTimes.size(), 3u);
    // The second request waited its full 2000 ms for a prompt that never came.
    EXPECT_NEAR(blockTimes[2] - blockTimes[1], 2000.0, 0.01);
    EXPECT_NE(lineStarting("8 :21A0: ").find("SEARCHING"), std::string::npos);
}

TEST_F(Elm327LinkTest, NoBusAndNoPositiveAnswerMeansFailure) {
    scripted.setPeer([&](std::string_view) { scripted.deliver("UNABLE TO CONNECT\r\r>"); });
    withScript.install();
    EXPECT_FALSE(withScript.InitComELM());
    EXPECT_EQ(withScript.identification(), "");
    EXPECT_FALSE(view.visible("frMoteurPP"));
}

}  // namespace
}  // namespace dravio::link

namespace dravio::link {
namespace {

// OBD-II through a genuine adapter and a clone: the automatic search finds the
// simulated engine and the answers carry its address, as on the cable.
TEST(Elm327Obd, BothProfilesFindTheEngineByTheirOwnSearch) {
    for (const auto& profile : {sim::Elm327Profile::genuine(), sim::Elm327Profile::clone()}) {
        testing::LineBench bench;
        bench.link.TypeInterface = kInterfaceElm327;
        bench.link.TypeECU = proto::Model::Obd;
        bench.clock.advance(2s);
        sim::ObdEcu engine;
        sim::Elm327Emulator adapter(profile);
        adapter.setEcu(&engine);
        twin::Elm327SerialPort port{bench.clock, adapter};
        port.setPortNumber(1);
        ASSERT_EQ(port.open(), ports::kSerialOk);
        Elm327Link elm{bench.link, port, bench.view, bench.channels};
        elm.install();
        EXPECT_TRUE(elm.InitComOBD()) << profile.version;
        EXPECT_TRUE(bench.traceWith("Echec").empty()) << profile.version;
        EXPECT_NE(bench.traceWith("Protocole : ").at(0).find('A'), std::string::npos) << "found by the automatic search";
        const auto rpm = bench.link.EnvoieRequete("010C", "", 0, 1000);
        EXPECT_NE(rpm.find(bench.link.EnteteReponse + "410C"), std::string::npos) << profile.version << ": " << rpm;
    }
}

}  // namespace
}  // namespace dravio::link
