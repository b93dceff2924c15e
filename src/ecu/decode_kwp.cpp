#include "ecu/decode_kwp.h"

#include <optional>
#include <string>

namespace dravio::ecu {
namespace {

constexpr double kAttente = 0.08;
constexpr std::int16_t kFastTimeoutMs = 500;
constexpr std::int16_t kBlockTimeoutMs = 800;

// Data bytes follow format, target, source, 0x61 and the identifier: 10 digits.
constexpr std::size_t kDataOffset = 10;

std::string text(std::string_view a, std::string_view b, std::string_view c) {
    std::string t(a);
    t.append(b).append(c);
    return t;
}

std::optional<std::size_t> blockStart(std::string_view answer, std::string_view enteteReponse) {
    for (std::string_view format : {"96", "94"}) {
        const auto p = answer.find(text(format, enteteReponse, "61A0"));
        if (p != std::string_view::npos) return p;
    }
    return std::nullopt;
}

}  // namespace

MeasureRequest kwpRequest(bool fastMode, std::string_view enteteReponse, const proto::RequestTable& table) {
    const proto::Slot slot = fastMode ? proto::Slot::ReqRegime : proto::Slot::ReqBloc;
    MeasureRequest request;
    request.field = fastMode ? MeasureField::FastRegime : MeasureField::Block;
    request.channel = Channel::Regime;
    request.requete = table.request(slot, proto::Model::M59);
    request.longueur = table.length(slot, proto::Model::M59);
    request.reponseDemo = fastMode ? text("84", enteteReponse, "61300320AA")
                                   : text("96", enteteReponse, "61A007C603F2003D00390029010C0089013C068E9C403C");
    request.delaiMs = fastMode ? kFastTimeoutMs : kBlockTimeoutMs;
    request.attenteAvant = kAttente;
    return request;
}

void zeroEightValues(Mesures& m) {
    m.Regime = 0;
    m.Papillon = 0;
    m.Injection = 0;
    m.AvanceVal = 0;
    m.PressionVal = 0;
    m.TempAir = 0;
    m.TempEau = 0;
    m.TensionVal = 0;
}

void decodeFastRegime(std::string_view answer, std::string_view enteteReponse, Mesures& m) {
    zeroEightValues(m);
    if (answer.find(text(enteteReponse, "6130", "")) == std::string_view::npos) return;
    // The speed sits at fixed places of the frame, wherever the header was seen.
    m.Regime = static_cast<float>(pairAt(answer, 10) * 256 + pairAt(answer, 12));
}

void decodeBlock(std::string_view answer, std::string_view enteteReponse, Mesures& m) {
    const auto p = blockStart(answer, enteteReponse);
    if (!p) {
        zeroEightValues(m);
        return;
    }
    const auto word = [&](std::size_t k) {
        return pairAt(answer, *p + kDataOffset + 2 * k) * 256 + pairAt(answer, *p + kDataOffset + 2 * (k + 1));
    };
    m.Regime = static_cast<float>(word(0));
    m.PressionVal = static_cast<float>(word(2));
    m.TempAir = static_cast<float>(word(4) - 40);
    m.TempEau = static_cast<float>(word(6) - 40);
    m.Papillon = static_cast<float>(word(8) / 10.0);
    m.AvanceVal = static_cast<float>(word(10) / 10.0);
    m.TensionVal = static_cast<float>(word(12) / 10.0);
    m.Injection = static_cast<float>(word(16) / 500.0);
}

}  // namespace dravio::ecu
