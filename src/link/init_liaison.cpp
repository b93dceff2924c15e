#include "link/init_liaison.h"

#include <cmath>
#include <system_error>

#include "proto/hex.h"
#include "proto/answer.h"
#include "link/cable_setup.h"

namespace dravio::link {

namespace {

constexpr const char* kNoAnswerText = "Pas de réponse de l'ECU ! Vérifiez les connexions";
constexpr const char* kNoAnswerTitle = "Fatal erreur";

std::string percentText(int attempt) {
    // ",  0%": the share of attempts as a whole percentage, rounded half up.
    const int percent = static_cast<int>(std::floor(attempt * 100.0 / LinkInitialisation::kMaxAttempts + 0.5));
    return "  " + std::to_string(percent) + "%";
}

}  // namespace

void applyIdentification(base::ViewState& view, InitChannels& channels, const std::string& identification) {
    if (identification.find("IAW5A") != std::string::npos) {
        view.setVisible("frMoteurPP", true);
        view.setVisible("lbLambda", true);
        view.setEnabled("lbMoteurPP", channels.MoteurPP);
        view.setEnabled("cdMoteurPP", channels.MoteurPP);
        view.setEnabled("lbLambda", channels.Lambda);
    } else {
        view.setVisible("frMoteurPP", false);
        view.setVisible("lbLambda", false);
        view.setEnabled("lbMoteurPP", false);
        view.setEnabled("cdMoteurPP", false);
        channels.MoteurPP = false;
    }
}

LinkInitialisation::LinkInitialisation(Link& link, base::ViewState& view, EcuMemory memory, InitChannels& channels)
    : link_(link), view_(view), memory_(std::move(memory)), channels_(channels) {}

void LinkInitialisation::setStartCommunication(std::string request, std::int16_t length) {
    startCom_ = std::move(request);
    startComLength_ = length;
}

double LinkInitialisation::pulseFor(int attempt) {
    static constexpr int kOffsetsMs[7] = {0, 1, -1, 2, -2, 3, -3};
    const int index = ((attempt % 7) + 7) % 7;
    return kBasePulse + kOffsetsMs[index] / 1000.0;
}

int LinkInitialisation::nextMode(int mode, int attempt) {
    if (attempt % 10 != 0) return mode;
    return mode == 3 ? 0 : (mode + 1) % 3;
}

void LinkInitialisation::Baud5Set(double tempsBit, int adresse) {
    ports::KLineCable* cable = link_.cable();
    const auto lineLow = [&](bool low, int bits) {
        if (cable) low ? cable->breakOn() : cable->breakOff();
        link_.Attente(tempsBit * bits);
    };
    // Start bit.
    lineLow(true, 1);
    // Data bits, least significant first, one pulse per run of equal bits.
    int bit = 0;
    while (bit < 8) {
        const bool one = ((adresse >> bit) & 1) != 0;
        int run = 1;
        while (bit + run < 8 && (((adresse >> (bit + run)) & 1) != 0) == one) ++run;
        lineLow(!one, run);
        bit += run;
    }
    // Stop bit: the line stays released.
    if (cable) cable->breakOff();
}

void LinkInitialisation::wakeUp(int mode, int attempt) {
    ports::KLineCable* cable = link_.cable();
    const auto write = [&](std::uint8_t byte) {
        if (cable) cable->write(byte);
    };
    const auto release = [&] {
        if (cable) cable->breakOff();
    };
    const auto setBaud = [&](std::uint32_t baud) {
        if (cable) cable->setBaudRate(baud);
    };
    switch (mode) {
        case 0: {
            InitComFTDI(cable, kBaud);
            link_.Attente(0.1);
            release();
            link_.Attente(0.35);
            const double t = pulseFor(attempt);
            if (cable) cable->breakOn();
            link_.Attente(t);
            release();
            link_.Attente(t);
            break;
        }
        case 1:
            InitComFTDI(cable, kLowBaud);
            link_.Attente(0.1);
            release();
            link_.Attente(0.35);
            write(0xF0);
            link_.Attente(10.0 / kLowBaud);
            setBaud(kBaud);
            break;
        case 2: {
            InitComFTDI(cable, kBaud);
            link_.Attente(0.4);
            Baud5Set(0.2, 0x10);
            const auto answer = link_.EnvoieRequete("", "0000EF8F", 3, 600);
            link_.trace().EcritTrace("Init 5 baud par bites apres 10 : " + answer, true);
            const auto p = answer.find("55");
            if (p != std::string::npos && answer.size() >= p + 6) {
                const int keyByte2 = proto::HexToByte(answer.substr(p + 4, 2));
                link_.Attente(0.032);
                write(static_cast<std::uint8_t>(0xFF - keyByte2));
                link_.Attente(0.1);
            }
            break;
        }
        case 3:
            InitComFTDI(cable, kLowBaud);
            release();
            link_.Attente(0.35);
            write(0xF0);
            link_.Attente(5.0 / kLowBaud);
            setBaud(kBaud);
            break;
        case 4:
            InitComFTDI(cable, kLowBaud);
            link_.Attente(0.1);
            release();
            link_.Attente(0.35);
            write(0xF0);
            setBaud(kBaud);
            break;
        default:
            // Modes 5 to 7: StartCommunication without a wake-up.
            break;
    }
}

void LinkInitialisation::explainFailure(const std::string& answer, int mode) {
    if (link_.ModeDemo) return;
    ports::KLineCable* cable = link_.cable();
    std::string why;
    if (cable == nullptr || !cable->isOpen()) {
        why = text(2510, "Echec init : câble non ouvert");
        if (cable && !cable->lastError().empty()) why += " (" + cable->lastError() + ")";
    } else if (link_.lastReceived().empty()) {
        why = text(2511, "Echec init : aucun écho, vérifiez le câble et le branchement de la ligne K");
    } else if (answer.empty()) {
        why = text(2512, "Echec init : l'ECU ne répond pas au réveil (mode ") + std::to_string(mode) + ")";
    } else {
        why = text(2513, "Echec init : réponse mal formée ") + answer;
    }
    link_.trace().EcritTrace(why, false);
}

bool LinkInitialisation::InitLiaison() {
    link_.Timer_present().setEnabled(false);
    InitComFTDI(link_.cable(), kBaud);
    link_.Attente(0.2);

    int attempt = 0;
    int mode = memory_.readInt ? memory_.readInt("Init", 0) : 0;
    link_.trace().EcritTrace("Init = " + std::to_string(mode), false);
    view_.setMaximum("ProgressBar1", kMaxAttempts);
    view_.setVisible("ProgressBar1", true);
    view_.setVisible("Lbtest", true);

    bool success = false;
    std::string answer;
    do {
        ++attempt;
        view_.setMaximum("ProgressBar1", kMaxAttempts);
        view_.setValue("ProgressBar1", attempt);
        if (attempt % 10 == 0) {
            mode = nextMode(mode, attempt);
            link_.trace().EcritTrace("Init = " + std::to_string(mode), false);
        }
        view_.setText("Lbtest", "Init Mode " + std::to_string(mode) + percentText(attempt));
        wakeUp(mode, attempt);
        answer = link_.EnvoieRequete(startCom_, "83" + link_.EnteteReponse + "C1EF8FC3", startComLength_, 600);
        success = answer == "8110F18103" || answer.find(link_.EnteteReponse) != std::string::npos;
        if (!success) {
            link_.setShape1(kShape1Red);
            explainFailure(answer, mode);
        }
        link_.loop().pump();
        // No wake-up reaches an ECU through a cable that is gone.
        if (!link_.deviceLost().empty()) break;
    } while (attempt < kMaxAttempts && !success && mode < 5);

    attempts_ = attempt;
    mode_ = mode;
    link_.Timer_present().setEnabled(true);
    if (!success && attempt >= kMaxAttempts) {
        if (quietFailure) {
            link_.trace().EcritTrace(kNoAnswerText, true);
        } else {
            view_.showMessage(
                {kNoAnswerText, kNoAnswerTitle, base::MessageBox::Icon::Critical, base::MessageBox::Buttons::Ok});
        }
        link_.Timer_present().setEnabled(false);
    }

    if (success) {
        afterSuccess(mode, attempt);
    } else if (memory_.write) {
        memory_.write("Init", "0");
    }
    view_.setVisible("ProgressBar1", false);
    view_.setVisible("Lbtest", false);
    return success;
}

void LinkInitialisation::afterSuccess(int mode, int attempt) {
    if (memory_.write) {
        memory_.write("Init", std::to_string(mode));
        if (mode == 5 || mode == 6) memory_.write("Init", "1");
        if (mode == 0 || mode == 7) memory_.write("Init", "0");
        if (mode == 1 || (mode >= 3 && mode <= 6)) memory_.write("InitB", std::to_string(kLowBaud));
        if (mode == 0 || mode == 7) {
            const double pulse = mode == 0 ? pulseFor(attempt) : kBasePulse;
            memory_.write("Chrono", std::to_string(static_cast<int>(std::lround(pulse * 1000.0))));
        }
    }
    if (mode == 0 || mode >= 5) link_.Attente(0.1);
    link_.trace().EcritTrace("Type init : " + std::to_string(mode), false);

    // AccessTimingParameters goes out with the tester address 0x01.
    link_.EnteteRequete = "1001";
    link_.EnvoieRequete("830300FF00FF00", "", 22, 600);
    link_.EnteteRequete = std::string(proto::kEnteteRequeteDefaut);

    const auto answer =
        link_.EnvoieRequete("1A92", "BF" + link_.EnteteReponse + "5A9249415735414D485730313053", 67, 1000);
    identification_.clear();
    if (const auto data = proto::findAnswerData(answer, link_.EnteteReponse, "5A92")) {
        identification_ = proto::hexToAscii(proto::midText(answer, *data, 22));
    }
    view_.setText("lbPanel5", identification_);
    link_.trace().EcritTrace("Type ECU : " + identification_, false);

    applyIdentification(view_, channels_, identification_);
    renameTraceFile();
}

void LinkInitialisation::renameTraceFile() {
    Trace& trace = link_.trace();
    if (traceFiles_.logDir.empty()) return;
    const auto current = trace.filePath();
    trace.closeFile();
    const auto renamed = traceFiles_.logDir / ("dravioOK" + std::to_string(traceFiles_.number) + ".log");
    std::error_code error;
    if (!current.empty() && current != renamed) {
        std::filesystem::copy_file(current, renamed, std::filesystem::copy_options::overwrite_existing, error);
        if (!error) std::filesystem::remove(current, error);
    }
    trace.openFile(renamed, true);
}

}  // namespace dravio::link
