#include "session/interface_selection.h"

#include <algorithm>

#include "link/trace.h"
#include "ports/kline_cable.h"
#include "ports/serial_port.h"

namespace dravio::session {

namespace {
constexpr std::size_t kDescriptionBuffer = 64;
constexpr std::size_t kSavedDescriptionLength = 16;
constexpr int kBluetoothWidthTwips = 9000;
constexpr int kBluetoothHeightTwips = 6500;
constexpr const char* kModeDemo = "Mode Demo";
constexpr const char* kSimulatedLine = "Dravio simulated K-line";
constexpr const char* kElmSettings = "38400,n,8,1";
}  // namespace

std::string cutDescription(const std::string& text, std::size_t maxLength) {
    std::string cut = text.substr(0, text.find('\0'));
    if (cut.size() > maxLength) cut.resize(maxLength);
    return cut;
}

InterfaceSelection::InterfaceSelection(DeviceFactory& factory, base::Clock& clock, proto::Model model,
                                       link::Trace& trace, InterfaceSettings saved, SettingWriter writeSetting)
    : factory_(factory),
      clock_(clock),
      model_(model),
      trace_(trace),
      saved_(std::move(saved)),
      writeSetting_(std::move(writeSetting)) {}

void InterfaceSelection::load() {
    serialDevices_ = factory_.serialDevices();
    state_.cbport.clear();
    for (int i = 1; i <= kComPorts; ++i) {
        std::string item = "Com" + std::to_string(i);
        if (static_cast<std::size_t>(i) <= serialDevices_.size()) {
            item += " — " + serialDevices_[static_cast<std::size_t>(i - 1)];
        }
        state_.cbport.push_back(std::move(item));
    }
    TypeInterface_ = saved_.Type;
    PortInterface_ = std::clamp<std::int16_t>(saved_.PORT, 1, kComPorts);
    typedElmPath_ = saved_.ElmDevice;
    const bool known = TypeInterface_ >= kInterfaceFtdi && TypeInterface_ <= kInterfaceTty;
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
        state_.cbportText = typedElmPath_.empty() ? "Com:" + std::to_string(PortInterface_) : typedElmPath_;
        state_.FrBTVisible = true;
        state_.lbFound = serialDevices_.empty()
                             ? text(2323, "Aucun port série trouvé : saisir un chemin")
                             : std::to_string(serialDevices_.size()) + text(2324, " port(s) série trouvé(s)");
        return;
    }
    ModeDemo_ = !ListeUSB();
    lbPanel4_ = "USB";
    state_.cbUSBVisible = true;
}

bool InterfaceSelection::ListeUSB() {
    state_.cbUSB.clear();
    state_.cbUSBIndex = -1;
    // With nothing to list the box keeps its placeholder, which OK takes as the
    // quiet road to demonstration mode.
    state_.cbUSBText = kModeDemo;
    std::vector<std::string> found;
    std::string why;
    std::string wanted = cutDescription(saved_.Description, kSavedDescriptionLength);
    if (TypeInterface_ == kInterfaceSimulateur) {
        found.push_back(kSimulatedLine);
    } else if (TypeInterface_ == kInterfaceTty) {
        found = factory_.klineDevices();
        wanted = saved_.Device;
        if (found.empty()) why = text(2320, "Aucun câble K-line série (ttyUSB, ttyACM)");
    } else {
        found = listFtdiCables(factory_, why);
        if (found.empty() && why.empty()) why = text(2321, "Aucun câble FTDI trouvé");
    }
    whyNothing_ = why;
    state_.lbFound = found.empty() ? why : std::to_string(found.size()) + text(2322, " trouvé(s)");
    if (found.empty()) return false;

    int remembered = 0;
    for (const auto& description : found) {
        state_.cbUSB.push_back(cutDescription(description, kDescriptionBuffer));
        // The saved text keeps 16 characters: a longer description matches on those.
        const auto& listed = state_.cbUSB.back();
        const bool same =
            listed == wanted || (wanted.size() == kSavedDescriptionLength && listed.rfind(wanted, 0) == 0);
        if (same && found.size() > 1) remembered = static_cast<int>(state_.cbUSB.size()) - 1;
    }
    state_.cbUSBIndex = remembered;
    state_.cbUSBText = state_.cbUSB[static_cast<std::size_t>(remembered)];
    return true;
}

void InterfaceSelection::portClick(int index) {
    if (index < 0 || index >= kComPorts) return;
    PortInterface_ = static_cast<std::int16_t>(index + 1);
    typedElmPath_.clear();
    state_.cbportText = state_.cbport.empty() ? std::string{} : state_.cbport[static_cast<std::size_t>(index)];
    writeSetting_("PORT", std::to_string(PortInterface_));
    writeSetting_("ElmDevice", "");
}

