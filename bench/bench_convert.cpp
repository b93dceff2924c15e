// Conversion throughput: one hour of recording at 10 Hz (36,000 rows of the 14
// columns Dravio records) converted to DIF and to a workbook, and read back for replay.
// Target: one hour converts in under a second.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "convert/dif_writer.h"
#include "convert/recording.h"
#include "convert/workbook_export.h"

namespace {

namespace fs = std::filesystem;

struct OneHour {
    fs::path folder;
    fs::path source;
    std::string text;
    OneHour() {
        folder = fs::temp_directory_path() / ("dravio-bench-convert-" + std::to_string(getpid()));
        fs::create_directories(folder);
        source = folder / "mes0101 -100000.csv";
        std::ostringstream out;
        out << "Time;RPM;TPS;Injection;Advance;Pressure;AirTemp;EngineTemp;Voltage;AFR1;AFR2;Lambda;SteepTPS;TPSmV\r\n";
        for (int i = 0; i < 36000; ++i) {
            const int rpm = 1200 + (i * 37) % 9000;
            char line[160];
            std::snprintf(line, sizeof line, "%.3f;%d;%.1f;%.2f;%.1f;%.1f;%d;%d;%.1f;%.1f;0;%.3f;%d;%d\r\n", i * 0.1,
                          rpm, (i % 900) / 10.0, 2 + (i % 500) / 100.0, 10 + (i % 30) * 0.5, 900 + (i % 110) * 1.0,
                          25 + i % 3, 80 + i % 10, 13.5 + (i % 5) / 10.0, 12 + (i % 40) / 10.0, 0.9 + (i % 20) / 100.0,
                          i % 1024, 400 + i % 4000);
            out << line;
        }
        text = out.str();
        std::ofstream(source, std::ios::binary) << text;
    }
    ~OneHour() {
        std::error_code ec;
        fs::remove_all(folder, ec);
    }
};

const OneHour& oneHour() {
    static const OneHour data;
    return data;
}

void BM_ConvertOneHourToDif(benchmark::State& state) {
    const OneHour& data = oneHour();
    const fs::path target = data.folder / "out.dif";
    for (auto _ : state) {
        const auto result = dravio::convert::convertFile(data.source, target, nullptr, {});
        if (!result.ok) state.SkipWithError(result.error.c_str());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * data.text.size()));
    state.counters["source_MB"] = static_cast<double>(data.text.size()) / 1e6;
    state.counters["dif_MB"] = static_cast<double>(fs::file_size(target)) / 1e6;
}
BENCHMARK(BM_ConvertOneHourToDif)->Unit(benchmark::kMillisecond);

void BM_ExportOneHourToWorkbook(benchmark::State& state) {
    const OneHour& data = oneHour();
    const fs::path target = data.folder / "out.xlsx";
    const std::tm now{};
    for (auto _ : state) {
        const auto result = dravio::convert::exportWorkbook({data.source}, target, now);
        if (!result.ok) state.SkipWithError(result.error.c_str());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * data.text.size()));
    state.counters["xlsx_MB"] = static_cast<double>(fs::file_size(target)) / 1e6;
}
BENCHMARK(BM_ExportOneHourToWorkbook)->Unit(benchmark::kMillisecond);

void BM_ReadOneHourForReplay(benchmark::State& state) {
    const OneHour& data = oneHour();
    for (auto _ : state) benchmark::DoNotOptimize(dravio::convert::parseRecording(data.text));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * data.text.size()));
}
BENCHMARK(BM_ReadOneHourForReplay)->Unit(benchmark::kMillisecond);

}  // namespace
