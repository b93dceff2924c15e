#include "session/session.h"

#include <algorithm>
#include <cmath>

#include "diag/dtc59_window.h"
#include "diag/identification_gate.h"
#include "display/ecu_lambda.h"
#include "ports/traffic_cable.h"
#include "proto/models.h"
#include "proto/request_table.h"
#include "session/shutdown.h"
#include "support/ini_file.h"

namespace dravio::session {

namespace {
constexpr std::size_t kTrafficBacklog = 4000;
constexpr auto kIdlePoll = std::chrono::milliseconds(20);
constexpr auto kReinitEvery = std::chrono::seconds(5);

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
struct Session::Running {
    explicit Running(Session& s) : session(s) { ++session.depth_; }
    ~Running() { --session.depth_; }
    Running(const Running&) = delete;
    Running& operator=(const Running&) = delete;
    Session& session;
};

Session::Session(base::EventLoop& loop, link::Link& link, Devices& devices, SessionSetup setup, SessionOutputs outputs)
    : loop_(loop),
      link_(link),
      devices_(devices),
      setup_(std::move(setup)),
      outputs_(std::move(outputs)),
      settings_(setup_.settings),
      origin_(loop.clock().now()),
      graph_(setup_.settings.graph,
             [this](const display::GraphSettings& s, display::SettingsWrite how) {
                 settings_.graph = s;
                 if (outputs_.graphSettingsChanged) outputs_.graphSettingsChanged(s, how);
             }),
      idleWatch_(loop),
      reinitTimer_(loop) {
    const proto::Model model = setup_.model;
    link_.TypeECU = model;
    link_.TypeInterface = devices_.choice().typeInterface();
    link_.ModeDemo = setup_.modeDemo;
    seed(view_, setup_.controls);
    channels_.MoteurPP = settings_.channels["MoteurPP"];
    channels_.Lambda = settings_.channels.count("Lambda") == 0 || settings_.channels["Lambda"];

    devices_.setTrafficSink([this](const ports::TrafficEvent& e) { onTraffic(ports::formatTraffic(e, origin_)); });
    link_.setCable(devices_.cable());

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
    const proto::RequestTable table;
    const auto startCom = table.request(proto::Slot::ReqStartCom, model);
    const auto startComLength = table.length(proto::Slot::ReqStartCom, model);
    // Models without a KWP2000 entry keep the wake-up's own StartCommunication.
    if (!startCom.empty()) kwp_->setStartCommunication(startCom, startComLength);
    kwp_->setTraceFiles(setup_.traceFiles);
    kwp_->setTexts([this](int id, const std::string& french) { return text(id, french); });
    link_.setTexts([this](int id, const std::string& french) { return text(id, french); });
    if (auto* elmPort = devices_.elmPort()) {
        elm_ = std::make_unique<link::Elm327Link>(link_, *elmPort, view_, channels_);
        elm_->install();
    }

    link::InitHooks hooks;
    hooks.GetResourceString = [this](int id, const std::string& french) { return text(id, french); };
    hooks.modelName = [modeles = proto::InitModeles()](proto::Model m) { return std::string(modeles.name(m)); };
    hooks.GetTrimmerInitial = [this] { return std::to_string(readTrimmerInitial()); };
    hooks.cdparametreClick = [this] { parametre(); };
    hooks.linkWentDown = [this] {
        if (settings_.autoReinit && proto::isKwp(link_.TypeECU)) reinitTimer_.setEnabled(true);
    };
    hooks.MesuresArretees = [this] { return cycle_->MesuresArretees; };
    hooks.setStopMesures = [this] { cycle_->StopMesures = true; };
    hooks.externalLambda = [this] { return setup_.lambda.SourceAFR != display::AfrSource::None; };
    hooks.openElmPort = [this] {
        std::string why;
        const bool opened = devices_.reopenElm(why);
        if (!opened && !why.empty()) link_.trace().EcritTrace(why, false);
        return opened;
    };
    link::InitRequests requests;
    if (!table.request(proto::Slot::ReqPresent, model).empty()) {
        requests.ReqPresent = table.request(proto::Slot::ReqPresent, model);
        requests.ReqPresentLength = table.length(proto::Slot::ReqPresent, model);
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
    if (model == proto::Model::M59) {
        cycleHooks.GestionMoteurPP = [this](float regime) { return stepper_->GestionMoteurPP(regime); };
        cycleHooks.stepperBusy = [this] { return stepper_->BarreOccupee(); };
    }
    cycleHooks.GestionTrimmer = [this](float regime) { trimmer_->GestionTrimmer(regime); };
    cycleHooks.GetTrimmerInitial = [this] { return readTrimmerInitial(); };
    cycleHooks.onRecord = [this](const ecu::CycleRecord& record) {
        if (recorder_) recorder_->write(record, recordTexts());
        if (outputs_.record) outputs_.record(record);
    };
    setUpLambdaAndRecordings(cycleHooks);
    cycle_ = std::make_unique<ecu::MeasurementCycle>(link_, view_, settings_.cycle, std::move(cycleHooks));
    cycle_->fastMode = [this] { return view_["chgraph"].checked.value_or(false) && !graph_.options().chTPS; };

    reinitTimer_.setInterval(kReinitEvery);
    reinitTimer_.setOnTick([this] {
        // From a task of its own: a started cycle must not run inside the timer's tick.
        loop_.post([this, alive = alive_] {
            if (*alive) automaticReinitialisation();
        });
    });
    idleWatch_.setInterval(kIdlePoll);
    idleWatch_.setOnTick([this] {
        if (depth_ > 0) return;
        idleWatch_.setEnabled(false);
        auto pending = std::move(whenIdle_);
        whenIdle_.clear();
        for (auto& then : pending) then();
    });

    oneByte_ = std::make_unique<OneByteWindows>(OneByteContext{
        loop_, link_, ecu::CycleGate{cycle_->StopMesures, cycle_->MesuresArretees, cycle_->LiaisonLibre}, view_,
        [this](int id, const std::string& french) { return text(id, french); },
        // Not ask(): these boxes share the key-on box's title but never mean the key.
        [this](const base::MessageBox& box) {
            flush();
            if (aborted_) return base::MessageAnswer::Cancel;
            return outputs_.ask ? outputs_.ask(box) : base::MessageAnswer::Ok;
        },
        [this] { view_.beep(); },
        [this](const std::function<void()>& work) {
            if (aborted_) return;
            Running running(*this);
            work();
            flush();
        }});

    link_.setOnDeviceLost([this](const std::string&) { onDeviceLost(); });
    view_.setAsker([this](const base::MessageBox& box) { return ask(box); });
    view_.setOnBeep([this] {
        if (outputs_.beep) outputs_.beep();
    });
    view_.setOnChange([this] {
        scheduleFlush();
        // The recordings follow their boxes, whoever changed them.
        if (recorder_) recorder_->follow();
    });
    statusView_.setOnChange([this] { scheduleFlush(); });
    afrView_.setAsker([this](const base::MessageBox& box) { return ask(box); });
    afrView_.setOnChange([this] { scheduleFlush(); });
    if (recorder_) recorder_->follow();
}

Session::~Session() {
    *alive_ = false;
    view_.setOnChange({});
    statusView_.setOnChange({});
    afrView_.setOnChange({});
    view_.setAsker({});
    afrView_.setAsker({});
    link_.Timer_present().setEnabled(false);
    link_.Timer_present().setOnTick({});
    link_.setElmExchange({});
    link_.setOnDeviceLost({});
    link_.setTexts({});
    devices_.setTrafficSink({});
}

void Session::automaticReinitialisation() {
    if (linkUp() || aborted_ || closed_) {
        reinitTimer_.setEnabled(false);
        return;
    }
    if (depth_ > 0) return;  // the rider's own procedure runs
    if (!link_.deviceLost().empty()) {
        // Quietly until the device is back: the rider was told once already.
        std::string why;
        if (!devices_.reopen(why)) return;
        link_.clearDeviceLost();
        link_.setCable(devices_.cable());
    }
    link_.trace().EcritTrace(text(2514, "Réinitialisation automatique"), true);
    kwp_->quietFailure = true;
    initialise();
    kwp_->quietFailure = false;
    if (linkUp()) reinitTimer_.setEnabled(false);
}

std::int16_t Session::readTrimmerInitial() {
    // The reset button and the cycle must agree on the value put back.
    const auto initial = trimmer_->GetTrimmerInitial();
    trimmer_->TrimmerInitial = initial;
    cycle_->TrimmerInitial = initial;
    return initial;
}

std::string Session::text(int id, const std::string& french) const {
    return setup_.catalog.GetResourceString(id, french);
}

ecu::Exchange Session::exchange() {
    return [this](std::string_view requete, std::string_view demo, std::int16_t longueur, std::int16_t delaiMs) {
        return link_.EnvoieRequete(requete, demo, longueur, delaiMs);
    };
}

ecu::Wait Session::wait() {
    return [this](double secondes) { link_.Attente(secondes); };
}

void Session::scheduleFlush() {
    if (flushScheduled_) return;
    flushScheduled_ = true;
    loop_.post([this, alive = std::weak_ptr<bool>(alive_)] {
        if (const auto token = alive.lock(); token && *token) flush();
    });
}

void Session::flush() {
    flushScheduled_ = false;
    if (auto changes = view_.takeChanges(); !changes.empty() && outputs_.mainChanges) {
        outputs_.mainChanges(std::move(changes));
    }
    if (auto changes = statusView_.takeChanges(); !changes.empty() && outputs_.statusChanges) {
        outputs_.statusChanges(std::move(changes));
    }
    if (auto changes = afrView_.takeChanges(); !changes.empty() && outputs_.afrChanges) {
        outputs_.afrChanges(std::move(changes));
    }
    if (!trafficLines_.empty() && outputs_.traffic) {
        std::vector<std::string> lines;
        lines.swap(trafficLines_);
        outputs_.traffic(std::move(lines));
    }
}

void Session::onTraffic(std::string line) {
    // Nobody reads a backlog this long; keep the newest half.
    if (trafficLines_.size() >= kTrafficBacklog) {
        trafficLines_.erase(trafficLines_.begin(), trafficLines_.begin() + kTrafficBacklog / 2);
    }
    trafficLines_.push_back(std::move(line));
    scheduleFlush();
}

base::MessageAnswer Session::ask(const base::MessageBox& box) {
    // The window shows the instructions before the box that refers to them.
    flush();
    if (aborted_) return base::MessageAnswer::Cancel;
    const auto answer = outputs_.ask ? outputs_.ask(box) : base::MessageAnswer::Ok;
    if (answer == base::MessageAnswer::Ok && box.title == kKeyOnTitle) keyOn();
    return answer;
}

void Session::keyOn() { devices_.turnKeyOn(loop_.clock().now()); }

void Session::writeSettings() {
    for (const auto& [key, label] : kChannelLabels) settings_.channels[key] = view_.enabled(label);
    if (outputs_.settingsChanged) outputs_.settingsChanged(settings_);
}

void Session::initialise() {
    if (aborted_) return;
    Running running(*this);
    if (!reopenLostDevice()) return;
    init_->cdintialisation_Click();
    initialised_ = initialised_ || init_->linkUp();
    flush();
}

void Session::reinitialise() {
    if (aborted_) return;
    Running running(*this);
    init_->CdReInit_Click();
    flush();
}

void Session::parametre() {
    if (aborted_) return;
    Running running(*this);
    if (cycle_->MesuresArretees) {
        graph_.resetPoints();
        graphIndex_ = 0;
        if (link_.TypeECU == proto::Model::M59) stepper_->setTempoLength(ecu::StepperMotor::kTempoTicks);
        trimmer_->TrimmerPremier = true;
        // An external AFR source shows its window when measuring starts.
        if (lambda_) afrView_.setVisible("frmAFR", true);
    }
    cycle_->cdparametre_Click();
    // The cycle has ended: an open workbook is saved and closed.
    if (cycle_->MesuresArretees) view_.setChecked("Chenregistre", false);
    flush();
}

void Session::frameDoubleClick(const std::string& frame) { cycle_->frameDoubleClick(frame); }

void Session::setTempo(int tempo) { cycle_->HScrollMoyenne_Change(tempo); }

void Session::stepTempo(int delta) {
    if (delta > 0) {
        cycle_->mnmoyplus_Click();
    } else {
        cycle_->mnmoymoins_Click();
    }
}

void Session::setChecked(const std::string& control, bool checked) {
    if (view_[control].checked == checked) return;
    view_.setChecked(control, checked);
}

void Session::setValue(const std::string& control, int value) {
    if (view_[control].value == value) return;
    view_.setValue(control, value);
}

void Session::trimmerScroll(int value) { trimmer_->HScrollTrimmerChange(value); }

void Session::trimmerStep(int delta) {
    if (delta > 0) {
        trimmer_->mnPlusClick();
    } else {
        trimmer_->mnMoinsUnClick();
    }
}

void Session::trimmerReset() { trimmer_->cdTrimmerClick(); }
void Session::trimmerStore() { trimmer_->CdMemoriseClick(); }
void Session::stepperTest() { stepper_->cdMoteurPPClick(); }

void Session::afrChecked(const std::string& control, bool checked) {
    if (!lambda_) return;
    if (control == "chDLP") {
        if (lambda_->acquiring() != checked) lambda_->chDLP_Click(checked);
    } else if (control == "chTest") {
        lambda_->chTest = checked;
        afrView_.setChecked("chTest", checked);
    }
    flush();
}

void Session::setUpLambdaAndRecordings(ecu::CycleHooks& hooks) {
    const proto::Model model = setup_.model;
    if (model == proto::Model::M59) {
        hooks.GetLambda = [this] {
            const bool iaw5a = identification().find("IAW5A") != std::string::npos;
            return static_cast<float>(display::GetLambda(iaw5a, exchange(), wait(), link_.EnteteReponse));
        };
    }
    if (setup_.lambda.SourceAFR != display::AfrSource::None) {
        base::Clock& clock = loop_.clock();
        lambdaDevices_ = LambdaDevices::open(setup_.lambda.SourceAFR, devices_.simulatedEcu() != nullptr, clock);
        lambda_ = std::make_unique<display::LambdaAcquisition>(afrView_, clock, setup_.lambda,
                                                               lambdaDevices_.port.get(), lambdaDevices_.board.get());
        lambda_->letEventsRun = [this] { loop_.pump(); };
        lambda_->texts = [this](int id, const std::string& french) { return text(id, french); };
        hooks.AcquiertLambda = [this, &clock] {
            const auto now = clock.now();
            const double dt = lastLambda_ == base::Clock::TimePoint{}
                                  ? 0.0
                                  : std::chrono::duration<double>(now - lastLambda_).count();
            lastLambda_ = now;
            lambda_->AcquiertLambda(dt);
        };
    }
    if (!setup_.DossierData.empty()) {
        Recorder::Setup recording;
        recording.DossierData = setup_.DossierData;
        recording.layout = recordLayout(model);
        recording.GetResourceString = [this](int id, const std::string& french) { return text(id, french); };
        recording.EcritTrace = [this](const std::string& line) { link_.trace().EcritTrace(line, true); };
        recorder_ = std::make_unique<Recorder>(view_, std::move(recording));
    }
}

display::RecordTexts Session::recordTexts() const {
    display::RecordTexts texts;
    for (int i = 0; i < 2; ++i) {
        const std::string shown = afrView_.text("lbAFR" + std::to_string(i));
        (i == 0 ? texts.AFR1 : texts.AFR2) = shown.empty() ? "--" : shown;
    }
    const std::string lambda = view_.text("lbLambda");
    texts.lambdaShown = view_.visible("lbLambda") && !lambda.empty() && lambda != "--";
    texts.SteepTPS = view_.text("lbLsbTPS");
    texts.TPSmV = view_.text("lbTPSVolt");
    return texts;
}

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

void Session::setGraphOptions(const display::GraphOptions& options) {
    graph_.setOptions(options);
    if (outputs_.graph) outputs_.graph(redrawn(graph_, graphIndex_));
}

void Session::setGraphSurface(const display::GraphSurface& surface) {
    graph_.setSurface(surface);
    if (outputs_.graph) outputs_.graph(redrawn(graph_, graphIndex_));
}

void Session::scaleButton(int index) {
    if (graph_.cdEchelle_Click(index) && outputs_.graph) outputs_.graph(redrawn(graph_, graphIndex_));
}

void Session::pointsChosen(const std::string& text) {
    if (graph_.lPoints_Click(text)) {
        graphIndex_ = 0;
        if (outputs_.graph) outputs_.graph(redrawn(graph_, graphIndex_));
    }
}

void Session::idleMode(bool checked) {
    graph_.ch1000_Click(checked);
    view_.setChecked("chgraph", true);
    if (outputs_.graph) outputs_.graph(redrawn(graph_, graphIndex_));
}

void Session::resetMap() { map_ = display::OperatingMap{}; }

void Session::stopMeasuring() {
    if (!cycle_->MesuresArretees) cycle_->StopMesures = true;
}

void Session::reconfigure(const SessionSetup& setup) {
    setup_.settings = setup.settings;  // settings_ and the cycle refer to these
    setup_.catalog = setup.catalog;
    init_->autoStart = settings_.autoStart;
    channels_.MoteurPP = settings_.channels["MoteurPP"];
    channels_.Lambda = settings_.channels.count("Lambda") == 0 || settings_.channels["Lambda"];
    // Only what the options change; the rest of the window is the procedures' own.
    constexpr const char* kFromOptions[] = {"frTPS", "lbLsbTPS", "lbTPSVolt", "FrChgTrimmer", "Frair", "Freau",
                                            "Frpression"};
    std::map<std::string, base::ControlState> adopted;
    for (const auto& [key, label] : kChannelLabels) {
        if (const auto it = setup.controls.find(label); it != setup.controls.end()) adopted.insert(*it);
    }
    for (const char* name : kFromOptions) {
        if (const auto it = setup.controls.find(name); it != setup.controls.end()) adopted.insert(*it);
    }
    for (const auto& [name, state] : adopted) {
        if (state.text) view_.setText(name, *state.text);
        if (state.visible) view_.setVisible(name, *state.visible);
        if (state.enabled) view_.setEnabled(name, *state.enabled);
    }
}

void Session::whenIdle(std::function<void()> then) {
    if (depth_ == 0) {
        then();
        return;
    }
    whenIdle_.push_back(std::move(then));
    idleWatch_.setEnabled(true);
}

void Session::abort() {
    aborted_ = true;
    cycle_->StopMesures = true;
}

void Session::close(bool stopRequestsOnlyWhenUp) {
    if (closed_) return;
    closed_ = true;
    abort();
    // Unchecked boxes at quitting: both recordings are closed and kept.
    if (recorder_) recorder_->closeAll();
    // A session this program never opened is not ended by it either.
    closeLink(link_, devices_, !stopRequestsOnlyWhenUp || (initialised_ && init_->linkUp()));
}

std::string Session::identification() const { return view_.text("lbPanel5"); }

diag::IdentificationLines Session::identify() {
    Running running(*this);
    base::ViewState window;
    diag::FrmIdentification frm(window, diag::identificationHooks(link_, [this](int id, const std::string& french) {
                                    return text(id, french);
                                }));
    frm.Form_Load(diag::identificationFamily(proto::rowOf(link_.TypeECU).name));
    return frm.lines();
}

std::optional<diag::IdentificationLines> Session::identifyFromMenu() {
    if (aborted_) return std::nullopt;
    if (!diag::stopCycleBeforeOpening(cycle_->StopMesures, cycle_->MesuresArretees, view_, "mnIdentification")) {
        flush();
        return std::nullopt;
    }
    auto lines = identify();
    flush();
    return lines;
}

void Session::identificationClosed() {
    base::ViewState closed;
    diag::FrmIdentification(closed, {}).cdquitter_Click(view_);
    flush();
}

void Session::logIdentification(const diag::IdentificationLines& lines) {
    link_.trace().EcritTrace("", false);
    for (const auto& line : lines) link_.trace().EcritTrace(line, false);
    link_.trace().EcritTrace("", false);
}

std::vector<diag::Dtc59Record> Session::readFaults(bool clearFirst) {
    if (!proto::isKwp(link_.TypeECU)) return {};
    Running running(*this);
    base::ViewState window;
    const auto form = link_.TypeECU == proto::Model::Obd ? diag::Dtc59Form::ObdII : diag::Dtc59Form::Kwp2000;
    diag::FrmDTC59 frm(loop_, window,
                       diag::dtc59Hooks(link_, [this](int id, const std::string& french) { return text(id, french); }),
                       diag::dtc59Requests(proto::RequestTable{}, link_.TypeECU), form, identification());
    frm.Form_Load();
    if (clearFirst) frm.CleanError_Click();
    return frm.faults().readAll();
}

std::optional<diag::FaultReading> Session::readOneByteFaults() {
    const auto model = diag::oneByteModelFromName(proto::rowOf(link_.TypeECU).name);
    if (!model || *model == diag::OneByteModel::P8) return std::nullopt;
    Running running(*this);
    base::ViewState window;
    diag::OneByteHooks hooks{exchange(), wait(),
                             [this](std::string_view line) { link_.trace().EcritTrace(std::string(line), false); },
                             [this](int id, const std::string& french) { return text(id, french); },
                             [this] { loop_.pump(); }};
    diag::MainWindowHooks main{[this](bool on) { link_.Timer_present().setEnabled(on); }, [](bool) {}, [] {}};
    diag::FrmErreur frm(window, view_, *model, std::move(hooks), std::move(main),
                        ecu::CycleGate{cycle_->StopMesures, cycle_->MesuresArretees, cycle_->LiaisonLibre});
    frm.Form_Load();
    auto reading = frm.cderreur_Click();
    flush();
    return reading;
}

std::string Session::failure() const {
    if (!link_.deviceLost().empty()) return deviceLostText();
    if (!view_.messages().empty()) return view_.messages().back().text;
    if (proto::rowOf(link_.TypeECU).init == proto::InitKind::None) {
        return text(2530, "Pas d'initialisation pour ce modèle (") + std::string(proto::rowOf(link_.TypeECU).name) + ")";
    }
    // The failure lines start alike in each language: "Echec init", "Init failed"...
    const std::string translated = text(2510, "Echec init : câble non ouvert");
    const std::string prefix = translated.substr(0, translated.find(':'));
    const auto& lines = link_.trace().lines();
    for (auto it = lines.rbegin(); it != lines.rend(); ++it) {
        if (it->rfind("Echec init", 0) == 0 || (!prefix.empty() && it->rfind(prefix, 0) == 0)) return *it;
    }
    const auto present = view_.text("lpresent");
    return present.empty() ? "Echec" : present;
}

}  // namespace dravio::session
