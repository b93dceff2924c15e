#include "app/cli_session.h"

#include "app/cli_args.h"
#include "ecu/link_shutdown.h"
#include "ecu/models.h"
#include "ecu/request_table.h"
#include "link/framing.h"
#include "ports/ftdi_cable.h"
#include "ports/posix_serial_port.h"
#include "ports/tty_cable.h"

namespace dravio::app {

InterfaceSpec InterfaceSpec::parse(const std::string& text) {
    InterfaceSpec spec{text, ""};
    if (const auto colon = text.find(':'); colon != std::string::npos) {
        spec.kind = text.substr(0, colon);
        spec.detail = text.substr(colon + 1);
    }
    const bool needsPath = spec.kind == "tty" || spec.kind == "elm";
    const bool known = needsPath || spec.kind == "sim" || spec.kind == "ftdi" || spec.kind == "demo";
    if (!known || (spec.kind == "demo" && !spec.detail.empty())) {
        throw UsageError("unknown interface '" + text + "' (sim[:MODEL], tty:PATH, elm:PATH, ftdi[:DESCRIPTION] or demo)");
    }
    if (needsPath && spec.detail.empty()) throw UsageError(spec.kind + " needs a device path: " + spec.kind + ":PATH");
    return spec;
}

void CliSession::openKLine(ports::KLineCable& cable, const std::string& description, std::uint32_t baud) {
    if (cable.open(description) != ports::kCableOk) {
        throw InterfaceError("cannot open " + description + ": " + cable.lastError());
    }
    if (cable.setBaudRate(baud) != ports::kCableOk || cable.setDataCharacteristics8N1() != ports::kCableOk) {
        throw InterfaceError("cannot set " + std::to_string(baud) + " baud 8N1 on " + description + ": " +
                             cable.lastError());
    }
}

CliSession::CliSession(const InterfaceSpec& spec, int typeEcu, SessionOptions options)
    : options_(std::move(options)), origin_(clock_.now()) {
    base::RealClock::tightenTimerSlack();
    link_.TypeECU = static_cast<std::int16_t>(typeEcu);
    if (options_.traceLine) trace_.setOnLine(options_.traceLine);
    const std::uint32_t baud = link::isOneByteModel(typeEcu) ? 7812 : 10400;

    if (spec.kind == "sim") {
        const auto byModel = sim::simulatedModelName(typeEcu);
        if (spec.detail.empty() && !byModel) {
            throw UsageError("no simulated ECU for model " + std::to_string(typeEcu) + "; name one with sim:MODEL");
        }
        const std::string name = spec.detail.empty() ? *byModel : spec.detail;
        simEcu_ = sim::makeSimulatedEcu(name, false, options_.awake, clock_.now());
        if (!simEcu_.device) {
            throw UsageError("unknown simulated model '" + name + "' (59m, 5am, obd, mm16, mm15, 15rc, p8)");
        }
        auto simCable = std::make_unique<ports::SimCable>(clock_);
        adapter_ = std::make_unique<sim::SimCableAdapter>(*simEcu_.device);
        simCable->setPeer(adapter_.get());
        std::string description;
        simCable->deviceDescription(0, description);
        cable_ = std::move(simCable);
        openKLine(*cable_, description, simEcu_.baud);
        // The simulated rider turns the key when the program asks for it.
        if (simEcu_.oneByte != nullptr) {
            view_.setAsker([this](const base::MessageBox& box) {
                if (box.title == "Attention/Caution" && simEcu_.oneByte != nullptr) {
                    auto* line = static_cast<ports::SimCable*>(cable_.get());
                    simEcu_.oneByte->requestKeyOn(adapter_->output(*line), clock_.now());
                }
                return base::MessageAnswer::Ok;
            });
        }
    } else if (spec.kind == "tty") {
        cable_ = std::make_unique<ports::TtyCable>();
        openKLine(*cable_, spec.detail, baud);
    } else if (spec.kind == "ftdi") {
        cable_ = std::make_unique<ports::FtdiCable>();
        std::string description = spec.detail;
        if (description.empty()) {
            std::uint32_t count = 0;
            if (cable_->deviceCount(count) != ports::kCableOk || count == 0 ||
                cable_->deviceDescription(0, description) != ports::kCableOk) {
                throw InterfaceError("no FTDI cable found" +
                                     (cable_->lastError().empty() ? std::string{} : ": " + cable_->lastError()));
            }
        }
        openKLine(*cable_, description, baud);
    } else if (spec.kind == "elm") {
        auto port = std::make_unique<ports::PosixSerialPort>();
        port->setDevicePath(spec.detail);
        port->setSettings("38400,n,8,1");
        if (const int error = port->open(); error != ports::kSerialOk) {
            throw InterfaceError("cannot open " + spec.detail + " (" + std::to_string(error) + "): " + port->lastError());
        }
        elmPort_ = std::move(port);
        link_.TypeInterface = link::kInterfaceElm327;
    } else {
        link_.ModeDemo = true;
    }

    ports::KLineCable* lineCable = cable_.get();
    if (cable_ && options_.trafficLine) {
        traffic_ = std::make_unique<ports::TrafficCable>(*cable_, clock_, [this](const ports::TrafficEvent& e) {
            options_.trafficLine(ports::formatTraffic(e, origin_));
        });
        lineCable = traffic_.get();
    }
    link_.setCable(lineCable);

    kwp_ = std::make_unique<link::LinkInitialisation>(
        link_, view_,
        link::EcuMemory{[this](const std::string& key, int def) {
                            const auto it = ecuMemory_.find(key);
                            return it == ecuMemory_.end() ? def : std::stoi(it->second);
                        },
                        [this](const std::string& key, const std::string& value) { ecuMemory_[key] = value; }},
        channels_);
    const ecu::RequestTable table;
    // Models without a KWP2000 entry keep the initialisation's own StartCommunication.
    if (const auto startCom = table.request(ecu::Slot::ReqStartCom, typeEcu); !startCom.empty()) {
        kwp_->setStartCommunication(startCom, table.length(ecu::Slot::ReqStartCom, typeEcu));
    }
    if (elmPort_) {
        elm_ = std::make_unique<link::Elm327Link>(link_, *elmPort_, view_, channels_);
        elm_->install();
    }
    link::InitHooks hooks;
    const auto modeles = ecu::InitModeles();
    hooks.modelName = [modeles](int model) { return std::string(modeles.name(model)); };
    hooks.openElmPort = [this] { return elmPort_ && (elmPort_->isOpen() || elmPort_->open() == ports::kSerialOk); };
    link::InitRequests requests;
    if (!table.request(ecu::Slot::ReqPresent, typeEcu).empty()) {
        requests.ReqPresent = table.request(ecu::Slot::ReqPresent, typeEcu);
        requests.ReqPresentLength = table.length(ecu::Slot::ReqPresent, typeEcu);
    }
    init_ = std::make_unique<link::InitProcedure>(link_, view_, *kwp_, elm_.get(), std::move(hooks), requests);
    // The command line measures on its own terms: no automatic start.
    init_->autoStart = 0;
}

CliSession::~CliSession() {
    try {
        close();
    } catch (...) {
        // Closing is best effort; the kernel releases the device anyway.
    }
}

bool CliSession::initialise() {
    init_->cdintialisation_Click();
    return init_->linkUp();
}

std::string CliSession::identification() const { return view_.text("lbPanel5"); }

std::string CliSession::failure() const {
    if (!view_.messages().empty()) return view_.messages().back().text;
    if (link_.TypeECU == 3 || link_.TypeECU > 5 || link_.TypeECU < 0) {
        return "Pas d'initialisation pour ce modèle (" + std::to_string(link_.TypeECU) + ")";
    }
    for (auto it = trace_.lines().rbegin(); it != trace_.lines().rend(); ++it) {
        if (it->rfind("Echec init", 0) == 0) return *it;
    }
    const auto present = view_.text("lpresent");
    return present.empty() ? "Echec" : present;
}

void CliSession::close() {
    if (closed_) return;
    closed_ = true;
    link_.Timer_present().setEnabled(false);
    if (init_ && init_->linkUp()) {
        ecu::closeLink(link_, ecu::RequestTable{}, link_.TypeECU, link_.TypeInterface);
    } else if (auto* cable = link_.cable(); cable != nullptr && cable->isOpen()) {
        cable->close();
    }
    if (elmPort_ && elmPort_->isOpen()) elmPort_->close();
}

}  // namespace dravio::app
