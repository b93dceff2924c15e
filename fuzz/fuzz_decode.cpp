// Live-value decoding of whatever the ECU answered: garbled, short or foreign
// answers give the documented fallbacks, never a fault.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "proto/models.h"
#include "ecu/decoding.h"
#include "ecu/mesures.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const auto models = dravio::proto::modelTable();
    const auto model = models[data[0] % models.size()].model;
    const bool fast = (data[1] & 1) != 0;
    // The rest is split into answers at every '|'.
    std::vector<std::string> texts(1);
    for (std::size_t i = 2; i < size; ++i) {
        if (data[i] == '|') {
            texts.emplace_back();
        } else {
            texts.back().push_back(static_cast<char>(data[i]));
        }
    }
    dravio::ecu::MeasureDecoder decoder(model, "F110");
    const auto requests = decoder.requests(dravio::ecu::MeasureChannels{}, fast);
    std::vector<dravio::ecu::MeasureAnswer> answers;
    for (std::size_t i = 0; i < requests.size(); ++i) {
        answers.push_back({requests[i].field, texts[i % texts.size()]});
    }
    dravio::ecu::Mesures m;
    (void)decoder.decode(answers, m);
    return 0;
}
