#include "link/interface_selection.h"

#include <algorithm>

#include "link/cable_setup.h"
#include "link/trace.h"

namespace dravio::link {

namespace {
constexpr std::size_t kDescriptionBuffer = 64;
constexpr std::size_t kSavedDescriptionLength = 16;
constexpr int kBluetoothWidthTwips = 9000;
constexpr int kBluetoothHeightTwips = 6500;
}  // namespace

std::string cutDescription(const std::string& text, std::size_t maxLength) {
    std::string cut = text.substr(0, text.find('\0'));
    if (cut.size() > maxLength) cut.resize(maxLength);
    return cut;
}

InterfaceSelection::InterfaceSelection(ports::KLineCable& ftdi, ports::KLineCable* simulateur,
                                       ports::SerialPort& elm, Trace& trace, InterfaceSettings saved,
                                       SettingWriter writeSetting)
    : ftdi_(ftdi),
      simulateur_(simulateur),
      elm_(elm),
      trace_(trace),
      saved_(std::move(saved)),
      writeSetting_(std::move(writeSetting)) {}

void InterfaceSelection::load() {
    state_.cbport.clear();
    for (int i = 1; i <= kComPorts; ++i) state_.cbport.push_back("Com" + std::to_string(i));
    TypeInterface_ = saved_.Type;
    PortInterface_ = std::clamp<std::int16_t>(saved_.PORT, 1, kComPorts);
    const bool known = TypeInterface_ >= 0 && TypeInterface_ <= (simulateur_ ? kInterfaceSimulateur : kInterfaceElm);
    optionClick(known ? TypeInterface_ : kInterfaceFtdi);
}

void InterfaceSelection::optionClick(std::int16_t index) {
    TypeInterface_ = index;
    state_.opType = index;
    state_.cbportVisible = false;
    state_.FrBTVisible = false;
    state_.cbUSBVisible = false;
    if (index == kInterfaceElm) {
        state_.cbportVisible = true;
        state_.cbportText = "Com:" + std::to_string(PortInterface_);
        state_.FrBTVisible = true;
        return;
    }
    listedCable_ = (index == kInterfaceSimulateur && simulateur_) ? simulateur_ : &ftdi_;
    ModeDemo_ = !ListeUSB();
    lbPanel4_ = "USB";
    state_.cbUSBVisible = true;
}

bool InterfaceSelection::ListeUSB() {
    ports::KLineCable& cable = listedCable_ ? *listedCable_ : ftdi_;
    state_.cbUSB.clear();
    state_.cbUSBIndex = -1;
    // With nothing to list the box keeps its placeholder, which OK takes as the
    // quiet road to demonstration mode.
    state_.cbUSBText = "Mode Demo";
    std::uint32_t count = 0;
    if (cable.deviceCount(count) != ports::kCableOk || count == 0) return false;

    std::string description;
    if (count == 1) {
        if (cable.deviceDescription(0, description) == ports::kCableOk) {
            state_.cbUSB.push_back(cutDescription(description, kDescriptionBuffer));
        }
        state_.cbUSBIndex = state_.cbUSB.empty() ? -1 : 0;
    } else {
        const std::string wanted = cutDescription(saved_.Description, kSavedDescriptionLength);
        int remembered = 0;
        for (std::uint32_t i = 0; i < count; ++i) {
            if (cable.deviceDescription(i, description) != ports::kCableOk) continue;
            state_.cbUSB.push_back(cutDescription(description, kDescriptionBuffer));
            // The saved text keeps 16 characters: a longer description matches on those.
            const auto& listed = state_.cbUSB.back();
            const bool same = listed == wanted ||
                              (wanted.size() == kSavedDescriptionLength && listed.rfind(wanted, 0) == 0);
            if (same) remembered = static_cast<int>(state_.cbUSB.size()) - 1;
        }
        state_.cbUSBIndex = state_.cbUSB.empty() ? -1 : remembered;
    }
    if (state_.cbUSBIndex >= 0) state_.cbUSBText = state_.cbUSB[static_cast<std::size_t>(state_.cbUSBIndex)];
    return true;
}

void InterfaceSelection::portClick(int index) {
    if (index < 0 || index >= kComPorts) return;
    PortInterface_ = static_cast<std::int16_t>(index + 1);
    state_.cbportText = state_.cbport.empty() ? std::string{} : state_.cbport[static_cast<std::size_t>(index)];
    writeSetting_("PORT", std::to_string(PortInterface_));
}

void InterfaceSelection::usbClick(int index) {
    if (index < 0 || index >= static_cast<int>(state_.cbUSB.size())) return;
    state_.cbUSBIndex = index;
    state_.cbUSBText = state_.cbUSB[static_cast<std::size_t>(index)];
}

void InterfaceSelection::MessageBT() {
    state_.widthTwips = kBluetoothWidthTwips;
    state_.heightTwips = kBluetoothHeightTwips;
}

bool InterfaceSelection::okClick() {
    writeSetting_("Type", std::to_string(TypeInterface_));

    if (TypeInterface_ == kInterfaceFtdi || (TypeInterface_ == kInterfaceSimulateur && simulateur_)) {
        ports::KLineCable& cable = TypeInterface_ == kInterfaceFtdi ? ftdi_ : *simulateur_;
        const std::string description = state_.cbUSBText;
        if (description.empty() || cable.open(description) != ports::kCableOk) {
            if (description != "Mode Demo") {
                std::string text = "Failed to open device.";
                if (!cable.lastError().empty()) text += "\n" + cable.lastError();
                messages_.push_back({text, ""});
            }
            ModeDemo_ = true;
            return true;
        }
        chosenCable_ = &cable;
        ModeDemo_ = false;
        lbPanel4_ = "USB enable";
        writeSetting_("Description", description);
        return true;
    }

    if (TypeInterface_ == kInterfaceElm) {
        elm_.setPortNumber(PortInterface_);
        elm_.setSettings("38400,n,8,1");
        state_.busyPointer = true;
        state_.cdOKEnabled = false;
        trace_.EcritTrace("tentative Ouverture COM" + std::to_string(PortInterface_), true);
        int error = ports::kSerialOk;
        if (!elm_.isOpen()) error = elm_.open();
        state_.busyPointer = false;
        state_.cdOKEnabled = true;
        if (error == ports::kSerialInvalidPort) {
            messages_.push_back({elm_.lastError().empty() ? "Numéro de port incorrect" : elm_.lastError(), "ELM"});
            return false;
        }
        if (error == ports::kSerialPortAlreadyOpen) {
            MessageBT();
            return false;
        }
        if (error != ports::kSerialOk) {
            // Other errors end the click with the window open; say why in the trace.
            trace_.EcritTrace("Ouverture COM impossible : " + elm_.lastError(), false);
            return false;
        }
        ModeDemo_ = false;
        return true;
    }
    return true;
}

std::vector<InterfaceMessage> InterfaceSelection::takeMessages() {
    std::vector<InterfaceMessage> out;
    out.swap(messages_);
    return out;
}

bool InterfaceSelection::InitComFTDI(std::uint32_t baud) { return link::InitComFTDI(chosenCable_, baud); }

}  // namespace dravio::link
