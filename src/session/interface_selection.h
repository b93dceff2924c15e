// session: the choice of interface at start (frmInterface): the FTDI cable, a
// serial K-line cable, the ELM327 adapter on a serial port, or the simulator;
// demonstration mode when no cable can be used. The window shows this state;
// the settings are passed in and out as values; OK opens the devices through
// the factory and hands them over.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/clock.h"
#include "proto/models.h"
#include "session/devices.h"
#include "session/interface_choice.h"

namespace dravio::link {
class Trace;
}

namespace dravio::session {

// Option buttons opType(0..5). 1 and 2 list the FTDI devices like 0 but open nothing.
inline constexpr std::int16_t kInterfaceFtdi = kTypeFtdi;
inline constexpr std::int16_t kInterfaceElm = kTypeElm327;
inline constexpr std::int16_t kInterfaceSimulateur = kTypeSimulateur;
inline constexpr std::int16_t kInterfaceTty = kTypeTtyCable;
inline constexpr int kComPorts = 25;

// The `Interface` section of the settings.
struct InterfaceSettings {
    std::int16_t Type = 0;
    std::int16_t PORT = 1;
    std::string Description = "Mode Demo";
    std::string Device;     // the serial K-line cable's path
    std::string ElmDevice;  // an ELM327 path typed instead of a Com number
};

// What the interface window shows.
struct InterfaceWindowState {
    std::int16_t opType = 0;
    std::vector<std::string> cbUSB;
    int cbUSBIndex = -1;
    std::string cbUSBText;
    bool cbUSBVisible = false;
    std::vector<std::string> cbport;  // "Com1 — /dev/ttyUSB0", "Com2", ... "Com25"
    std::string cbportText;
    bool cbportVisible = false;
    bool FrBTVisible = false;
    bool cdOKEnabled = true;
    bool busyPointer = false;
    // What was found for the option shown, or why nothing can be used.
    std::string lbFound;
    // Window size in twips; MessageBT enlarges it to show the Bluetooth help.
    int widthTwips = 5000;
    int heightTwips = 3900;
};

struct InterfaceMessage {
    std::string text;
    std::string title;
};

class InterfaceSelection {
public:
    using SettingWriter = std::function<void(const std::string& key, const std::string& value)>;
    // The language's text of an id, the French text when it has none.
    using TextLookup = std::function<std::string(int id, const std::string& french)>;

    // `writeSetting` stores a key of the Interface section at once.
    InterfaceSelection(DeviceFactory& factory, base::Clock& clock, proto::Model model, link::Trace& trace,
                       InterfaceSettings saved, SettingWriter writeSetting);

    void setTexts(TextLookup texts) { texts_ = std::move(texts); }

    // Window load: the port list, then the saved option.
    void load();
    void optionClick(std::int16_t index);
    // The user picked the cbport item `index` (0-based).
    void portClick(int index);
    // The user typed a device path (or "ComN") in cbport.
    void portTyped(const std::string& text);
    // The user picked a device in cbUSB.
    void usbClick(int index);
    // OK: opens the chosen interface; true when the window closes.
    bool okClick();

    // Fills cbUSB for the option shown; true when a device was found.
    bool ListeUSB();
    // Enlarges the window so the Bluetooth help shows.
    void MessageBT();

    const InterfaceWindowState& state() const { return state_; }
    // Message boxes to show, in order; the window takes them.
    std::vector<InterfaceMessage> takeMessages();

    // The outcome, fixed once the window has closed.
    std::int16_t TypeInterface() const { return TypeInterface_; }
    std::int16_t PortInterface() const { return PortInterface_; }
    bool ModeDemo() const { return ModeDemo_; }
    const InterfaceChoice& choice() const { return choice_; }
    // The opened devices (nothing open in demonstration mode), handed over once.
    Devices takeDevices() { return std::move(devices_); }
    // Text for the main window's status label lbPanel(4) ("USB", "USB enable").
    const std::string& lbPanel4() const { return lbPanel4_; }

private:
    bool openKLine(InterfaceChoice choice);
    bool openElm();
    std::string elmPath() const;
    std::string text(int id, const std::string& french) const { return texts_ ? texts_(id, french) : french; }
    // Demonstration mode because nothing could be used: the user is told why.
    void enterDemoBecause(const std::string& why);

    DeviceFactory& factory_;
    base::Clock& clock_;
    proto::Model model_;
    link::Trace& trace_;
    InterfaceSettings saved_;
    SettingWriter writeSetting_;
    TextLookup texts_;
    std::string whyNothing_;  // why the option shown has no usable device
    InterfaceWindowState state_;
    std::vector<std::string> serialDevices_;
    std::vector<InterfaceMessage> messages_;
    std::int16_t TypeInterface_ = 0;
    std::int16_t PortInterface_ = 1;
    std::string typedElmPath_;
    bool ModeDemo_ = false;
    InterfaceChoice choice_;
    Devices devices_;
    std::string lbPanel4_;
};

// A description as the cable library hands it over: cut at the first zero
// character and at `maxLength` characters.
std::string cutDescription(const std::string& text, std::size_t maxLength);

}  // namespace dravio::session
