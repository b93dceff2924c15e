#include "app/cli_replay.h"

#include <chrono>
#include <optional>
#include <ostream>
#include <thread>

#include "base/number_pattern.h"
#include "convert/recording.h"
#include "convert/replay_player.h"
#include "session/shown_values.h"

namespace dravio::app {

namespace {

void printRow(std::ostream& out, const convert::Recording& recording, std::size_t index, bool json) {
    const convert::ReplayRow& row = recording.rows[index];
    const convert::LiveValues v = convert::liveValuesOf(recording, row);
    if (json) {
        out << "{\"row\":" << index + 1 << ",\"t\":" << base::fixedDecimals(row.time, 3);
        const std::pair<const char*, std::pair<std::optional<double>, int>> fields[] = {
            {"Regime", {v.Regime, 0}},       {"Papillon", {v.Papillon, 1}},       {"Injection", {v.Injection, 2}},
            {"AvanceVal", {v.AvanceVal, 1}}, {"PressionVal", {v.PressionVal, 0}}, {"TempAir", {v.TempAir, 1}},
            {"TempEau", {v.TempEau, 1}},     {"TensionVal", {v.TensionVal, 1}},   {"LambdaVal", {v.LambdaVal, 3}}};
        for (const auto& [name, value] : fields) {
            if (value.first) out << ",\"" << name << "\":" << base::fixedDecimals(*value.first, value.second);
        }
        out << "}\n";
    } else {
        // The texts the main window shows, as `live` prints them.
        const auto shown = session::shownValues(v);
        const char* names[] = {"RMP ", "  Gaz ", "  Inj ", "  Av ", "  P ", "  Air ", "  Mot ", "  Bat "};
        for (std::size_t i = 0; i < shown.size(); ++i) out << names[i] << shown[i].second;
        out << "  (" << base::fixedDecimals(row.time, 3) << " s)\n";
    }
    out << std::flush;
}

}  // namespace

int commandReplay(CliArgs& args, std::ostream& out, std::ostream& err) {
    const bool json = args.takeFlag("json");
    std::optional<int> speed;
    if (const auto text = args.takeOption("speed")) speed = parseInt(*text, "--speed");
    const auto words = args.positionals();
    if (words.size() != 1) throw UsageError("replay needs one recording");
    std::string error;
    const auto recording = convert::loadRecording(words[0], error);
    if (!recording) {
        err << "dravio-cli: " << error << '\n';
        return 1;
    }
    for (const std::string& problem : recording->problems) err << words[0] << ": " << problem << '\n';
    if (recording->skippedLines > recording->problems.size()) {
        err << words[0] << ": " << recording->skippedLines - recording->problems.size() << " more lines skipped\n";
    }
    if (!speed) {
        for (std::size_t i = 0; i < recording->rows.size(); ++i) printRow(out, *recording, i, json);
        return 0;
    }
    std::vector<double> times;
    for (const auto& row : recording->rows) times.push_back(row.time);
    convert::ReplayPlayer player(std::move(times));
    if (!player.setSpeed(*speed)) throw UsageError("--speed must be 1, 4 or 16");
    auto last = std::chrono::steady_clock::now();
    while (const auto wait = player.dueIn()) {
        std::this_thread::sleep_for(std::chrono::duration<double>(*wait));
        const auto now = std::chrono::steady_clock::now();
        const auto [first, end] = player.advance(std::chrono::duration<double>(now - last).count());
        last = now;
        for (std::size_t i = first; i < end; ++i) printRow(out, *recording, i, json);
    }
    return 0;
}

}  // namespace dravio::app
