// ecu: measurement decoding per model, the part of a measurement cycle that asks
// the ECU for its live values and turns the answers into engineering values.
// The cycle asks requests() for the requests in order, sends each one (after its
// pause) and hands the answers to decode(); poll() does both through the hooks.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "ecu/decode_onebyte.h"
#include "ecu/exchange.h"
#include "ecu/mesures.h"
#include "proto/request_table.h"

namespace dravio::ecu {

class MeasureDecoder {
public:
    // `enteteReponse` is the link's answer address pair ("F110").
    MeasureDecoder(proto::Model model, std::string enteteReponse, TpsRatio tps = {});

    proto::Model model() const { return model_; }

    // Model 0-3: one-byte requests of the channels that are on; model 4: the
    // block, or engine speed alone in `fastMode`; model 5: one OBD-II parameter
    // per channel that is on; models above 5: none.
    std::vector<MeasureRequest> requests(const MeasureChannels& channels, bool fastMode) const;

    // Decodes one cycle's answers into `m`; values whose answers are absent keep
    // what they held, except where a failed answer clears them.
    TpsDisplay decode(std::span<const MeasureAnswer> answers, Mesures& m);

    // Sends this cycle's requests through `envoieRequete`, pausing with `attente`
    // before each as asked, and decodes the answers.
    TpsDisplay poll(const Exchange& envoieRequete, const Wait& attente, const MeasureChannels& channels,
                    bool fastMode, Mesures& m);

    std::uint8_t PrecedentHaut() const { return oneByte_.PrecedentHaut(); }

private:
    proto::Model model_;
    std::string enteteReponse_;
    proto::RequestTable table_;
    OneByteDecoder oneByte_;
};

// Decodes answers given in request order for every channel on, as one cycle
// would have received them: ten for models 0-3, one for model 4, eight for
// model 5. Throws std::invalid_argument for another count or a model above 5.
Mesures decodeAnswersInOrder(proto::Model model, bool fastMode, std::span<const std::string> answers,
                             std::string_view enteteReponse);

}  // namespace dravio::ecu
