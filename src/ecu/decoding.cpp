#include "ecu/decoding.h"

#include <stdexcept>

#include "ecu/decode_kwp.h"
#include "ecu/decode_obd.h"

namespace dravio::ecu {
namespace {

constexpr int kModelM59 = 4;
constexpr int kModelObd = 5;

}  // namespace

MeasureDecoder::MeasureDecoder(int typeEcu, std::string enteteReponse, TpsRatio tps)
    : typeEcu_(typeEcu), enteteReponse_(std::move(enteteReponse)), oneByte_(typeEcu, tps) {}

std::vector<MeasureRequest> MeasureDecoder::requests(const MeasureChannels& channels, bool fastMode) const {
    if (isOneByteModel(typeEcu_)) return oneByteRequests(channels);
    if (typeEcu_ == kModelM59) return {kwpRequest(fastMode, enteteReponse_, table_)};
    if (typeEcu_ == kModelObd) return obdRequests(channels, enteteReponse_, table_);
    return {};
}

TpsDisplay MeasureDecoder::decode(std::span<const MeasureAnswer> answers, Mesures& m) {
    if (isOneByteModel(typeEcu_)) return oneByte_.decode(answers, m);
    if (typeEcu_ == kModelM59) {
        if (const auto fast = findAnswer(answers, MeasureField::FastRegime)) {
            decodeFastRegime(*fast, enteteReponse_, m);
        } else if (const auto block = findAnswer(answers, MeasureField::Block)) {
            decodeBlock(*block, enteteReponse_, m);
        }
    } else if (typeEcu_ == kModelObd) {
        decodeObd(answers, enteteReponse_, m);
    }
    return {};
}

TpsDisplay MeasureDecoder::poll(const Exchange& envoieRequete, const Wait& attente, const MeasureChannels& channels,
                                bool fastMode, Mesures& m) {
    const auto list = requests(channels, fastMode);
    std::vector<std::string> texts;
    texts.reserve(list.size());
    for (const auto& request : list) {
        if (request.attenteAvant > 0 && attente) attente(request.attenteAvant);
        texts.push_back(envoieRequete ? envoieRequete(request.requete, request.reponseDemo, request.longueur,
                                                      request.delaiMs)
                                      : std::string{});
    }
    std::vector<MeasureAnswer> answers;
    answers.reserve(list.size());
    for (std::size_t i = 0; i < list.size(); ++i) answers.push_back({list[i].field, texts[i]});
    return decode(answers, m);
}

Mesures decodeAnswersInOrder(int typeEcu, bool fastMode, std::span<const std::string> answers,
                             std::string_view enteteReponse) {
    if (typeEcu < 0 || typeEcu > kModelObd) throw std::invalid_argument("model has no live values");
    MeasureDecoder decoder(typeEcu, std::string(enteteReponse));
    const auto list = decoder.requests(MeasureChannels{}, fastMode);
    if (answers.size() != list.size()) {
        throw std::invalid_argument("model " + std::to_string(typeEcu) + " needs " + std::to_string(list.size()) +
                                    " answer" + (list.size() == 1 ? "" : "s"));
    }
    std::vector<MeasureAnswer> paired;
    for (std::size_t i = 0; i < list.size(); ++i) paired.push_back({list[i].field, answers[i]});
    Mesures m;
    decoder.decode(paired, m);
    return m;
}

}  // namespace dravio::ecu
