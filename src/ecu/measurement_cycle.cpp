#include "ecu/measurement_cycle.h"

#include <cmath>
#include <cstdio>

#include "base/number_pattern.h"
#include "ecu/plausible.h"
#include "link/value_labels.h"

namespace dravio::ecu {

namespace {

constexpr const char* kParametres = "Paramètres - F3";
constexpr const char* kStop = "Stop - F3";
constexpr const char* kOff = "--";

struct FrameChannel {
    const char* frame;
    const char* label;
};
// Frames whose double-click switches a channel, and the label that carries it.
constexpr FrameChannel kFrames[] = {
    {"Frair", "Air"},         {"Freau", "Eau"},        {"Fravance", "Avance"},    {"Frpression", "Pression"},
    {"Frinject", "Injection"}, {"Frbatterie", "Tension"}, {"frLambda", "lbLambda"}, {"Frgaz", "Potar"},
};

}  // namespace

std::string generalNumber(float value) {
    if (!std::isfinite(value)) return "0";
    char text[32];
    std::snprintf(text, sizeof text, "%.7g", static_cast<double>(value));
    return text;
}

MeasurementCycle::MeasurementCycle(link::Link& link, base::ViewState& frmparam, CycleSettings& settings,
                                   CycleHooks hooks)
    : link_(link), view_(frmparam), settings_(settings), hooks_(std::move(hooks)), timer_(link.loop().clock()) {}

std::string MeasurementCycle::text(int id, const std::string& french) const {
    return hooks_.GetResourceString ? hooks_.GetResourceString(id, french) : french;
}

std::string MeasurementCycle::title() const {
    return text(101, "Dravio") + (hooks_.versionText ? hooks_.versionText() : std::string{});
}

double MeasurementCycle::random() { return std::uniform_real_distribution<double>(0.0, 1.0)(random_); }

MeasureChannels MeasurementCycle::channels() const {
    MeasureChannels c;
    c.Potar = view_.enabled("Potar");
    c.Injection = view_.enabled("Injection");
    c.Avance = view_.enabled("Avance");
    c.Pression = view_.enabled("Pression");
    c.Air = view_.enabled("Air");
    c.Eau = view_.enabled("Eau");
    c.Tension = view_.enabled("Tension");
    return c;
}

float MeasurementCycle::moyenne(int channel, int counter, float value, int depth) {
    if (depth < 2) return value;
    // The history has 61 slots a channel: deeper averages are clamped to it.
    depth = std::min(depth, kHistorySlots);
    if (channel < 0 || channel >= kHistoryChannels) return value;
    auto& slots = history_[static_cast<std::size_t>(channel)];
    const int slot = ((counter % depth) + depth) % depth;
    slots[static_cast<std::size_t>(slot)] = value;
    float sum = 0;
    for (int i = 0; i < depth; ++i) {
        auto& held = slots[static_cast<std::size_t>(i)];
        if (held == 0.0F) held = value;  // empty slots take the current value
        sum += held;
    }
    return sum / static_cast<float>(depth);
}

void MeasurementCycle::cdparametre_Click() {
    if (view_.text("cdparametre") == text(2101, kStop)) {
        view_.setText("cdparametre", text(2100, kParametres));
        view_.setEnabled("cdparametre", false);
        StopMesures = true;
        view_.setChecked("Chenregistre", false);
        view_.setEnabled("mnConvert", true);
        return;
    }
    if (!LiaisonLibre) return;
    view_.setText("cdparametre", text(2101, kStop));
    StopMesures = false;
    view_.setEnabled("mnConvert", false);
    cycle();
}

void MeasurementCycle::setUp() {
    m_ = Mesures{};
    lastPlausible_ = Mesures{};
    if (!decoder_ || decoder_->model() != link_.TypeECU) decoder_.emplace(link_.TypeECU, link_.EnteteReponse);
    timer_.Start();
    lastReading_ = 0;
    CompteurCycles = 0;
    NbRates = 0;
    if (link_.ModeDemo) view_.setText("lbPanel3", text(2103, "Démo"));
    const proto::Model model = link_.TypeECU;
    if (model == proto::Model::MM15 || model == proto::Model::RC15) {
        view_.setVisible("mnTrimmer", false);
        view_.setEnabled("cdTrimer15", false);
    }
    MesuresArretees = false;
    link_.Timer_present().setEnabled(false);
    if (model == proto::Model::M59) {
        view_.setVisible("FrChgTrimmer", settings_.Trimmer);
        view_.setVisible("mnTrimmer", settings_.Trimmer);
        if (!TrimmerInitial && hooks_.GetTrimmerInitial) TrimmerInitial = hooks_.GetTrimmerInitial();
        const std::string initial = TrimmerInitial ? std::to_string(*TrimmerInitial) : std::string{};
        view_.setText("cdTrimmer", text(174, "Reset to ") + initial);
        view_.setEnabled("cdTrimmer", TrimmerInitial.has_value());
        if (link_.ModeDemo && TrimmerInitial) view_.setValue("HScrollTrimmer", *TrimmerInitial);
    }
    if (model == proto::Model::Obd) {
        view_.setText("Frinject", text(2112, "LOAD %"));
        view_.setText("Fravance", text(2113, "Mass Air cg/s"));
        view_.setText("Frbatterie", text(2114, "Speed"));
    }
    view_.setMaximum("ProgressBar1", 100);
    view_.setVisible("ProgressBar1", true);
    view_.setText("Lbtest", text(2102, "TPS (deg)"));
    view_.setVisible("Lbtest", true);
}

void MeasurementCycle::tearDown() {
    view_.setText("cdparametre", text(2100, kParametres));
    view_.setEnabled("cdparametre", true);
    MesuresArretees = true;
    link_.Timer_present().setEnabled(true);
    view_.setVisible("FrChgTrimmer", false);
    if (link_.TypeECU == proto::Model::MM15 || link_.TypeECU == proto::Model::RC15) {
        view_.setVisible("mnTrimmer", true);
        view_.setEnabled("cdTrimer15", true);
    }
    view_.setVisible("ProgressBar1", false);
    view_.setText("Lbtest", "");
    view_.setText("frmparam", title());
}

void MeasurementCycle::show(const std::string& label, bool on, const std::string& value) {
    view_.setText(label, on ? value : std::string(kOff));
}

void MeasurementCycle::cycle() {
    setUp();
    while (true) {
        CompteurCycles = static_cast<std::int16_t>((CompteurCycles + 1) % 10000);
        link_.loop().pump();
        if (StopMesures) break;
        iteration();
        if (StopMesures) break;
    }
    tearDown();
}

void MeasurementCycle::iteration() {
    ++cyclesRun_;
    if (!decoder_ || decoder_->model() != link_.TypeECU) decoder_.emplace(link_.TypeECU, link_.EnteteReponse);
    auto on = channels();
    const bool fast = link_.TypeECU == proto::Model::M59 && fastMode && fastMode();

    // Live values.
    const Exchange exchange = [this](std::string_view requete, std::string_view demo, std::int16_t longueur,
                                     std::int16_t delaiMs) { return link_.EnvoieRequete(requete, demo, longueur, delaiMs); };
    const Wait wait = [this](double secondes) { link_.Attente(secondes); };
    const auto tps = decoder_->poll(exchange, wait, on, fast, m_);
    if (const std::string wrong = implausibleValue(link_.TypeECU, m_); !wrong.empty()) {
        // Neither shown nor recorded, nor averaged into the next cycles.
        link_.trace().EcritTrace(text(2515, "Valeur invraisemblable rejetée : ") + wrong, true);
        m_ = lastPlausible_;
        for (const char* label : link::kValueLabels) view_.setText(label, kOff);
        return;
    }
    lastPlausible_ = m_;
    if (tps.lbLsbTPS) view_.setText("lbLsbTPS", *tps.lbLsbTPS);
    if (tps.lbTPSVolt) view_.setText("lbTPSVolt", *tps.lbTPSVolt);
    if (link_.TypeECU == proto::Model::M59 && hooks_.afterPoll) hooks_.afterPoll();
    if (link_.TypeECU == proto::Model::M59 && hooks_.GetLambda && view_.enabled("lbLambda")) {
        m_.LambdaVal = hooks_.GetLambda();
        view_.setText("lbLambda", base::fixedDecimals(m_.LambdaVal, 3));
    }

    // Engine speed.
    if (link_.ModeDemo) m_.Regime = static_cast<float>(std::floor(5000.0 * random() + 1.0) + 990.0);
    const float regimeMoyen = moyenne(1, CompteurCycles, m_.Regime, settings_.Tempo);
    float shown = std::floor(regimeMoyen / 10.0F) * 10.0F;
    if (shown < 300) shown = 0;
    if (shown < 1000) settings_.zMin = 900;
    view_.setText("Rmp", base::groupedInteger(shown, 1));

    // Throttle.
    if (link_.ModeDemo) m_.Papillon = static_cast<float>(50.0 * random() + 10.0);
    // The idle graph's fast mode reads the engine speed only: the rest shows no value.
    if (fast) on = MeasureChannels{false, false, false, false, false, false, false};
    if (on.Potar) {
        view_.setText("Potar", base::fixedDecimals(m_.Papillon, 1));
        if (!(hooks_.stepperBusy && hooks_.stepperBusy())) {
            view_.setValue("ProgressBar1", static_cast<int>(std::lround(m_.Papillon)));
        }
    } else {
        view_.setText("Potar", kOff);
    }

    // Injection.
    float injection = 1;
    if (on.Injection) {
        if (link_.ModeDemo) m_.Injection = static_cast<float>(std::floor(2.0 * random() + 1.0) + 5.0);
        injection = moyenne(3, CompteurCycles, m_.Injection, settings_.Tempo);
        view_.setText("Injection", base::fixedDecimals(injection, 2));
    } else {
        view_.setText("Injection", kOff);
    }

    if (view_["chgraph"].checked.value_or(false) && hooks_.trace_pict) hooks_.trace_pict(regimeMoyen, m_);
    if (view_["chMap"].checked.value_or(false) && hooks_.DessineMap) hooks_.DessineMap(regimeMoyen, m_);

    show("Avance", on.Avance, base::fixedDecimals(m_.AvanceVal, 1));

    float pression = m_.PressionVal;
    if (!settings_.UnitePression) pression = pression / 1.33F;
    show("Pression", on.Pression, base::plainInteger(pression, 0));

    float air = m_.TempAir;
    float eau = m_.TempEau;
    if (!settings_.UniteTemp) {
        air = std::floor(air * 9.0F / 5.0F + 32.0F);
        eau = std::floor(eau * 9.0F / 5.0F + 32.0F);
    }
    show("Air", on.Air, generalNumber(air));
    show("Eau", on.Eau, generalNumber(eau));
    show("Tension", on.Tension, base::fixedDecimals(m_.TensionVal, 1));

    if (hooks_.GestionMoteurPP) view_.setText("lbMoteurPP", hooks_.GestionMoteurPP(regimeMoyen));
    if (hooks_.GestionTrimmer) hooks_.GestionTrimmer(regimeMoyen);

    // Cycle rate in the title bar.
    timer_.StopNow();
    const double reading = timer_.Result();
    const double dt = reading - lastReading_;
    if (dt > 0) {
        view_.setText("frmparam", title() + "  (" + base::fixedDecimals(1.0 / dt, 1) + " Hz)" + "D=" +
                                      base::fixedDecimals(dt, 3));
    }
    lastReading_ = reading;

    if (hooks_.AcquiertLambda) hooks_.AcquiertLambda();

    record_ = CycleRecord{reading, regimeMoyen, m_.Papillon, injection, m_.AvanceVal, pression, air, eau,
                          m_.TensionVal, m_.LambdaVal};
    if (hooks_.onRecord) hooks_.onRecord(record_);

    // Link check: three red indicators in a row end the cycle.
    if (link_.Shape1() == link::kShape1Red) {
        // Nothing was read: no value may stay on screen as if it were.
        for (const char* label : link::kValueLabels) view_.setText(label, kOff);
        if (NbRates >= 2) {
            StopMesures = true;
        } else {
            ++NbRates;
            view_.beep();
            link_.Attente(0.25);
            link_.trace().EcritTrace("Raté: " + std::to_string(NbRates), true);
        }
    } else {
        NbRates = 0;
    }
}

void MeasurementCycle::frameDoubleClick(const std::string& frame) {
    if (frame == "Frtrimmer") {
        const bool now = !view_.enabled("Trimmer");
        view_.setEnabled("Trimmer", now);
        if (!now) view_.setText("Trimmer", kOff);
        settings_.Trimmer = now;
        // The change frame and its menu follow only while measuring a model-4 ECU.
        const bool live = now && link_.TypeECU == proto::Model::M59 && !MesuresArretees;
        view_.setVisible("FrChgTrimmer", live);
        view_.setVisible("mnTrimmer", now);
        if (hooks_.EcritConfig) hooks_.EcritConfig();
        return;
    }
    if (frame == "frMoteurPP") {
        const bool now = !view_.enabled("lbMoteurPP");
        view_.setEnabled("lbMoteurPP", now);
        view_.setEnabled("cdMoteurPP", now);
        if (!now) view_.setText("lbMoteurPP", kOff);
        if (hooks_.EcritConfig) hooks_.EcritConfig();
        return;
    }
    for (const auto& f : kFrames) {
        if (frame != f.frame) continue;
        const bool now = !view_.enabled(f.label);
        view_.setEnabled(f.label, now);
        if (std::string(f.label) == "Potar") {
            view_.setEnabled("frTPS", now);
            view_.setVisible("frTPS", now && proto::isOneByte(link_.TypeECU) && link_.TypeECU != proto::Model::P8);
        }
        if (!now) view_.setText(f.label, kOff);
        if (hooks_.EcritConfig) hooks_.EcritConfig();
        return;
    }
}

void MeasurementCycle::HScrollMoyenne_Change(int value) {
    settings_.Tempo = static_cast<std::int16_t>(std::clamp(value, 1, kHistorySlots));
    view_.setValue("HScrollMoyenne", settings_.Tempo);
    view_.setText("ltempo", std::to_string(settings_.Tempo));
    if (hooks_.EcritConfig) hooks_.EcritConfig();
}

void MeasurementCycle::mnmoyplus_Click() { HScrollMoyenne_Change(settings_.Tempo + 1); }

void MeasurementCycle::mnmoymoins_Click() { HScrollMoyenne_Change(settings_.Tempo - 1); }

}  // namespace dravio::ecu
