#include "gui/link_session.h"

#include <algorithm>
#include <cmath>

#include "ecu/models.h"
#include "ecu/request_table.h"
#include "link/framing.h"
#include "link/interface_selection.h"
#include "sim/responder.h"
#include "support/ini_file.h"

namespace dravio::gui {

namespace {
constexpr std::int16_t kModelM59 = 4;
constexpr std::size_t kTrafficBacklog = 4000;
constexpr auto kIdlePoll = std::chrono::milliseconds(20);

// [Mesures] key -> the value label that carries the channel.
constexpr std::pair<const char*, const char*> kChannelLabels[] = {
    {"Air", "Air"},           {"Eau", "Eau"},           {"Avance", "Avance"},   {"Pression", "Pression"},
    {"Lambda", "lbLambda"},   {"Injection", "Injection"}, {"Tension", "Tension"}, {"Potar", "Potar"},
    {"Trimmer", "Trimmer"},   {"MoteurPP", "lbMoteurPP"},
};

void seed(base::ViewState& view, const std::map<std::string, base::ControlState>& controls) {
    for (const auto& [name, state] : controls) {
        if (state.text) view.setText(name, *state.text);
        if (state.visible) view.setVisible(name, *state.visible);
        if (state.enabled) view.setEnabled(name, *state.enabled);
        if (state.checked) view.setChecked(name, *state.checked);
        if (state.value) view.setValue(name, *state.value);
        if (state.maximum) view.setMaximum(name, *state.maximum);
    }
    view.takeChanges();
}
}  // namespace

// Counts the procedures running, so that closing waits for them to end.
struct LinkSession::Running {
    explicit Running(LinkSession& s) : session(s) { ++session.depth_; }
    ~Running() { --session.depth_; }
    Running(const Running&) = delete;
    Running& operator=(const Running&) = delete;
    LinkSession& session;
};

LinkSession::LinkSession(base::EventLoop& loop, link::Link& link, ports::KLineCable* cable, ports::SerialPort* elmPort,
                         SessionSetup setup, SessionOutputs outputs)
    : loop_(loop),
      link_(link),
      innerCable_(cable),
      setup_(std::move(setup)),
      outputs_(std::move(outputs)),
      settings_(setup_.settings),
      origin_(loop.clock().now()),
      graph_(setup_.settings.graph,
             [this](const display::GraphSettings& s, display::SettingsWrite how) {
                 settings_.graph = s;
                 if (outputs_.graphSettingsChanged) outputs_.graphSettingsChanged(s, how);
             }),
      idleWatch_(loop) {
    const std::int16_t model = setup_.typeEcu;
    link_.TypeECU = model;
    link_.TypeInterface = setup_.typeInterface;
    link_.ModeDemo = setup_.modeDemo;
    seed(view_, setup_.controls);
    channels_.MoteurPP = settings_.channels["MoteurPP"];
    channels_.Lambda = settings_.channels.count("Lambda") == 0 || settings_.channels["Lambda"];

    // The simulator: the model's ECU, asleep, behind the simulated cable.
    if (setup_.typeInterface == link::kInterfaceSimulateur && cable != nullptr && !setup_.modeDemo) {
        simCable_ = dynamic_cast<ports::SimCable*>(cable);
        const auto name = sim::simulatedModelName(model);
        if (simCable_ != nullptr && name) {
            simEcu_ = std::make_unique<sim::SimulatedEcu>(sim::makeSimulatedEcu(*name, false, false, loop_.clock().now()));
            if (simEcu_->device) {
                adapter_ = std::make_unique<sim::SimCableAdapter>(*simEcu_->device);
                simCable_->setPeer(adapter_.get());
            }
        }
    }
    if (cable != nullptr) {
        traffic_ = std::make_unique<ports::TrafficCable>(*cable, loop_.clock(),
                                                         [this](const ports::TrafficEvent& e) { onTraffic(e); });
        link_.setCable(traffic_.get());
    } else {
        link_.setCable(nullptr);
    }

    kwp_ = std::make_unique<link::LinkInitialisation>(
        link_, view_,
        link::EcuMemory{[this](const std::string& key, int def) {
                            const auto it = setup_.ecuMemory.find(key);
                            return it == setup_.ecuMemory.end() ? def : support::parseProfileInt(it->second, def);
                        },
                        [this](const std::string& key, const std::string& value) {
                            setup_.ecuMemory[key] = value;
                            if (outputs_.writeEcuKey) outputs_.writeEcuKey(key, value);
                        }},
        channels_);
    const ecu::RequestTable table;
    const auto startCom = table.request(ecu::Slot::ReqStartCom, model);
    const auto startComLength = table.length(ecu::Slot::ReqStartCom, model);
    kwp_->setStartCommunication(startCom.empty() ? std::string("81") : startCom,
                                startComLength == 0 ? std::int16_t{7} : startComLength);
    kwp_->setTraceFiles(setup_.traceFiles);
    if (setup_.typeInterface == link::kInterfaceElm327 && elmPort != nullptr) {
        elm_ = std::make_unique<link::Elm327Link>(link_, *elmPort, view_, channels_);
        elm_->install();
    }

    link::InitHooks hooks;
    hooks.GetResourceString = [this](int id, const std::string& french) { return text(id, french); };
    hooks.modelName = [modeles = ecu::InitModeles()](int m) { return std::string(modeles.name(m)); };
    hooks.GetTrimmerInitial = [this] {
        const auto initial = trimmer_->GetTrimmerInitial();
        cycle_->TrimmerInitial = initial;
        return std::to_string(initial);
    };
    hooks.cdparametreClick = [this] { parametre(); };
    hooks.MesuresArretees = [this] { return cycle_->MesuresArretees; };
    hooks.setStopMesures = [this] { cycle_->StopMesures = true; };
    hooks.externalLambda = [] { return false; };
    hooks.openElmPort = [elmPort] {
        return elmPort != nullptr && (elmPort->isOpen() || elmPort->open() == ports::kSerialOk);
    };
    link::InitRequests requests;
    if (!table.request(ecu::Slot::ReqPresent, model).empty()) {
        requests.ReqPresent = table.request(ecu::Slot::ReqPresent, model);
        requests.ReqPresentLength = table.length(ecu::Slot::ReqPresent, model);
    }
    init_ = std::make_unique<link::InitProcedure>(link_, view_, *kwp_, elm_.get(), std::move(hooks), requests);
    init_->autoStart = settings_.autoStart;

    status_ = std::make_unique<ecu::EngineStatus>(
        statusView_,
        ecu::EngineStatusHooks{exchange(), wait(),
                               [this](int id, const std::string& french) { return text(id, french); },
                               [this] { loop_.pump(); }},
        link_.EnteteReponse);
    trimmer_ = std::make_unique<ecu::LiveTrimmer>(
        view_,
        ecu::LiveHooks{exchange(), wait(),
                       [this](std::string_view line) { link_.trace().EcritTrace(std::string(line), true); },
                       [this](int id, const std::string& french) { return text(id, french); }},
        model, link_.EnteteReponse);
    stepper_ = std::make_unique<ecu::StepperMotor>(view_, loop_, ecu::StepperHooks{exchange(), wait()},
                                                   link_.EnteteReponse);

    ecu::CycleHooks cycleHooks;
    cycleHooks.GetResourceString = [this](int id, const std::string& french) { return text(id, french); };
    cycleHooks.versionText = [this] { return setup_.versionText; };
    cycleHooks.EcritConfig = [this] { writeSettings(); };
    cycleHooks.afterPoll = [this] {
        if (view_["chStatutSonde"].checked.value_or(false)) status_->DecodeStatuts();
    };
    cycleHooks.trace_pict = [this](float regime, const ecu::Mesures& m) {
        float shown = std::floor(regime / 10.0F) * 10.0F;
        graph_.noteShownRpm(shown < 300 ? 0 : static_cast<int>(shown));
        float rpm = regime;
        auto result = graph_.trace_pict(graphIndex_, rpm, m.Injection, m.Papillon);
        if (result.status == display::TraceStatus::GraphSwitchedOff) view_.setChecked("chgraph", false);
        if (outputs_.graph) outputs_.graph(std::move(result));
    };
    cycleHooks.DessineMap = [this](float regime, const ecu::Mesures& m) {
        float rpm = regime;
        auto result = map_.DessineMap(rpm, m.Papillon);
        if (outputs_.map) outputs_.map(std::move(result));
    };
    if (model == kModelM59) {
        cycleHooks.GestionMoteurPP = [this](float regime) { return stepper_->GestionMoteurPP(regime); };
    }
    cycleHooks.GestionTrimmer = [this](float regime) { trimmer_->GestionTrimmer(regime); };
    cycleHooks.GetTrimmerInitial = [this] { return trimmer_->GetTrimmerInitial(); };
    cycle_ = std::make_unique<ecu::MeasurementCycle>(link_, view_, settings_.cycle, std::move(cycleHooks));
    cycle_->fastMode = [this] { return view_["chgraph"].checked.value_or(false) && !graph_.options().chTPS; };

    idleWatch_.setInterval(kIdlePoll);
    idleWatch_.setOnTick([this] {
        if (depth_ > 0) return;
        idleWatch_.setEnabled(false);
        auto pending = std::move(whenIdle_);
        whenIdle_.clear();
        for (auto& then : pending) then();
    });

    view_.setAsker([this](const base::MessageBox& box) { return ask(box); });
    view_.setOnBeep([this] {
        if (outputs_.beep) outputs_.beep();
    });
    view_.setOnChange([this] { scheduleFlush(); });
    statusView_.setOnChange([this] { scheduleFlush(); });
}

LinkSession::~LinkSession() {
    *alive_ = false;
    view_.setOnChange({});
    statusView_.setOnChange({});
    view_.setAsker({});
    link_.Timer_present().setEnabled(false);
    link_.Timer_present().setOnTick({});
    link_.setElmExchange({});
    link_.setCable(innerCable_);
    if (simCable_ != nullptr) simCable_->setPeer(nullptr);
}

std::string LinkSession::text(int id, const std::string& french) const {
    return setup_.catalog.GetResourceString(id, french);
}

ecu::Exchange LinkSession::exchange() {
    return [this](std::string_view requete, std::string_view demo, std::int16_t longueur, std::int16_t delaiMs) {
        return link_.EnvoieRequete(requete, demo, longueur, delaiMs);
    };
}

ecu::Wait LinkSession::wait() {
    return [this](double secondes) { link_.Attente(secondes); };
}

void LinkSession::scheduleFlush() {
    if (flushScheduled_) return;
    flushScheduled_ = true;
    loop_.post([this, alive = std::weak_ptr<bool>(alive_)] {
        if (const auto token = alive.lock(); token && *token) flush();
    });
}

void LinkSession::flush() {
    flushScheduled_ = false;
    if (auto changes = view_.takeChanges(); !changes.empty() && outputs_.mainChanges) {
        outputs_.mainChanges(std::move(changes));
    }
    if (auto changes = statusView_.takeChanges(); !changes.empty() && outputs_.statusChanges) {
        outputs_.statusChanges(std::move(changes));
    }
    if (!trafficLines_.empty() && outputs_.traffic) {
        std::vector<std::string> lines;
        lines.swap(trafficLines_);
        outputs_.traffic(std::move(lines));
    }
}

void LinkSession::onTraffic(const ports::TrafficEvent& event) {
    // Nobody reads a backlog this long; keep the newest half.
    if (trafficLines_.size() >= kTrafficBacklog) {
        trafficLines_.erase(trafficLines_.begin(), trafficLines_.begin() + kTrafficBacklog / 2);
    }
    trafficLines_.push_back(ports::formatTraffic(event, origin_));
    scheduleFlush();
}

base::MessageAnswer LinkSession::ask(const base::MessageBox& box) {
    // The window shows the instructions before the box that refers to them.
    flush();
    if (aborted_) return base::MessageAnswer::Cancel;
    const auto answer = outputs_.ask ? outputs_.ask(box) : base::MessageAnswer::Ok;
    if (answer == base::MessageAnswer::Ok && box.title == kKeyOnTitle) keyOn();
    return answer;
}

void LinkSession::keyOn() {
    if (!simEcu_ || simEcu_->oneByte == nullptr || simCable_ == nullptr || !adapter_) return;
    simEcu_->oneByte->requestKeyOn(adapter_->output(*simCable_), loop_.clock().now());
}

void LinkSession::writeSettings() {
    for (const auto& [key, label] : kChannelLabels) settings_.channels[key] = view_.enabled(label);
    if (outputs_.settingsChanged) outputs_.settingsChanged(settings_);
}

void LinkSession::initialise() {
    if (aborted_) return;
    Running running(*this);
    init_->cdintialisation_Click();
    flush();
}

void LinkSession::reinitialise() {
    if (aborted_) return;
    Running running(*this);
    init_->CdReInit_Click();
    flush();
}

void LinkSession::parametre() {
    if (aborted_) return;
    Running running(*this);
    if (cycle_->MesuresArretees) {
        graph_.resetPoints();
        graphIndex_ = 0;
        if (link_.TypeECU == kModelM59) stepper_->setTempoLength(ecu::StepperMotor::kTempoTicks);
        trimmer_->TrimmerPremier = true;
    }
    cycle_->cdparametre_Click();
    flush();
}

void LinkSession::frameDoubleClick(const std::string& frame) { cycle_->frameDoubleClick(frame); }

void LinkSession::setTempo(int tempo) { cycle_->HScrollMoyenne_Change(tempo); }

void LinkSession::stepTempo(int delta) {
    if (delta > 0) {
        cycle_->mnmoyplus_Click();
    } else {
        cycle_->mnmoymoins_Click();
    }
}

void LinkSession::setChecked(const std::string& control, bool checked) {
    if (view_[control].checked == checked) return;
    view_.setChecked(control, checked);
}

void LinkSession::setValue(const std::string& control, int value) {
    if (view_[control].value == value) return;
    view_.setValue(control, value);
}

void LinkSession::trimmerScroll(int value) { trimmer_->HScrollTrimmerChange(value); }

void LinkSession::trimmerStep(int delta) {
    if (delta > 0) {
        trimmer_->mnPlusClick();
    } else {
        trimmer_->mnMoinsUnClick();
    }
}

void LinkSession::trimmerReset() { trimmer_->cdTrimmerClick(); }
void LinkSession::trimmerStore() { trimmer_->CdMemoriseClick(); }
void LinkSession::stepperTest() { stepper_->cdMoteurPPClick(); }

namespace {
display::TraceResult redrawn(const display::RpmGraph& graph, std::int16_t index) {
    display::TraceResult result;
    result.index = index;
    if (auto frame = graph.redraw()) {
        result.frame = std::move(*frame);
    } else {
        result.status = display::TraceStatus::GraphSwitchedOff;
    }
    return result;
}
}  // namespace

void LinkSession::setGraphOptions(const display::GraphOptions& options) {
    graph_.setOptions(options);
    if (outputs_.graph) outputs_.graph(redrawn(graph_, graphIndex_));
}

void LinkSession::setGraphSurface(const display::GraphSurface& surface) {
    graph_.setSurface(surface);
    if (outputs_.graph) outputs_.graph(redrawn(graph_, graphIndex_));
}

void LinkSession::scaleButton(int index) {
    if (graph_.cdEchelle_Click(index) && outputs_.graph) outputs_.graph(redrawn(graph_, graphIndex_));
}

void LinkSession::pointsChosen(const std::string& text) {
    if (graph_.lPoints_Click(text)) {
        graphIndex_ = 0;
        if (outputs_.graph) outputs_.graph(redrawn(graph_, graphIndex_));
    }
}

void LinkSession::idleMode(bool checked) {
    graph_.ch1000_Click(checked);
    view_.setChecked("chgraph", true);
    if (outputs_.graph) outputs_.graph(redrawn(graph_, graphIndex_));
}

void LinkSession::resetMap() { map_ = display::OperatingMap{}; }

void LinkSession::stopMeasuring() {
    if (!cycle_->MesuresArretees) cycle_->StopMesures = true;
}

void LinkSession::whenIdle(std::function<void()> then) {
    if (depth_ == 0) {
        then();
        return;
    }
    whenIdle_.push_back(std::move(then));
    idleWatch_.setEnabled(true);
}

void LinkSession::abort() {
    aborted_ = true;
    cycle_->StopMesures = true;
}

}  // namespace dravio::gui
