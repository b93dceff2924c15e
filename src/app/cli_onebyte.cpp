#include "app/cli_onebyte.h"

#include <ostream>

#include "diag/erreur_json.h"
#include "diag/erreur_text.h"
#include "diag/trimmer15_text.h"
#include "session/session.h"

namespace dravio::app {

int commandOneByteTest(CliArgs& args, proto::Model model, const OpenLink& open, std::ostream& out) {
    const bool json = args.takeFlag("json");
    const auto words = args.positionals();
    if (words.size() != 1) throw UsageError("test takes one NAME (clear, revcounter, pump, coil1, coil2, ...)");
    const auto button = diag::diagButtonFromName(words[0]);
    if (!button) throw UsageError("unknown test '" + words[0] + "'");
    if (!proto::isOneByte(model) || model == proto::Model::P8) {
        throw UsageError("this test is for the mm16, mm15 and 15rc");
    }
    CliLink* line = open();
    if (line == nullptr) return 1;
    const auto run = line->session().oneByte().runTest(*button);
    if (!run) return 1;
    out << (json ? diag::testRunToJson(*run) + "\n" : diag::testRunToText(*run)) << std::flush;
    return run->outcome == diag::TestOutcome::Passed ? 0 : 1;
}

int commandTrim15(CliArgs& args, proto::Model model, const OpenLink& open, std::ostream& out) {
    const bool read = args.takeFlag("read");
    const auto set = args.takeOption("set");
    if (!args.positionals().empty() || read == set.has_value()) throw UsageError("trim15 takes --read or --set N");
    int target = 0;
    if (set) {
        target = parseInt(*set, "--set");
        if (target < diag::FrmTrimmer15::kShownMin || target > diag::FrmTrimmer15::kShownMax) {
            throw UsageError("--set must be between -127 and 126");
        }
    }
    if (model != proto::Model::MM15 && model != proto::Model::RC15) throw UsageError("trim15 is for the mm15 and 15rc");
    CliLink* line = open();
    if (line == nullptr) return 1;
    auto& windows = line->session().oneByte();
    if (read) {
        const auto reading = windows.readTrimmer();
        if (!reading) return 1;
        out << diag::trim15ReadingToText(*reading) << std::flush;
        return 0;
    }
    const auto change = windows.setTrimmer(target);
    if (!change) return 1;
    out << diag::trim15ChangeToText(*change) << std::flush;
    return change->saved && change->saveEchoed[0] && change->saveEchoed[1] ? 0 : 1;
}

}  // namespace dravio::app
