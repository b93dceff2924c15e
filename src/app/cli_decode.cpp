#include "app/cli_decode.h"

#include <algorithm>
#include <cctype>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "ecu/decoding.h"
#include "ecu/mesures_json.h"
#include "app/cli_link.h"
#include "proto/framing.h"
#include "proto/hex.h"
#include "proto/models.h"

namespace dravio::app {
namespace {

std::string answerCountText(proto::Model model, bool fast) {
    switch (proto::rowOf(model).decoder) {
        case proto::LiveDecoder::LocalIdentifier:
            return fast ? "one engine-speed answer" : "one block answer";
        case proto::LiveDecoder::ObdService01:
            return "the 8 OBD-II answers (010C 0104 0111 0105 010F 0110 010D 010B)";
        case proto::LiveDecoder::OneByte:
            break;
    }
    return "the 10 one-byte answers (01 02 09 03 04 05 06 07 08 0A)";
}

std::size_t answerCount(proto::Model model) {
    switch (proto::rowOf(model).decoder) {
        case proto::LiveDecoder::LocalIdentifier:
            return 1;
        case proto::LiveDecoder::ObdService01:
            return 8;
        case proto::LiveDecoder::OneByte:
            break;
    }
    return 10;
}

}  // namespace

int commandDecode(CliArgs& args) {
    const auto ecuText = args.takeOption("ecu");
    if (!ecuText) throw UsageError("decode needs --ecu M (0 to 5, or a model name)");
    const auto model = parseModel(*ecuText);
    const bool fast = args.takeFlag("fast");
    if (fast && model != proto::Model::M59) throw UsageError("--fast is for the 59m only");

    std::vector<std::string> answers = args.positionals();
    if (answers.size() != answerCount(model)) {
        throw UsageError("decode --ecu " + *ecuText + " takes " + answerCountText(model, fast) + ", got " +
                         std::to_string(answers.size()) + "; '-' stands for no answer");
    }
    for (auto& answer : answers) {
        if (answer == "-") {
            answer.clear();
            continue;
        }
        std::transform(answer.begin(), answer.end(), answer.begin(),
                       [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
        if (answer.empty() || !proto::isHexMessage(answer)) {
            throw UsageError("decode: answer '" + answer + "' is not hex text with two digits per byte");
        }
    }

    ecu::Mesures m;
    try {
        m = ecu::decodeAnswersInOrder(model, fast, answers, proto::kEnteteReponseDefaut);
    } catch (const std::invalid_argument& e) {
        throw UsageError(std::string("decode: ") + e.what());
    }
    std::cout << ecu::mesuresToJson(m, proto::isOneByte(model)) << '\n';
    return 0;
}

}  // namespace dravio::app
