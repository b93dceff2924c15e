#include "ecu/trimmer.h"

#include <cstdio>

#include "proto/hex.h"
#include "ecu/mesures.h"

namespace dravio::ecu {
namespace {

constexpr double kAttente = 0.06;
constexpr double kAttenteApresSauve = 0.5;

std::string twoDigits(int value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%02d", value);
    return buffer;
}

}  // namespace

int trimmerToByte(int value) { return value < 0 ? value + 256 : value; }

int trimmerFromByte(int byte) { return byte > 128 ? byte - 256 : byte; }

LiveTrimmer::LiveTrimmer(base::ViewState& frmparam, LiveHooks hooks, proto::Model model, std::string enteteReponse)
    : view_(frmparam), hooks_(std::move(hooks)), model_(model), enteteReponse_(std::move(enteteReponse)) {}

std::string LiveTrimmer::GetResourceString(int id, const std::string& french) const {
    return hooks_.GetResourceString ? hooks_.GetResourceString(id, french) : french;
}

void LiveTrimmer::trace(const std::string& texte) const {
    if (hooks_.EcritTrace) hooks_.EcritTrace(texte);
}

void LiveTrimmer::wait(double secondes) const {
    if (hooks_.Attente) hooks_.Attente(secondes);
}

std::string LiveTrimmer::exchange(const std::string& requete, const std::string& demo, std::int16_t longueur,
                                  std::int16_t delaiMs) const {
    return hooks_.EnvoieRequete ? hooks_.EnvoieRequete(requete, demo, longueur, delaiMs) : std::string{};
}

int LiveTrimmer::scrollValue() const { return view_["HScrollTrimmer"].value.value_or(0); }

void LiveTrimmer::HScrollTrimmerChange(int value) {
    view_.setValue("HScrollTrimmer", value);
    view_.setText("lbTrimmer", std::to_string(value));
}

void LiveTrimmer::GestionTrimmer(float regime) {
    if (!view_.enabled("Trimmer")) {
        view_.setText("Trimmer", "--");
        view_.setVisible("FrChgTrimmer", false);
        view_.setVisible("mnTrimmer", false);
        return;
    }
    const int v = readEcuValue();
    SetcdTrimmer(regime);
    view_.setText("Trimmer", std::to_string(v));
    if (TrimmerPremier) {
        HScrollTrimmerChange(v);
        TrimmerPremier = false;
    }
    if (scrollValue() != v && regime >= kTrimmerMinRegime) SetTrimmer(v);
    if (regime >= kTrimmerMinRegime && TrimmerASauver) SauveTrimmer(v);
}

int LiveTrimmer::readEcuValue() {
    if (model_ == proto::Model::MM15 || model_ == proto::Model::RC15) {
        // The one-byte units answer the trimmer offset by 128.
        const std::string answer = exchange("0F", "80", 1, 300);
        return pairAt(answer, 0) - 128;
    }
    if (model_ != proto::Model::M59) return 0;
    // In demonstration the unit seems to have taken the scroll value already.
    std::string demo = "83" + enteteReponse_ + "613D0925";
    demo.replace(10, 2, proto::ByteToHex(scrollValue()));
    wait(kAttente);
    const std::string answer = exchange(table_.request(proto::Slot::ReqTrimLit, proto::Model::M59), demo,
                                        table_.length(proto::Slot::ReqTrimLit, proto::Model::M59), 800);
    int v = 0;
    const auto p = answer.find("83" + enteteReponse_ + "613D");
    if (p != std::string::npos) v = trimmerFromByte(pairAt(answer, p + 10));
    view_.setEnabled("CdMemorise", true);
    return v;
}

void LiveTrimmer::SetcdTrimmer(float& regime) {
    if (view_["chMoteur"].checked.value_or(false)) regime = 0;
    if (model_ == proto::Model::M59) {
        const bool running = regime >= kTrimmerMinRegime;
        view_.setEnabled("FrChgTrimmer", running);
        view_.setEnabled("mnTrimmer", running);
    } else {
        view_.setVisible("FrChgTrimmer", false);
    }
}

void LiveTrimmer::SetTrimmer(int lue) {
    int s = scrollValue();
    if (s == lue) return;
    s = trimmerToByte(s);
    if (s > 255) {
        HScrollTrimmerChange(255);
        return;
    }
    if (model_ != proto::Model::M59) return;
    const std::string digits = proto::ByteToHex(s);
    const std::string positive = "84" + enteteReponse_ + "701507";
    wait(kAttente);
    const std::string answer = exchange(table_.request(proto::Slot::ReqTrimAjuste, proto::Model::M59) + digits, positive + digits,
                                        table_.length(proto::Slot::ReqTrimAjuste, proto::Model::M59), 10000);
    const auto p = answer.find(positive);
    if (p != std::string::npos) {
        trace("Trimmer: " + std::to_string(pairAt(answer, p + 12)));
    } else {
        view_.setText("lbPanel1", GetResourceString(708, "Erreur sur la commande"));
    }
}

void LiveTrimmer::SauveTrimmer(int lue) {
    int s = scrollValue();
    if (s != lue) {
        // Not taken yet: the store is tried again next cycle.
        trace("Sortie sauve : lue=" + std::to_string(lue) + " trimmer = " + std::to_string(s));
        return;
    }
    s = trimmerToByte(s);
    if (model_ != proto::Model::M59) return;
    if (s > 255) {
        HScrollTrimmerChange(255);
        return;
    }
    const std::string digits = proto::ByteToHex(s);
    wait(kAttente);
    exchange(table_.request(proto::Slot::ReqTrimAjuste, proto::Model::M59) + digits, "84" + enteteReponse_ + "701507",
             table_.length(proto::Slot::ReqTrimAjuste, proto::Model::M59), 2000);
    wait(kAttente);
    const std::string stored = "84" + enteteReponse_ + "701505";
    const std::string answer = exchange(table_.request(proto::Slot::ReqTrimSauve, proto::Model::M59) + digits, stored,
                                        table_.length(proto::Slot::ReqTrimSauve, proto::Model::M59), 4000);
    wait(kAttenteApresSauve);
    if (answer.find(stored) != std::string::npos) {
        view_.setText("lbPanel1", GetResourceString(709, "Commande OK"));
    } else if (answer.find(enteteReponse_ + "7F3022") != std::string::npos) {
        base::MessageBox box;
        box.text = GetResourceString(712, "Condition not correct");
        box.title = GetResourceString(706, "La valeur Maximum possible est 126");
        box.icon = base::MessageBox::Icon::Exclamation;
        view_.showMessage(box);
    } else {
        view_.setText("lbPanel1", "Erreur de commande");
    }
    TrimmerASauver = false;
}

std::int16_t LiveTrimmer::GetTrimmerInitial() {
    const std::string header = "83" + enteteReponse_ + "613D";
    const std::string answer = exchange(table_.request(proto::Slot::ReqTrimLit, proto::Model::M59), header + "0925",
                                        table_.length(proto::Slot::ReqTrimLit, proto::Model::M59), 1000);
    const auto p = answer.find(header);
    if (p == std::string::npos) {
        trace("Error Trimmer");
        return 0;
    }
    const int byte = pairAt(answer, p + 10);
    trace("Trimmer Initial: " + twoDigits(byte));
    return static_cast<std::int16_t>(trimmerFromByte(byte));
}

}  // namespace dravio::ecu
