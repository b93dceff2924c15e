// link: waking a KWP2000 ECU: up to 40 attempts cycling through the wake-up
// modes, StartCommunication, timing parameters, identification, and the trace
// file renamed once the link is up.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

#include "base/view_state.h"
#include "link/link.h"

namespace dravio::link {

// The ECU section of the settings, read and written as the procedure goes.
struct EcuMemory {
    std::function<int(const std::string& key, int defaultValue)> readInt;
    std::function<void(const std::string& key, const std::string& value)> write;
};

// Channel settings the procedure reads or switches off.
struct InitChannels {
    bool MoteurPP = false;
    bool Lambda = true;
};

// The trace file of this run, and the folder it lives in.
struct TraceFileNames {
    std::filesystem::path logDir;
    int number = 0;  // 0 to 9
};

// Shows or hides the stepper-motor and lambda controls for the identification
// read from the ECU: only the 5AM ("IAW5A") has them. Switches the stepper-motor
// channel off otherwise.
void applyIdentification(base::ViewState& view, InitChannels& channels, const std::string& identification);

class LinkInitialisation {
public:
    static constexpr int kMaxAttempts = 40;
    // An unattended attempt (automatic re-initialisation) ends without the
    // "no answer" box: the trace says it, and the next attempt follows.
    bool quietFailure = false;
    static constexpr double kBasePulse = 0.022;
    static constexpr std::uint32_t kLowBaud = 200;
    static constexpr std::uint32_t kBaud = 10400;

    LinkInitialisation(Link& link, base::ViewState& view, EcuMemory memory, InitChannels& channels);

    // The StartCommunication request of the model and its answer length.
    void setStartCommunication(std::string request, std::int16_t length);
    void setTraceFiles(TraceFileNames names) { traceFiles_ = std::move(names); }
    // The language's text of an id (the French text when it has none), for the
    // reasons of a failed initialisation the trace gives.
    void setTexts(std::function<std::string(int, const std::string&)> texts) { texts_ = std::move(texts); }

    // True when the ECU answered StartCommunication.
    bool InitLiaison();

    // Sends `adresse` as one character of `tempsBit` seconds a bit by switching
    // the cable's break condition: start bit, eight data bits LSB first, stop bit.
    void Baud5Set(double tempsBit, int adresse);

    // The break pulse of mode 0 for `attempt`: 22 ms + 0, +1, -1, +2, -2, +3, -3 ms.
    static double pulseFor(int attempt);
    // The mode used from `attempt` on, given the mode before it.
    static int nextMode(int mode, int attempt);

    // What the last run found.
    const std::string& identification() const { return identification_; }
    int attempts() const { return attempts_; }
    int mode() const { return mode_; }

private:
    std::string text(int id, const std::string& french) const { return texts_ ? texts_(id, french) : french; }
    std::function<std::string(int, const std::string&)> texts_;
    void wakeUp(int mode, int attempt);
    void explainFailure(const std::string& answer, int mode);
    void afterSuccess(int mode, int attempt);
    void renameTraceFile();

    Link& link_;
    base::ViewState& view_;
    EcuMemory memory_;
    InitChannels& channels_;
    std::string startCom_ = "81";
    std::int16_t startComLength_ = 7;
    TraceFileNames traceFiles_;
    std::string identification_;
    int attempts_ = 0;
    int mode_ = 0;
};

}  // namespace dravio::link
