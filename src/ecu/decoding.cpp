#include "ecu/decoding.h"

#include <stdexcept>

#include "ecu/decode_kwp.h"
#include "ecu/decode_obd.h"

namespace dravio::ecu {
namespace {


}  // namespace

MeasureDecoder::MeasureDecoder(proto::Model model, std::string enteteReponse, TpsRatio tps)
    : model_(model), enteteReponse_(std::move(enteteReponse)), oneByte_(model, tps) {}

std::vector<MeasureRequest> MeasureDecoder::requests(const MeasureChannels& channels, bool fastMode) const {
    switch (proto::rowOf(model_).decoder) {
        case proto::LiveDecoder::OneByte:
            return oneByteRequests(channels);
        case proto::LiveDecoder::LocalIdentifier:
            return {kwpRequest(fastMode, enteteReponse_, table_)};
        case proto::LiveDecoder::ObdService01:
            return obdRequests(channels, enteteReponse_, table_);
    }
    return {};
}

TpsDisplay MeasureDecoder::decode(std::span<const MeasureAnswer> answers, Mesures& m) {
    switch (proto::rowOf(model_).decoder) {
        case proto::LiveDecoder::OneByte:
            return oneByte_.decode(answers, m);
        case proto::LiveDecoder::LocalIdentifier:
            if (const auto fast = findAnswer(answers, MeasureField::FastRegime)) {
                decodeFastRegime(*fast, enteteReponse_, m);
            } else if (const auto block = findAnswer(answers, MeasureField::Block)) {
                decodeBlock(*block, enteteReponse_, m);
            }
            break;
        case proto::LiveDecoder::ObdService01:
            decodeObd(answers, enteteReponse_, m);
            break;
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

Mesures decodeAnswersInOrder(proto::Model model, bool fastMode, std::span<const std::string> answers,
                             std::string_view enteteReponse) {
    MeasureDecoder decoder(model, std::string(enteteReponse));
    const auto list = decoder.requests(MeasureChannels{}, fastMode);
    if (answers.size() != list.size()) {
        throw std::invalid_argument(std::string(proto::rowOf(model).cliName) + " needs " + std::to_string(list.size()) +
                                    " answer" + (list.size() == 1 ? "" : "s"));
    }
    std::vector<MeasureAnswer> paired;
    for (std::size_t i = 0; i < list.size(); ++i) paired.push_back({list[i].field, answers[i]});
    Mesures m;
    decoder.decode(paired, m);
    return m;
}

}  // namespace dravio::ecu
