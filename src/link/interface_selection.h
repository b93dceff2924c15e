// link: the choice of interface at start (frmInterface): the FTDI cable, the
// ELM327 adapter on a serial port, or the simulator; demonstration mode when no
// cable can be used. The window shows this state; the settings are passed in and
// out as values.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "ports/kline_cable.h"
#include "ports/serial_port.h"

namespace dravio::link {

class Trace;

// Option buttons opType(0..4). 1 and 2 list the FTDI devices like 0 but open nothing.
inline constexpr std::int16_t kInterfaceFtdi = 0;
inline constexpr std::int16_t kInterfaceElm = 3;
inline constexpr std::int16_t kInterfaceSimulateur = 4;
inline constexpr int kComPorts = 25;

// The `Interface` section of the settings.
struct InterfaceSettings {
    std::int16_t Type = 0;
    std::int16_t PORT = 1;
    std::string Description = "Mode Demo";
};

// What the interface window shows.
struct InterfaceWindowState {
    std::int16_t opType = 0;
    std::vector<std::string> cbUSB;
    int cbUSBIndex = -1;
    std::string cbUSBText;
    bool cbUSBVisible = false;
    std::vector<std::string> cbport;  // "Com1" .. "Com25"
    std::string cbportText;
    bool cbportVisible = false;
    bool FrBTVisible = false;
    bool cdOKEnabled = true;
    bool busyPointer = false;
    // Window size in twips; MessageBT enlarges it to show the Bluetooth help.
    int widthTwips = 5000;
    int heightTwips = 3600;
};

struct InterfaceMessage {
    std::string text;
    std::string title;
};

class InterfaceSelection {
public:
    using SettingWriter = std::function<void(const std::string& key, const std::string& value)>;

    // `ftdi` lists and opens the USB cable; `simulateur` is the simulated cable
    // (may be null); `elm` is the adapter's serial port. `writeSetting` stores a
    // key of the Interface section at once.
    InterfaceSelection(ports::KLineCable& ftdi, ports::KLineCable* simulateur, ports::SerialPort& elm,
                       Trace& trace, InterfaceSettings saved, SettingWriter writeSetting);

    // Window load: the port list, then the saved option.
    void load();
    void optionClick(std::int16_t index);
    // The user picked the cbport item `index` (0-based).
    void portClick(int index);
    // The user picked a device in cbUSB.
    void usbClick(int index);
    // OK: opens the chosen interface; true when the window closes.
    bool okClick();

    // Fills cbUSB from the cable's device list; true when a device was found.
    bool ListeUSB();
    // Resets, purges, sets `baud` and 8N1 on the chosen cable; false at the first failure.
    bool InitComFTDI(std::uint32_t baud);
    // Enlarges the window so the Bluetooth help shows.
    void MessageBT();

    const InterfaceWindowState& state() const { return state_; }
    // Message boxes to show, in order; the window takes them.
    std::vector<InterfaceMessage> takeMessages();

    // The outcome, fixed once the window has closed.
    std::int16_t TypeInterface() const { return TypeInterface_; }
    std::int16_t PortInterface() const { return PortInterface_; }
    bool ModeDemo() const { return ModeDemo_; }
    // The cable the program talks through (null for the ELM327 or demonstration).
    ports::KLineCable* cable() const { return chosenCable_; }
    // Text for the main window's status label lbPanel(4) ("USB", "USB enable").
    const std::string& lbPanel4() const { return lbPanel4_; }

private:
    ports::KLineCable& ftdi_;
    ports::KLineCable* simulateur_;
    ports::SerialPort& elm_;
    Trace& trace_;
    InterfaceSettings saved_;
    SettingWriter writeSetting_;
    InterfaceWindowState state_;
    std::vector<InterfaceMessage> messages_;
    std::int16_t TypeInterface_ = 0;
    std::int16_t PortInterface_ = 1;
    bool ModeDemo_ = false;
    ports::KLineCable* chosenCable_ = nullptr;
    ports::KLineCable* listedCable_ = nullptr;
    std::string lbPanel4_;
};

// A description as the cable library hands it over: cut at the first zero
// character and at `maxLength` characters.
std::string cutDescription(const std::string& text, std::size_t maxLength);

}  // namespace dravio::link
