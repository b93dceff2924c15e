// display: the external air/fuel-ratio sources behind the AFR window
// (frmAFR): an MTS stream from an LC-1 / LM-1 controller, a DLP-IO8 module
// and a USB-1208 board, both reading a controller's analog output. Once per
// measurement cycle AcquiertLambda reads the chosen source and shows two
// channels; the recordings take the texts the window shows.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "base/clock.h"
#include "base/view_state.h"
#include "display/mts_reader.h"
#include "ports/daq_board.h"
#include "ports/serial_port.h"

namespace dravio::display {

// SourceAFR: the position of the chosen name in the options' list.
enum class AfrSource : std::int16_t { None = 0, DlpIo8 = 1, Mts = 2, Usb1208 = 3 };

// "Nothing", "DLP-IO8", "LC-LM", "USB-1208"; None for any other text.
AfrSource sourceFromName(std::string_view name);

// A volt-to-AFR line of the options' "Linear conversion points".
struct CalibrationLine {
    float voltsLow = 0;   // ViL
    float voltsHigh = 5;  // ViH
    float afrLow = 10;    // FRiL
    float afrHigh = 20;   // FRiH
    float slope = 2;      // worked out by withSlope() when the options are accepted

    // The line with its slope: (FRiH - FRiL) / (ViH - ViL), 0 when ViH = ViL.
    CalibrationLine withSlope() const;
    // AFR at `volts`, on the line through both points.
    float afr(float volts) const;
};

struct LambdaConfig {
    AfrSource SourceAFR = AfrSource::None;
    int PortAFR = 0;         // serial port number, 0: none
    std::string devicePath;  // a device outside the numbered list, in place of PortAFR's
    std::array<CalibrationLine, 2> lines{};
};

class LambdaAcquisition {
public:
    static constexpr float kBoardFailure = 996.0f;

    // `port` for the DLP-IO8 and the MTS stream, `board` for the USB-1208;
    // either may be null when that source is not used.
    LambdaAcquisition(base::ViewState& frmAFR, base::Clock& clock, LambdaConfig config, ports::SerialPort* port,
                      ports::DaqBoard* board);

    // chDLP clicked: opens the port for the source and puts a DLP-IO8 in
    // binary mode, or closes the port. A port that fails shows "Com Error Port:".
    void chDLP_Click(bool checked);
    bool acquiring() const { return acquiring_; }

    // Once per measurement cycle; `dt` is the time since the previous one (s).
    void AcquiertLambda(double dt);

    // Volts on DLP-IO8 input `channel` + 1 (channel 0 or 1).
    float LitVoltDLP(int channel);
    // Averaged volts on board input `channel`, with automatic range selection.
    float LitVoltCBW(int channel);
    // One board reading with the range GammeCBW; kBoardFailure when it fails.
    float LitCanalCBW(int channel);
    std::int16_t GammeCBW = ports::kBip20Volts;

    // The "TEST" box: the MTS reader gets the fixed test packet instead of the port.
    bool chTest = false;
    const MtsReader& mts() const { return mts_; }

    // What lbAFR(0) and lbAFR(1) show, "--" before any value.
    std::string afrText(int channel) const;

    // Lets queued events run while a reading waits (the window's DoEvents).
    std::function<void()> letEventsRun;
    // The catalog's text by id, the built-in French without one.
    std::function<std::string(int id, const std::string& french)> texts;

private:
    void show(const std::string& label, const std::string& text);
    void comError();
    // The serial device was unplugged: stops reading it, shows no value and says so once.
    bool deviceLost();
    void waitSeconds(double seconds);

    base::ViewState& view_;
    base::Clock& clock_;
    LambdaConfig config_;
    ports::SerialPort* port_;
    ports::DaqBoard* board_;
    MtsReader mts_;
    bool acquiring_ = false;
};

// Range code for the next board reading from the last volts read.
std::int16_t rangeFor(float volts);

}  // namespace dravio::display
