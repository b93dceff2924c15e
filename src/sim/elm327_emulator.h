// sim: an ELM327 adapter as its own documentation describes it. The program
// writes characters to the adapter's serial port and reads characters back;
// behind the adapter a simulated ECU sits on a simulated K-line.
//
// The emulator has no clock of its own: every character comes in with its
// time, and the answer characters are scheduled at the times a real adapter
// would send them. A reader collects what is due with takeDue(now) and sleeps
// until nextDue() (twin::Elm327SerialPort does both for a SerialPort reader).
//
// How it treats its input, as the adapter does:
// - blanks, line feeds and other control characters are ignored; a carriage
//   return ends a command; a lone carriage return repeats the last command;
// - characters received while an AT command runs wait and are read after the
//   prompt; characters received while the adapter resets are lost;
// - while a request to the ECU runs, the first character received stops it:
//   "STOPPED" and the prompt, and that character is dropped. The adapter does
//   not look at its input during a bus initiation, only once it is over.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "sim/elm327_bus.h"
#include "sim/elm327_commands.h"

namespace dravio::sim {

// What tells adapters apart.
struct Elm327Profile {
    std::string version = "ELM327 v2.1";
    // Cheap clones answer "?" to the commands their firmware lacks.
    bool fastInitCommand = true;     // FI
    bool keyWordsCommand = true;     // KW
    bool wakeupMessageCommand = true;  // WM

    static Elm327Profile genuine();
    static Elm327Profile clone();  // "ELM327 v1.5" without FI, KW and WM
};

// The adapter's settings, as AT commands leave them.
struct Elm327Settings {
    bool echo = true;
    bool linefeeds = false;
    bool spaces = true;
    bool headers = false;
    int protocol = 0;           // 0 automatic, 3 ISO 9141, 4 KWP 5-baud, 5 KWP fast, ...
    bool automatic = true;      // SP 0 or SP Ah: search when the protocol fails
    std::array<std::uint8_t, 3> header{0xC1, 0x33, 0xF1};
    std::vector<std::uint8_t> wakeupMessage{0xC1, 0x33, 0xF1, 0x3E};
    int wakeupPeriodUnits = 0x92;  // 20 ms each; 0 never
    int timeoutUnits = 0x32;       // 4 ms each
    bool keyWordCheck = true;
    bool allowLong = false;
    std::uint8_t initAddress = 0x33;
};

class Elm327Emulator {
public:
    using TimePoint = Clock::TimePoint;
    using Duration = Clock::Duration;

    // Delays of the adapter itself.
    static constexpr Duration kCommandDelay = std::chrono::milliseconds(3);
    static constexpr Duration kResetDelay = std::chrono::milliseconds(600);
    static constexpr Duration kWarmStartDelay = std::chrono::milliseconds(60);
    // K-line timings the adapter keeps.
    static constexpr Duration kIdleBeforeWakeUp = std::chrono::milliseconds(300);  // W5
    static constexpr Duration kRequestGap = std::chrono::milliseconds(55);         // P3 min
    static constexpr Duration kByteGap = std::chrono::milliseconds(5);             // P4
    static constexpr Duration kInterByteLimit = std::chrono::milliseconds(20);     // P1 max
    static constexpr Duration kKeyByteWait = std::chrono::milliseconds(30);        // W4
    static constexpr Duration kResponsePending = std::chrono::milliseconds(5000);  // P2* max
    // After a complete message the adapter waits this long (or the ST time-out
    // if shorter) for another one before it prints the prompt.
    static constexpr Duration kMoreMessagesWait = std::chrono::milliseconds(60);

    explicit Elm327Emulator(Elm327Profile profile = Elm327Profile::genuine(), std::uint32_t serialBaud = 38400);
    Elm327Emulator(const Elm327Emulator&) = delete;
    Elm327Emulator& operator=(const Elm327Emulator&) = delete;

    // The ECU on the K-line; nullptr for none.
    void setEcu(KLineDevice* ecu) { bus_.setDevice(ecu); }

    // Characters the program wrote, starting to arrive at `t` (one after the
    // other at the serial rate). `t` never goes back in time.
    void receive(TimePoint t, std::string_view chars);
    // Runs the adapter up to `now` (input, commands, its own keep-alive).
    void advanceTo(TimePoint now);
    // Every character due by `now`, removed from the schedule.
    std::string takeDue(TimePoint now);
    // When the next scheduled character is due; max() when none.
    TimePoint nextDue() const;

    const Elm327Settings& settings() const { return settings_; }
    const Elm327Profile& profile() const { return profile_; }
    bool connected() const { return connected_; }
    const Elm327Bus& bus() const { return bus_; }
    // Key bytes of the last initiation.
    const std::array<std::uint8_t, 2>& keyBytes() const { return keyBytes_; }
    Duration serialCharTime() const { return charTime_; }

private:
    enum class Job { None, Command, Reset, Request };
    struct Scheduled {
        TimePoint at;
        char c;
    };
    struct Init {
        bool ok = false;
        TimePoint end{};
    };

    void processChar(TimePoint t, char c);
    void execute(TimePoint t, const std::string& line);
    void runAt(TimePoint t, const AtRequest& at);
    void runRequest(TimePoint t, const std::vector<std::uint8_t>& data);
    void interrupt(TimePoint t);
    void sendWakeupMessage(TimePoint t);
    TimePoint nextKeepAlive() const;
    // When the first waiting input character takes effect; max() when none.
    TimePoint inputEventTime() const;

    // Output; "\r" becomes "\r\n" with line feeds on. Returns when the last
    // character leaves.
    TimePoint emitText(TimePoint t, std::string_view text);
    // The answer lines, the blank line and the prompt; marks the end of the job.
    void finish(TimePoint t, const std::vector<std::string>& lines);
    void finishText(TimePoint t, std::string_view text);

    Init connect(TimePoint t, TimePoint& printAt);
    Init fastInit(TimePoint t);
    Init slowInit(TimePoint t, TimePoint& printAt, bool printDots);
    std::vector<std::uint8_t> frame(const std::vector<std::uint8_t>& data) const;
    Duration timeout() const;
    std::string protocolName(int protocol) const;

    Elm327Profile profile_;
    Elm327Settings settings_;
    Elm327Bus bus_;
    Duration charTime_;

    std::deque<Scheduled> input_;
    TimePoint inputFree_ = TimePoint::min();
    std::deque<Scheduled> output_;
    TimePoint outputFree_ = TimePoint::min();
    char lastOutput_ = '\0';  // last character scheduled, delivered or not
    Scheduled lastDelivered_{TimePoint::min(), '\0'};

    std::string line_;
    bool lineOverflow_ = false;
    std::string lastCommand_;
    Job job_ = Job::None;
    TimePoint busyUntil_ = TimePoint::min();
    TimePoint watchFrom_ = TimePoint::min();
    TimePoint processedUntil_ = TimePoint::min();

    bool connected_ = false;
    std::array<std::uint8_t, 2> keyBytes_{};
};

}  // namespace dravio::sim
