#include "diag/identification.h"

#include "proto/hex.h"
#include "diag/dtc59_text.h"
#include "link/link.h"

namespace dravio::diag {

namespace {

using kwptext::charactersOf;
using kwptext::mid;

constexpr std::int16_t kKwpLength = 67;
constexpr std::int16_t kKwpTimeoutMs = 2000;
constexpr std::int16_t kOneByteTimeoutMs = 500;

// A complete identification, so that demonstration mode shows every field.
constexpr std::string_view kDemoRecord =
    "5A80323836343037353141202049415735394D4857303130003031333044433237202020000035394D413320AAAAAAAAAA544C43"
    "202020202020202003082853";

}  // namespace

IdentificationFamily identificationFamily(std::string_view modelName) {
    if (modelName == "M59/M5A") return IdentificationFamily::Kwp59;
    if (modelName == "MM16") return IdentificationFamily::MM16;
    if (modelName == "MM15" || modelName == "15RC") return IdentificationFamily::MM15;
    return IdentificationFamily::None;
}

IdentificationLines kwpIdentificationLines(std::string_view answer, std::string_view enteteReponse) {
    const std::string marker = std::string(enteteReponse) + "5A80";
    long cursor = kwptext::instr(answer, marker) + static_cast<long>(marker.size());
    auto field = [&](std::size_t bytes) {
        std::string hex = mid(answer, cursor, 2 * bytes);
        cursor += static_cast<long>(2 * bytes);
        return hex;
    };
    auto upper = [](std::string hex) {
        for (char& c : hex) {
            if (c >= 'a' && c <= 'f') c = static_cast<char>(c - 'a' + 'A');
        }
        return hex;
    };
    IdentificationLines l;
    l[0] = "Ducati Number : " + charactersOf(field(11));
    l[1] = "Marelli Number : " + charactersOf(field(11));
    l[2] = "Hard Version : " + std::to_string(proto::HexToByte(field(1)));
    l[3] = "Soft Number : " + charactersOf(field(11));
    l[4] = "Soft Version : " + upper(field(2));
    l[5] = "Approval number : " + charactersOf(field(6));
    field(5);  // not shown
    l[6] = "Repair Shop : " + charactersOf(field(10));
    l[7] = "Programming Date : " + upper(field(4));
    return l;
}

std::string oneByteIdentificationCharacter(std::string_view answer) {
    if (answer.empty() || answer == "00" || answer == "FF") return {};
    return kwptext::characterOf(proto::HexToByte(answer));
}

FrmIdentification::FrmIdentification(base::ViewState& view, IdentificationHooks hooks)
    : view_(view), hooks_(std::move(hooks)) {}

std::string FrmIdentification::exchange(const std::string& requete, const std::string& reponseDemo,
                                        std::int16_t longueur, std::int16_t delaiMs) {
    return hooks_.EnvoieRequete ? hooks_.EnvoieRequete(requete, reponseDemo, longueur, delaiMs) : std::string();
}

std::string FrmIdentification::readOneByte(int first, int last) {
    std::string text;
    for (int address = first; address <= last; ++address) {
        text += oneByteIdentificationCharacter(exchange(proto::ByteToHex(address), "31", 1, kOneByteTimeoutMs));
    }
    return text;
}

void FrmIdentification::Form_Load(IdentificationFamily family) {
    if (hooks_.Timer_present) hooks_.Timer_present(false);
    if (hooks_.Attente) hooks_.Attente(0.1);
    auto text = [this](int id, const std::string& french) {
        return hooks_.GetResourceString ? hooks_.GetResourceString(id, french) : french;
    };
    view_.setText("frmIdentification", text(168, "Identification de l'ECU"));
    view_.setText("cdLOG", text(158, "Enregistrement"));
    view_.setText("cdquitter", text(104, "Quitter"));

    IdentificationLines lines{};
    switch (family) {
        case IdentificationFamily::Kwp59: {
            const std::string demo = "BF" + hooks_.EnteteReponse + std::string(kDemoRecord);
            lines = kwpIdentificationLines(exchange("1A80", demo, kKwpLength, kKwpTimeoutMs), hooks_.EnteteReponse);
            break;
        }
        case IdentificationFamily::MM16:
            lines[0] = "Ducati number : " + readOneByte(0x17, 0x21);
            break;
        case IdentificationFamily::MM15:
            lines[0] = "Part Number : " + readOneByte(0x17, 0x20);
            lines[1] = "Calibration   : " + readOneByte(0x21, 0x28);
            break;
        case IdentificationFamily::None:
            break;
    }
    for (std::size_t i = 0; i < kIdentificationLabels.size(); ++i) view_.setText(kIdentificationLabels[i], lines[i]);

    if (hooks_.Timer_present) hooks_.Timer_present(true);
}

void FrmIdentification::cdLOG_Click() {
    if (!hooks_.EcritTrace) return;
    hooks_.EcritTrace("", false);
    for (const char* label : kIdentificationLabels) hooks_.EcritTrace(view_.text(label), false);
    hooks_.EcritTrace("", false);
}

void FrmIdentification::cdquitter_Click(base::ViewState& frmparam) {
    frmparam.setEnabled("mnIdentification", true);
    frmparam.setEnabled("cdparametre", true);
}

IdentificationLines FrmIdentification::lines() const {
    IdentificationLines out;
    for (std::size_t i = 0; i < kIdentificationLabels.size(); ++i) out[i] = view_.text(kIdentificationLabels[i]);
    return out;
}

}  // namespace dravio::diag
