// Recording cost per measurement cycle and the size of a one-hour recording.
// The cycle runs at about 6.7 Hz against a simulated 59M (bench_cycle), so one
// hour is 24 120 records. Counters: us_per_cycle (one text line, flushed, or
// one workbook row), pct_of_cycle (that cost against a 150 ms cycle),
// hour_MB (the finished .csv, or the saved .xlsx, after one hour of records).
// BM_BothRecordingsInTheSession is what a cycle pays with both boxes ticked:
// the session's recorder writing both, and following the boxes on each of the
// main window's changes of a cycle (about twenty).
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <string>

#include "base/view_state.h"
#include "display/text_recording.h"
#include "display/workbook_recording.h"
#include "session/recorder.h"

namespace {

constexpr double kCyclePeriodUs = 1e6 / 6.7;
constexpr int kCyclesPerHour = 24120;

class ScratchFolder {
public:
    ScratchFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "dravio-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
    }
    ~ScratchFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

dravio::ecu::CycleRecord record(int i) {
    dravio::ecu::CycleRecord r;
    r.secondes = i / 6.7;
    r.Regime = 1000.0f + static_cast<float>(i % 5000);
    r.Papillon = 12.3f + static_cast<float>(i % 70);
    r.Injection = 3.21f;
    r.AvanceVal = 14.5f;
    r.PressionVal = 987.6f;
    r.TempAir = 24;
    r.TempEau = 88;
    r.TensionVal = 13.8f;
    r.LambdaVal = 0.456f;
    return r;
}

dravio::display::RecordTexts texts() {
    dravio::display::RecordTexts t;
    t.AFR1 = "14.70";
    t.AFR2 = "13.95";
    t.lambdaShown = true;
    return t;
}

std::tm now() {
    const std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    return tm;
}

void report(benchmark::State& state, double seconds, std::uintmax_t bytes) {
    const double us = seconds * 1e6 / kCyclesPerHour;
    state.counters["us_per_cycle"] = us;
    state.counters["pct_of_cycle"] = 100.0 * us / kCyclePeriodUs;
    state.counters["hour_MB"] = static_cast<double>(bytes) / 1e6;
}

void BM_TextRecordingHour(benchmark::State& state) {
    const auto t = texts();
    for (auto _ : state) {
        ScratchFolder folder;
        dravio::display::TextRecording recording(folder.path(), dravio::display::RecordLayout::Standard);
        recording.start(now());
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < kCyclesPerHour; ++i) recording.writeLine(record(i), t);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const auto csv = recording.stop();
        report(state, seconds, std::filesystem::file_size(csv));
    }
}
BENCHMARK(BM_TextRecordingHour)->Iterations(3)->Unit(benchmark::kMillisecond);

void BM_WorkbookRecordingHour(benchmark::State& state) {
    const auto t = texts();
    for (auto _ : state) {
        ScratchFolder folder;
        dravio::base::ViewState frmparam;
        dravio::display::WorkbookRecording recording(folder.path(), dravio::display::RecordLayout::Standard, frmparam);
        recording.start(now());
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < kCyclesPerHour; ++i) recording.writeRow(record(i), t);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const auto saveStart = std::chrono::steady_clock::now();
        const auto xlsx = recording.stop(now());
        state.counters["save_ms"] =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - saveStart).count();
        report(state, seconds, xlsx.empty() ? 0 : std::filesystem::file_size(xlsx));
    }
}
BENCHMARK(BM_WorkbookRecordingHour)->Iterations(3)->Unit(benchmark::kMillisecond);

void BM_BothRecordingsInTheSession(benchmark::State& state) {
    constexpr int kViewChangesPerCycle = 20;
    const auto t = texts();
    for (auto _ : state) {
        ScratchFolder folder;
        dravio::base::ViewState frmparam;
        dravio::session::Recorder::Setup setup;
        setup.DossierData = folder.path();
        dravio::session::Recorder recorder(frmparam, setup);
        frmparam.setChecked("chCSV", true);
        frmparam.setChecked("Chenregistre", true);
        recorder.follow();
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < kCyclesPerHour; ++i) {
            for (int k = 0; k < kViewChangesPerCycle; ++k) recorder.follow();
            recorder.write(record(i), t);
        }
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        recorder.closeAll();
        std::uintmax_t bytes = 0;
        for (const auto& file : recorder.files()) bytes += std::filesystem::file_size(file);
        report(state, seconds, bytes);
    }
}
BENCHMARK(BM_BothRecordingsInTheSession)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace
