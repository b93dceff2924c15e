#include "display/lambda_sources.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <vector>

#include "proto/hex.h"
#include "base/number_pattern.h"

namespace dravio::display {
namespace {

constexpr auto kDlpTimeout = std::chrono::milliseconds(100);
constexpr auto kPollSlice = std::chrono::milliseconds(1);

}  // namespace

AfrSource sourceFromName(std::string_view name) {
    if (name == "DLP-IO8") return AfrSource::DlpIo8;
    if (name == "LC-LM") return AfrSource::Mts;
    if (name == "USB-1208") return AfrSource::Usb1208;
    return AfrSource::None;
}

CalibrationLine CalibrationLine::withSlope() const {
    CalibrationLine line = *this;
    line.slope = voltsHigh == voltsLow ? 0.0f : (afrHigh - afrLow) / (voltsHigh - voltsLow);
    return line;
}

float CalibrationLine::afr(float volts) const {
    // Measured from the low point, so the line passes through both points
    // whatever ViL is (with ViL = 0 this is the plain V x slope + FRiL).
    return (volts - voltsLow) * slope + afrLow;
}

std::int16_t rangeFor(float volts) {
    const float v = std::fabs(volts);
    if (v < 0.8f) return ports::kBip1Volts;
    if (v < 2.0f) return ports::kBip2Pt5Volts;
    if (v < 4.0f) return ports::kBip5Volts;
    if (v < 10.0f) return ports::kBip10Volts;
    return ports::kBip20Volts;
}

LambdaAcquisition::LambdaAcquisition(base::ViewState& frmAFR, base::Clock& clock, LambdaConfig config,
                                     ports::SerialPort* port, ports::DaqBoard* board)
    : view_(frmAFR), clock_(clock), config_(std::move(config)), port_(port), board_(board) {
    for (int i = 0; i < 2; ++i) {
        view_.setText("lbVolt" + std::to_string(i), "--");
        view_.setText("lbAFR" + std::to_string(i), "--");
    }
}

std::string LambdaAcquisition::afrText(int channel) const { return view_.text("lbAFR" + std::to_string(channel)); }

void LambdaAcquisition::show(const std::string& label, const std::string& text) { view_.setText(label, text); }

void LambdaAcquisition::waitSeconds(double seconds) {
    clock_.sleepFor(std::chrono::duration_cast<base::Clock::Duration>(std::chrono::duration<double>(seconds)));
}

void LambdaAcquisition::comError() {
    base::MessageBox box;
    box.text = "Com Error Port:" + std::to_string(config_.PortAFR) + "\nDisconnect and connect the DLP8-LC1";
    box.icon = base::MessageBox::Icon::Critical;
    view_.showMessage(box);
}

bool LambdaAcquisition::deviceLost() {
    if (port_ == nullptr || !port_->gone()) return false;
    acquiring_ = false;
    view_.setChecked("chDLP", false);
    for (const char* label : {"lbVolt0", "lbVolt1", "lbAFR0", "lbAFR1"}) show(label, "--");
    port_->close();
    const std::string french = "Le boîtier lambda a été débranché : l'acquisition AFR est arrêtée.";
    base::MessageBox box;
    // The port's reason is not in the user's language: the text says enough.
    box.text = texts ? texts(3420, french) : french;
    box.title = texts ? texts(3410, "AFR") : "AFR";
    box.icon = base::MessageBox::Icon::Exclamation;
    view_.showMessage(box);
    return true;
}

void LambdaAcquisition::chDLP_Click(bool checked) {
    acquiring_ = checked;
    view_.setChecked("chDLP", checked);
    const bool serial = config_.SourceAFR == AfrSource::DlpIo8 || config_.SourceAFR == AfrSource::Mts;
    if (port_ == nullptr || !serial) return;
    if (!checked) {
        if (port_->isOpen()) port_->close();
        return;
    }
    if (config_.PortAFR <= 0) return;
    port_->setSettings(config_.SourceAFR == AfrSource::DlpIo8 ? "115200,n,8,1" : "19200,n,8,1");
    mts_ = MtsReader{};
    if (config_.devicePath.empty()) {
        port_->setPortNumber(config_.PortAFR);
    } else {
        port_->setDevicePath(config_.devicePath);
    }
    view_.setVisible("frmAFR", true);
    if (!port_->isOpen() && port_->open() != ports::kSerialOk) {
        comError();
        return;
    }
    // The DLP-IO8's binary-mode command; an MTS controller ignores it.
    if (!port_->output("\\")) {
        comError();
        return;
    }
    waitSeconds(0.05);
    port_->input();
}

void LambdaAcquisition::AcquiertLambda(double dt) {
    switch (config_.SourceAFR) {
        case AfrSource::DlpIo8:
            if (!acquiring_ || config_.PortAFR <= 0 || deviceLost()) return;
            for (int channel = 0; channel < 2; ++channel) {
                const float volts = LitVoltDLP(channel);
                if (deviceLost()) return;  // pulled out during the reading: 0 V is no value
                const float afr = config_.lines[static_cast<std::size_t>(channel)].afr(volts);
                show("lbVolt" + std::to_string(channel), base::fixedDecimals(volts, 3));
                show("lbAFR" + std::to_string(channel), base::fixedDecimals(afr, 3));
            }
            return;
        case AfrSource::Mts: {
            if (!acquiring_ || config_.PortAFR <= 0 || (!chTest && deviceLost())) return;
            std::vector<std::uint8_t> bytes;
            if (chTest) {
                bytes = proto::fromHex(kMtsTestPacket);
            } else if (port_ != nullptr) {
                port_->setBinaryMode(true);
                // Leave a whole packet time to arrive when the cycle runs fast.
                if (dt < 0.06) waitSeconds(0.03);
                const std::string in = port_->input();
                if (deviceLost()) return;
                bytes.assign(in.begin(), in.end());
            }
            mts_.LectureMTS(bytes);
            show("lbAFR0", mts_.afr1Text());
            show("lbAFR1", mts_.afr2Text());
            return;
        }
        case AfrSource::Usb1208:
            for (int channel = 0; channel < 2 && acquiring_; ++channel) {
                const float volts = LitVoltCBW(channel);
                show("lbVolt" + std::to_string(channel), base::fixedDecimals(volts, 3));
                show("lbAFR" + std::to_string(channel), base::fixedDecimals(volts, 1));
            }
            return;
        case AfrSource::None:
            return;
    }
}

float LambdaAcquisition::LitVoltDLP(int channel) {
    if (port_ == nullptr) return 0;
    port_->output(channel == 0 ? "Z" : "X");
    const auto deadline = clock_.now() + kDlpTimeout;
    while (port_->inputCount() < 2 && clock_.now() < deadline) {
        if (letEventsRun) letEventsRun();
        clock_.sleepUntil(std::min(deadline, clock_.now() + kPollSlice));
    }
    // First and last byte of what came: a short answer is used as read.
    const std::string in = port_->input();
    const int b1 = in.empty() ? 0 : static_cast<std::uint8_t>(in.front());
    const int b2 = in.empty() ? 0 : static_cast<std::uint8_t>(in.back());
    const int raw = b1 * 256 + b2;
    return static_cast<float>(raw) * 5.0f / 1024.0f;
}

float LambdaAcquisition::LitCanalCBW(int channel) {
    std::uint16_t count = 0;
    const int error = board_ != nullptr ? board_->cbAIn(0, channel, GammeCBW, count) : ports::kDaqBadBoard;
    if (error == ports::kDaqBadRange) {
        view_.showMessage({"Change the Gain argument to one supported by this board.", "Unsupported Gain",
                           base::MessageBox::Icon::Exclamation, base::MessageBox::Buttons::Ok});
        return kBoardFailure;
    }
    if (error != ports::kDaqNoErrors) {
        view_.showMessage({"Measurement failed", "Measurement Computing", base::MessageBox::Icon::Critical,
                           base::MessageBox::Buttons::Ok});
        acquiring_ = false;
        view_.setChecked("chDLP", false);
        return kBoardFailure;
    }
    float volts = 0;
    board_->cbToEngUnits(0, GammeCBW, count, volts);
    return volts;
}

float LambdaAcquisition::LitVoltCBW(int channel) {
    GammeCBW = ports::kBip20Volts;
    float v = LitCanalCBW(channel);
    if (v == kBoardFailure) return v;
    GammeCBW = rangeFor(v);
    float sum = 0;
    for (int i = 0; i < 5; ++i) {
        v = LitCanalCBW(channel);
        sum += v;
        GammeCBW = rangeFor(v);
    }
    return sum / 5.0f - 0.003f;
}

}  // namespace dravio::display
