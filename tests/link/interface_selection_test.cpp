#include "link/interface_selection.h"

#include <gtest/gtest.h>

#include <map>

#include "base/clock.h"
#include "link/trace.h"
#include "ports/sim_cable.h"
#include "ports/sim_serial_port.h"

namespace dravio::link {
namespace {

class InterfaceSelectionTest : public ::testing::Test {
protected:
    InterfaceSelection make(std::vector<std::string> devices, InterfaceSettings saved = {}) {
        ftdi = std::make_unique<ports::SimCable>(clock, std::move(devices));
        return InterfaceSelection(*ftdi, &simulateur, elm, trace, std::move(saved),
                                  [this](const std::string& key, const std::string& value) { written[key] = value; });
    }

    base::VirtualClock clock;
    Trace trace{clock};
    std::unique_ptr<ports::SimCable> ftdi;
    ports::SimCable simulateur{clock, {"Simulateur"}};
    ports::SimSerialPort elm;
    std::map<std::string, std::string> written;
};

TEST_F(InterfaceSelectionTest, NoCableFallsBackQuietlyToDemonstration) {
    auto window = make({});
    window.load();
    EXPECT_TRUE(window.ModeDemo());
    EXPECT_TRUE(window.state().cbUSB.empty());
    EXPECT_EQ(window.state().cbUSBText, "Mode Demo");
    EXPECT_EQ(window.lbPanel4(), "USB");
    EXPECT_TRUE(window.okClick());
    EXPECT_TRUE(window.ModeDemo());
    EXPECT_TRUE(window.takeMessages().empty());
    EXPECT_EQ(window.cable(), nullptr);
    EXPECT_EQ(written["Type"], "0");
}

TEST_F(InterfaceSelectionTest, OneDeviceIsSelectedWithoutLookingAtTheSavedOne) {
    auto window = make({"FT232R USB UART"}, {0, 1, "Other cable"});
    window.load();
    EXPECT_FALSE(window.ModeDemo());
    EXPECT_EQ(window.state().cbUSB, (std::vector<std::string>{"FT232R USB UART"}));
    EXPECT_EQ(window.state().cbUSBIndex, 0);
    EXPECT_TRUE(window.okClick());
    EXPECT_EQ(window.cable(), ftdi.get());
    EXPECT_EQ(window.lbPanel4(), "USB enable");
    EXPECT_EQ(written["Description"], "FT232R USB UART");
}

TEST_F(InterfaceSelectionTest, SeveralDevicesPreselectTheSavedDescription) {
    const struct { const char* saved; int index; } cases[] = {
        {"KKL second and more", 1}, {"KKL second and m", 1}, {"KKL first", 0}, {"unknown", 0}, {"KKL second", 0}};
    for (const auto& c : cases) {
        // Only the first 16 characters of the saved text take part.
        auto window = make({"KKL first", "KKL second and more"}, {0, 1, c.saved});
        window.load();
        EXPECT_EQ(window.state().cbUSBIndex, c.index) << c.saved;
    }
}

TEST_F(InterfaceSelectionTest, FailedOpenSaysSoAndRunsTheDemonstration) {
    auto window = make({"KKL"});
    window.load();
    ftdi->setUnplugged(true);
    EXPECT_TRUE(window.okClick());
    EXPECT_TRUE(window.ModeDemo());
    const auto messages = window.takeMessages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text.rfind("Failed to open device.", 0), 0u);
    EXPECT_EQ(written.count("Description"), 0u);
}

TEST_F(InterfaceSelectionTest, ElmOptionShowsThePortAndBluetoothHelp) {
    auto window = make({"KKL"}, {3, 4, "Mode Demo"});
    window.load();
    EXPECT_EQ(window.TypeInterface(), 3);
    EXPECT_TRUE(window.state().cbportVisible);
    EXPECT_TRUE(window.state().FrBTVisible);
    EXPECT_FALSE(window.state().cbUSBVisible);
    EXPECT_EQ(window.state().cbportText, "Com:4");
    ASSERT_EQ(window.state().cbport.size(), 25u);
    EXPECT_EQ(window.state().cbport.front(), "Com1");
    EXPECT_EQ(window.state().cbport.back(), "Com25");
}

TEST_F(InterfaceSelectionTest, SeventhPortIsStoredAsSeven) {
    auto window = make({}, {3, 1, "Mode Demo"});
    window.load();
    window.portClick(6);
    EXPECT_EQ(written["PORT"], "7");
    EXPECT_EQ(window.PortInterface(), 7);
    window.portClick(25);  // outside the list: nothing changes
    EXPECT_EQ(window.PortInterface(), 7);
}

TEST_F(InterfaceSelectionTest, ElmOkOpensThePortAndLeavesDemonstration) {
    auto window = make({}, {3, 2, "Mode Demo"});
    window.load();
    EXPECT_TRUE(window.okClick());
    EXPECT_FALSE(window.ModeDemo());
    EXPECT_TRUE(elm.isOpen());
    EXPECT_EQ(elm.portNumber(), 2);
    EXPECT_EQ(trace.lines().back(), "tentative Ouverture COM2");
    EXPECT_TRUE(window.state().cdOKEnabled);
}

TEST_F(InterfaceSelectionTest, ElmOpenErrorsKeepTheWindowOpen) {
    {
        auto window = make({}, {3, 9, "Mode Demo"});
        window.load();
        elm.failOpenWith(ports::kSerialInvalidPort, "Pas de port série numéro 9");
        EXPECT_FALSE(window.okClick());
        const auto messages = window.takeMessages();
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].title, "ELM");
        EXPECT_EQ(messages[0].text, "Pas de port série numéro 9");
    }
    {
        auto window = make({}, {3, 1, "Mode Demo"});
        window.load();
        elm.failOpenWith(ports::kSerialPortAlreadyOpen, "busy");
        EXPECT_FALSE(window.okClick());
        EXPECT_EQ(window.state().widthTwips, 9000);
        EXPECT_EQ(window.state().heightTwips, 6500);
        EXPECT_TRUE(window.takeMessages().empty());
    }
}

TEST_F(InterfaceSelectionTest, SimulateurOpensTheSimulatedCable) {
    auto window = make({}, {4, 1, "Mode Demo"});
    window.load();
    EXPECT_FALSE(window.ModeDemo());
    EXPECT_TRUE(window.okClick());
    EXPECT_EQ(window.cable(), &simulateur);
    EXPECT_FALSE(window.ModeDemo());
}

TEST_F(InterfaceSelectionTest, InitComFtdiStopsAtTheFirstFailure) {
    auto window = make({"KKL"});
    window.load();
    EXPECT_FALSE(window.InitComFTDI(10400)) << "nothing is open yet";
    ASSERT_TRUE(window.okClick());
    EXPECT_TRUE(window.InitComFTDI(10400));
    EXPECT_EQ(ftdi->baudRate(), 10400u);
    ftdi->setUnplugged(true);
    ftdi->clearEvents();
    EXPECT_FALSE(window.InitComFTDI(200));
    EXPECT_EQ(ftdi->baudRate(), 10400u) << "the baud rate was touched after a failed reset";
    EXPECT_TRUE(ftdi->events().empty());
}

TEST(CutDescription, StopsAtZeroAndLength) {
    EXPECT_EQ(cutDescription(std::string("FT232R\0junk", 11), 64), "FT232R");
    EXPECT_EQ(cutDescription("0123456789ABCDEFGH", 16), "0123456789ABCDEF");
    EXPECT_EQ(cutDescription("", 16), "");
}

}  // namespace
}  // namespace dravio::link
