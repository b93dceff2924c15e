// ecu: the measurement cycle, the loop the user watches: it asks the ECU for its
// live values, averages engine speed and injection time, converts units, shows
// every value in its frame and hands each cycle's record to the graph, the map
// and the recordings. It runs on the link thread and lets queued events run once
// per iteration; anything that needs the link ends it through StopMesures.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <random>
#include <string>

#include "base/ctimeit.h"
#include "base/view_state.h"
#include "ecu/decoding.h"
#include "ecu/exchange.h"
#include "ecu/mesures.h"
#include "link/link.h"

namespace dravio::ecu {

// One cycle's values as the graph, the map and the recordings take them.
struct CycleRecord {
    double secondes = 0;     // since the cycle started
    float Regime = 0;        // averaged, before the rounding to tens
    float Papillon = 0;
    float Injection = 0;     // averaged; 1 when the channel is off
    float AvanceVal = 0;
    float PressionVal = 0;   // display unit
    float TempAir = 0;       // display unit
    float TempEau = 0;       // display unit
    float TensionVal = 0;
    float LambdaVal = 0;
};

// The settings the cycle reads and changes; owned by the settings object.
struct CycleSettings {
    std::int16_t Tempo = 5;
    bool UniteTemp = true;      // true: degC
    bool UnitePression = true;  // true: hPa
    bool Trimmer = false;
    std::int16_t zMin = 1000;
};

struct CycleHooks {
    ResourceText GetResourceString;
    // " - 0.1.0 Debian ..." after the title text.
    std::function<std::string()> versionText;
    // Writes the settings back (a channel switched, the averaging changed).
    std::function<void()> EcritConfig;
    // Model 4, after the live values: engine status and lambda.
    std::function<void()> afterPoll;
    // The graph and the map, when their boxes are checked, with this cycle's
    // averaged engine speed and the decoded values.
    std::function<void(float regime, const Mesures& m)> trace_pict;
    std::function<void(float regime, const Mesures& m)> DessineMap;
    // Stepper motor text for lbMoteurPP and the trimmer handling.
    std::function<std::string(float regime)> GestionMoteurPP;
    // True while the stepper test owns the bar graph.
    std::function<bool()> stepperBusy;
    std::function<void(float regime)> GestionTrimmer;
    // Model 4: the lambda word the ECU reports (lbLambda), while its channel is on.
    std::function<float()> GetLambda;
    // The external lambda device, when one is chosen.
    std::function<void()> AcquiertLambda;
    // Every finished cycle (recordings, the command line).
    std::function<void(const CycleRecord&)> onRecord;
    // The model-4 trimmer's starting value, read when none is known.
    std::function<std::int16_t()> GetTrimmerInitial;
};

class MeasurementCycle {
public:
    static constexpr int kHistoryChannels = 4;
    static constexpr int kHistorySlots = 61;
    static constexpr int kTempoTicks = 160;

    MeasurementCycle(link::Link& link, base::ViewState& frmparam, CycleSettings& settings, CycleHooks hooks);

    // The button: starts the cycle, or asks a running one to stop.
    void cdparametre_Click();
    // Runs until StopMesures.
    void cycle();
    // One iteration's work after the events ran; exposed for tests and benchmarks.
    void iteration();

    float moyenne(int channel, int counter, float value, int depth);

    // A double-click on a measurement frame switches its channel.
    void frameDoubleClick(const std::string& frame);
    // The averaging scroll bar and its menu entries.
    void HScrollMoyenne_Change(int value);
    void mnmoyplus_Click();
    void mnmoymoins_Click();

    // Process-wide flags of the main window.
    bool StopMesures = false;
    bool MesuresArretees = true;
    bool LiaisonLibre = true;
    bool ModeDemo() const { return link_.ModeDemo; }

    std::int16_t NbRates = 0;
    std::int16_t CompteurCycles = 0;
    std::optional<std::int16_t> TrimmerInitial;
    const Mesures& mesures() const { return m_; }
    const CycleRecord& lastRecord() const { return record_; }
    int cyclesRun() const { return cyclesRun_; }
    // "RMP" channel fast mode: the graph is shown without its throttle curve.
    std::function<bool()> fastMode;

private:
    MeasureChannels channels() const;
    std::string text(int id, const std::string& french) const;
    std::string title() const;
    void setUp();
    void tearDown();
    void show(const std::string& label, bool on, const std::string& value);
    double random();

    link::Link& link_;
    base::ViewState& view_;
    CycleSettings& settings_;
    CycleHooks hooks_;
    std::optional<MeasureDecoder> decoder_;
    Mesures m_;
    Mesures lastPlausible_;
    CycleRecord record_;
    std::array<std::array<float, kHistorySlots>, kHistoryChannels> history_{};
    base::CTimeIt timer_;
    double lastReading_ = 0;
    std::mt19937 random_{12345};
    int cyclesRun_ = 0;
};

// "General number" text of a value, as the temperatures are shown: no trailing
// zeros, at most seven significant digits.
std::string generalNumber(float value);

}  // namespace dravio::ecu
