#include "app/cli_decode.h"

#include <algorithm>
#include <cctype>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "ecu/decoding.h"
#include "ecu/mesures_json.h"
#include "link/framing.h"

namespace dravio::app {
namespace {

constexpr int kModelM59 = 4;
constexpr int kModelObd = 5;

std::string answerCountText(int model, bool fast) {
    if (model == kModelM59) return fast ? "one engine-speed answer" : "one block answer";
    if (model == kModelObd) return "the 8 OBD-II answers (010C 0104 0111 0105 010F 0110 010D 010B)";
    return "the 10 one-byte answers (01 02 09 03 04 05 06 07 08 0A)";
}

}  // namespace

int commandDecode(CliArgs& args) {
    const auto ecuText = args.takeOption("ecu");
    if (!ecuText) throw UsageError("decode needs --ecu N (0 to 5)");
    const int model = parseInt(*ecuText, "--ecu");
    if (model < 0 || model > kModelObd) throw UsageError("decode: --ecu must be between 0 and 5; models 6 and 7 have no live values");
    const bool fast = args.takeFlag("fast");
    if (fast && model != kModelM59) throw UsageError("--fast is for model 4 only");

    std::vector<std::string> answers = args.positionals();
    const std::size_t expected = model == kModelM59 ? 1 : model == kModelObd ? 8 : 10;
    if (answers.size() != expected) {
        throw UsageError("decode --ecu " + std::to_string(model) + " takes " + answerCountText(model, fast) +
                         ", got " + std::to_string(answers.size()) + "; '-' stands for no answer");
    }
    for (auto& answer : answers) {
        if (answer == "-") answer.clear();
        std::transform(answer.begin(), answer.end(), answer.begin(),
                       [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    }

    ecu::Mesures m;
    try {
        m = ecu::decodeAnswersInOrder(model, fast, answers, link::kEnteteReponseDefaut);
    } catch (const std::invalid_argument& e) {
        throw UsageError(std::string("decode: ") + e.what());
    }
    std::cout << ecu::mesuresToJson(m, model < kModelM59) << '\n';
    return 0;
}

}  // namespace dravio::app
