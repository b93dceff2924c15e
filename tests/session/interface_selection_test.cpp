#include "session/interface_selection.h"

#include <gtest/gtest.h>

#include <map>

#include "fake_devices.h"
#include "link/trace.h"
#include "ports/kline_cable.h"
#include "ports/serial_port.h"

namespace dravio::session {
namespace {

class InterfaceSelectionTest : public ::testing::Test {
protected:
    InterfaceSelection make(InterfaceSettings saved = {}) {
        return InterfaceSelection(factory, clock, proto::Model::M59, trace, std::move(saved),
                                  [this](const std::string& key, const std::string& value) { written[key] = value; });
    }

    base::VirtualClock clock;
    link::Trace trace{clock};
    testing::FakeDevices factory{clock};
    std::map<std::string, std::string> written;
};

TEST_F(InterfaceSelectionTest, NoCableFallsBackToDemonstrationAndSaysWhatWasFound) {
    auto window = make();
    window.load();
    EXPECT_TRUE(window.ModeDemo());
    EXPECT_EQ(window.state().cbUSBText, "Mode Demo");
    EXPECT_EQ(window.state().lbFound, "Aucun câble FTDI trouvé");
    EXPECT_TRUE(window.okClick());
    EXPECT_TRUE(window.ModeDemo());
    EXPECT_EQ(window.takeDevices().cable(), nullptr);
    EXPECT_EQ(written["Type"], "0");
}

TEST_F(InterfaceSelectionTest, FtdiCableIsListedPreselectedOpenedAndHandedOver) {
    const struct {
        std::vector<std::string> present;
        const char* saved;
        int index;
    } cases[] = {
        {{"FT232R USB UART"}, "Other cable", 0},  // one device: taken whatever was saved
        {{"KKL first", "KKL second and more"}, "KKL second and more", 1},
        {{"KKL first", "KKL second and more"}, "KKL second and m", 1},  // 16 characters match a longer one
        {{"KKL first", "KKL second and more"}, "KKL second", 0},
    };
    for (const auto& c : cases) {
        factory.ftdi = c.present;
        auto window = make({0, 1, c.saved, "", ""});
        window.load();
        EXPECT_EQ(window.state().cbUSBIndex, c.index) << c.saved;
    }
    factory.ftdi = {"KKL"};
    auto window = make();
    window.load();
    EXPECT_TRUE(window.okClick());
    EXPECT_FALSE(window.ModeDemo());
    EXPECT_EQ(window.lbPanel4(), "USB enable");
    EXPECT_EQ(written["Description"], "KKL");
    auto devices = window.takeDevices();
    ASSERT_NE(devices.cable(), nullptr);
    EXPECT_TRUE(devices.cable()->isOpen());
    EXPECT_EQ(factory.lastCable->baudRate(), 10400U);
}

TEST_F(InterfaceSelectionTest, FailedOpenSaysWhyAndRunsTheDemonstration) {
    factory.ftdi = {"KKL"};
    auto window = make();
    window.load();
    factory.unplugged = true;
    EXPECT_TRUE(window.okClick());
    EXPECT_TRUE(window.ModeDemo());
    const auto messages = window.takeMessages();
    ASSERT_EQ(messages.size(), 1U);
    EXPECT_EQ(messages[0].text.rfind("Failed to open device.\ncannot open KKL", 0), 0U) << messages[0].text;
    EXPECT_EQ(written.count("Description"), 0U);
}

TEST_F(InterfaceSelectionTest, SerialKLineCableListsTheUsbDevicesAndOpensThePickedOne) {
    factory.kline = {"/dev/ttyUSB0", "/dev/ttyUSB1"};
    auto window = make({kInterfaceTty, 1, "Mode Demo", "/dev/ttyUSB1", ""});
    window.load();
    EXPECT_EQ(window.state().cbUSB, factory.kline);
    EXPECT_EQ(window.state().cbUSBText, "/dev/ttyUSB1");
    window.usbClick(0);
    EXPECT_TRUE(window.okClick());
    EXPECT_FALSE(window.ModeDemo());
    EXPECT_EQ(written["Type"], "5");
    EXPECT_EQ(written["Device"], "/dev/ttyUSB0");
    EXPECT_EQ(window.choice().text(), "tty:/dev/ttyUSB0");
    EXPECT_TRUE(window.takeDevices().cable()->isOpen());
}

TEST_F(InterfaceSelectionTest, ElmPortsShowTheirDevicesAndATypedPathIsKept) {
    factory.serial = {"/dev/ttyUSB0", "/dev/rfcomm0"};
    auto window = make({kInterfaceElm, 4, "Mode Demo", "", ""});
    window.load();
    EXPECT_TRUE(window.state().cbportVisible);
    EXPECT_TRUE(window.state().FrBTVisible);
    EXPECT_EQ(window.state().cbportText, "Com:4");
    ASSERT_EQ(window.state().cbport.size(), 25U);
    EXPECT_EQ(window.state().cbport[0], "Com1 — /dev/ttyUSB0");
    EXPECT_EQ(window.state().cbport[1], "Com2 — /dev/rfcomm0");
    EXPECT_EQ(window.state().cbport[24], "Com25");

    window.portTyped("Com2");
    EXPECT_EQ(window.PortInterface(), 2);
    EXPECT_EQ(written["PORT"], "2");
    window.portTyped("/dev/rfcomm7");
    EXPECT_EQ(written["ElmDevice"], "/dev/rfcomm7");
    EXPECT_TRUE(window.okClick());
    EXPECT_EQ(factory.lastPort->devicePath(), "/dev/rfcomm7");
    EXPECT_EQ(trace.lines().back(), "tentative Ouverture /dev/rfcomm7");
    EXPECT_TRUE(window.takeDevices().elmPort()->isOpen());
}

TEST_F(InterfaceSelectionTest, ElmOpenErrorsKeepTheWindowOpen) {
    factory.elmOpenError = ports::kSerialInvalidPort;
    factory.elmOpenReason = "Pas de port série numéro 9";
    auto invalid = make({kInterfaceElm, 9, "Mode Demo", "", ""});
    invalid.load();
    EXPECT_FALSE(invalid.okClick());
    const auto messages = invalid.takeMessages();
    ASSERT_EQ(messages.size(), 1U);
    EXPECT_EQ(messages[0].title, "ELM");
    EXPECT_EQ(messages[0].text, "Pas de port série numéro 9");

    factory.elmOpenError = ports::kSerialPortAlreadyOpen;
    auto busy = make({kInterfaceElm, 1, "Mode Demo", "", ""});
    busy.load();
    EXPECT_FALSE(busy.okClick());
    EXPECT_EQ(busy.state().widthTwips, 9000);
    EXPECT_TRUE(busy.takeMessages().empty());
}

TEST_F(InterfaceSelectionTest, SimulatorPutsTheModelsTwinBehindTheCable) {
    auto window = make({kInterfaceSimulateur, 1, "Mode Demo", "", ""});
    window.load();
    EXPECT_TRUE(window.okClick());
    EXPECT_FALSE(window.ModeDemo());
    auto devices = window.takeDevices();
    ASSERT_NE(devices.simulatedEcu(), nullptr);
    EXPECT_TRUE(devices.cable()->isOpen());
}

}  // namespace
}  // namespace dravio::session