void InterfaceSelection::portTyped(const std::string& text) {
    // "Com3", "Com:3" or a list entry choose by number; anything else is a path.
    for (std::size_t i = 0; i < state_.cbport.size(); ++i) {
        if (text == state_.cbport[i]) return portClick(static_cast<int>(i));
    }
    std::string digits = text;
    if (digits.rfind("Com", 0) == 0) digits = digits.substr(digits[3] == ':' ? 4 : 3);
    if (!digits.empty() && digits.size() <= 2 && std::all_of(digits.begin(), digits.end(), ::isdigit)) {
        return portClick(std::stoi(digits) - 1);
    }
    typedElmPath_ = text;
    state_.cbportText = text;
    writeSetting_("ElmDevice", text);
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

bool InterfaceSelection::openKLine(InterfaceChoice choice) {
    std::string error;
    auto devices = Devices::open(choice, model_, clock_, factory_, error);
    if (!error.empty()) {
        enterDemoBecause(text(2325, "Failed to open device.\n") + error);
        return true;
    }
    devices_ = std::move(devices);
    choice_ = std::move(choice);
    ModeDemo_ = false;
    lbPanel4_ = "USB enable";
    return true;
}

std::string InterfaceSelection::elmPath() const {
    if (!typedElmPath_.empty()) return typedElmPath_;
    const auto i = static_cast<std::size_t>(PortInterface_ - 1);
    return i < serialDevices_.size() ? serialDevices_[i] : std::string{};
}

bool InterfaceSelection::openElm() {
    auto port = factory_.serialPort();
    if (typedElmPath_.empty()) {
        port->setPortNumber(PortInterface_);
    } else {
        port->setDevicePath(typedElmPath_);
    }
    port->setSettings(kElmSettings);
    state_.busyPointer = true;
    state_.cdOKEnabled = false;
    trace_.EcritTrace(typedElmPath_.empty() ? "tentative Ouverture COM" + std::to_string(PortInterface_)
                                            : "tentative Ouverture " + typedElmPath_,
                      true);
    const int error = port->open();
    state_.busyPointer = false;
    state_.cdOKEnabled = true;
    if (error == ports::kSerialInvalidPort) {
        messages_.push_back({port->lastError().empty() ? text(2326, "Numéro de port incorrect") : port->lastError(), "ELM"});
        return false;
    }
    if (error == ports::kSerialPortAlreadyOpen) {
        MessageBT();
        return false;
    }
    if (error != ports::kSerialOk) {
        // Other errors end the click with the window open; say why.
        trace_.EcritTrace("Ouverture COM impossible : " + port->lastError(), false);
        messages_.push_back({port->lastError(), "ELM"});
        return false;
    }
    choice_ = InterfaceChoice{InterfaceKind::Elm327, elmPath()};
    devices_ = Devices::adoptElm(choice_, std::move(port));
    ModeDemo_ = false;
    return true;
}

bool InterfaceSelection::okClick() {
    writeSetting_("Type", std::to_string(TypeInterface_));
    if (TypeInterface_ == kInterfaceElm) return openElm();

    const std::string picked = state_.cbUSBText;
    const bool opens = TypeInterface_ == kInterfaceFtdi || TypeInterface_ == kInterfaceSimulateur ||
                       TypeInterface_ == kInterfaceTty;
    if (!opens) return true;
    if (picked.empty() || picked == kModeDemo) {
        // Nothing was found: say why before the simulated values start.
        enterDemoBecause(whyNothing_);
        return true;
    }
    if (TypeInterface_ == kInterfaceSimulateur) return openKLine({InterfaceKind::Simulator, ""});
    if (TypeInterface_ == kInterfaceTty) {
        writeSetting_("Device", picked);
        return openKLine({InterfaceKind::TtyCable, picked});
    }
    const bool ok = openKLine({InterfaceKind::Ftdi, picked});
    if (!ModeDemo_) writeSetting_("Description", picked);
    return ok;
}

void InterfaceSelection::enterDemoBecause(const std::string& why) {
    ModeDemo_ = true;
    std::string message = why;
    if (!message.empty()) message += "\n\n";
    message += text(2327, "Dravio démarre en mode démonstration : les valeurs affichées sont simulées, aucune "
                          "ECU n'est interrogée.");
    messages_.push_back({message, ""});
}

std::vector<InterfaceMessage> InterfaceSelection::takeMessages() {
    std::vector<InterfaceMessage> out;
    out.swap(messages_);
    return out;
}

}  // namespace dravio::session
