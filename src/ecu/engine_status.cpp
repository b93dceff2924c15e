#include "ecu/engine_status.h"

#include "ecu/mesures.h"
#include "proto/answer.h"

namespace dravio::ecu {
namespace {

constexpr double kAttente = 0.08;
constexpr const char* kStatutDemo = "92F11061A603030000040010000001010001000101B9";
constexpr const char* kRichesseDemo = "83F110614B0240";
constexpr const char* kNotAvailable = "N/A";

// Format, target, source, 0x61 and 0xA6 come first.
constexpr std::size_t kStatusData = 10;

std::uint32_t lamp(bool green) { return green ? kLampGreen : kLampRed; }

}  // namespace

EngineStatus::EngineStatus(base::ViewState& frmStatuts, EngineStatusHooks hooks, std::string enteteReponse)
    : view_(frmStatuts), hooks_(std::move(hooks)), enteteReponse_(std::move(enteteReponse)) {}

std::string EngineStatus::GetResourceString(int id, const std::string& french) const {
    return hooks_.GetResourceString ? hooks_.GetResourceString(id, french) : french;
}

void EngineStatus::DecodeStatuts() {
    if (hooks_.pumpEvents) hooks_.pumpEvents();
    if (hooks_.Attente) hooks_.Attente(kAttente);
    const std::string statut = hooks_.EnvoieRequete ? hooks_.EnvoieRequete("21A6", kStatutDemo, 22, 1000) : "";
    showStatusBlock(statut);

    if (hooks_.Attente) hooks_.Attente(kAttente);
    const std::string richesse = hooks_.EnvoieRequete ? hooks_.EnvoieRequete("214B", kRichesseDemo, 7, 800) : "";
    showLambdaControl(richesse);
}

void EngineStatus::showStatusBlock(std::string_view answer) {
    const auto data = [&](std::size_t k) { return pairAt(answer, kStatusData + 2 * k); };

    view_.setText("txStatutMotor", engineStateText(data(4)));
    view_.setText("txModeMotor", modeText(proto::midText(answer, kStatusData + 2 * 5, 4)));

    // Each field shows "N/A" first; only the listed values overwrite it.
    for (const char* field : {"txBequille", "txEmbrayage", "txTPS", "txRunStop", "txDemarrage"})
        view_.setText(field, kNotAvailable);

    const int bequille = data(8);
    view_.setBackColour("ShBequille", lamp(bequille != 0));
    if (bequille == 0) view_.setText("txBequille", GetResourceString(559, "Rentrée"));
    if (bequille == 1) view_.setText("txBequille", GetResourceString(558, "Sortie"));

    const int embrayage = data(9);
    view_.setBackColour("shEmbrayage", lamp(embrayage != 0));
    if (embrayage == 0) view_.setText("txEmbrayage", "Pressed");
    if (embrayage == 1) view_.setText("txEmbrayage", "Released");

    const int tps = data(10);
    if (tps == 1) view_.setText("txTPS", "Minimum");
    if (tps == 2) view_.setText("txTPS", "Full");
    if (tps == 4) view_.setText("txTPS", GetResourceString(349, "Partiel"));

    view_.setBackColour("shNeutral", lamp(data(12) != 0));

    const int runStop = data(13);
    view_.setBackColour("ShRunStop", lamp(runStop != 0));
    if (runStop == 0) view_.setText("txRunStop", "Run");
    if (runStop == 1) view_.setText("txRunStop", "Stop");

    // Start enable is the other way round: green when not ready.
    const int demarrage = data(14);
    view_.setBackColour("ShDemarrage", lamp(demarrage == 0));
    if (demarrage == 0) view_.setText("txDemarrage", "Not Ready");
    if (demarrage == 1) view_.setText("txDemarrage", "Ready");
}

void EngineStatus::showLambdaControl(std::string_view answer) {
    view_.setText("txRichesse", kNotAvailable);
    const auto p = answer.find(enteteReponse_ + "614B");
    if (p == std::string_view::npos) return;
    const std::string text = lambdaText(pairAt(answer, p + 8));
    if (!text.empty()) view_.setText("txRichesse", text);
}

std::string EngineStatus::engineStateText(int state) const {
    switch (state) {
        case 1: return GetResourceString(906, "Power ON Eng OFF");
        case 2: return GetResourceString(907, "Key ON Eng OFF");
        case 4: return GetResourceString(908, "Engine ON");
        case 8: return GetResourceString(909, "Engine stall / Moteur Calé");
        case 16: return GetResourceString(910, "Process Power-Latch");
        case 32: return GetResourceString(911, "End of power-Latch");
        default: return kNotAvailable;
    }
}

std::string EngineStatus::modeText(std::string_view word) const {
    if (word == "0001") return GetResourceString(912, "Crank/Démarrage");
    if (word == "0002") return GetResourceString(913, "Stabilizzato in Crank");
    if (word == "0004") return GetResourceString(914, "Decelerazione in Crank");
    if (word == "0008") return GetResourceString(915, "Accelerazione in Crank");
    if (word == "0010") return GetResourceString(916, "Minimo al Crank");
    if (word == "0020") return GetResourceString(917, "Motore in moto stabilizzato");
    if (word == "0040") return GetResourceString(918, "Motore in moto al minimo");
    if (word == "0080") return GetResourceString(919, "Motore in moto in accelerazione");
    if (word == "0100") return GetResourceString(920, "Motore in moto in decelerazione");
    if (word == "0200") return GetResourceString(921, "Entrata in Cut-Off");
    if (word == "0400") return GetResourceString(922, "Stato in Cut-Off");
    if (word == "0800") return GetResourceString(923, "Uscita di Cut-Off");
    if (word == "1000") return GetResourceString(924, "Uscita da Cut-Off in Stabilizzato");
    if (word == "2000") return GetResourceString(925, "Uscita da Cut-Off in accelerazione");
    return kNotAvailable;
}

std::string EngineStatus::lambdaText(int state) const {
    switch (state) {
        case 1: return GetResourceString(160, "Crank/ralenti");
        case 2: return GetResourceString(161, "Pauvre");
        case 4: return GetResourceString(162, "Transition vers Riche");
        case 8: return GetResourceString(163, "Riche");
        case 16: return GetResourceString(164, "Transition vers Pauvre");
        case 32: return GetResourceString(165, "Anomalie Pauvre");
        case 64: return GetResourceString(166, "Anomalie Riche");
        default: return {};
    }
}

}  // namespace dravio::ecu
