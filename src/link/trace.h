// link: the trace writer. A ten-line list for the trace window and, for timed
// lines, the trace file, each line carrying the seconds since the previous timed line.
#pragma once

#include <cstdio>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/clock.h"
#include "base/ctimeit.h"

namespace dravio::link {

class Trace {
public:
    // Lines kept in the trace window's list (ltTrace).
    static constexpr std::size_t kListLines = 10;

    explicit Trace(base::Clock& clock);
    ~Trace();
    Trace(const Trace&) = delete;
    Trace& operator=(const Trace&) = delete;

    // Opens (truncating, or appending) or closes the trace file that timed lines go to.
    bool openFile(const std::filesystem::path& path, bool append = false);
    void closeFile();
    bool fileOpen() const { return file_ != nullptr; }
    const std::filesystem::path& filePath() const { return path_; }

    // Adds `texte` to the list; with `avecTemps` also writes "step: texte" to the
    // file. Never fails its caller: a file error lands in the list instead.
    void EcritTrace(std::string_view texte, bool avecTemps);

    // The trace window's list: the very first line and the newest nine.
    const std::vector<std::string>& lines() const { return lines_; }
    void clearLines() { lines_.clear(); }

    // Called after every change of the list (the trace window redraws).
    void setOnChange(std::function<void()> onChange) { onChange_ = std::move(onChange); }
    // Called with every line, timed or not, as it is written (command-line --trace).
    void setOnLine(std::function<void(std::string_view)> onLine) { onLine_ = std::move(onLine); }

    double DernierTemps() const { return DernierTemps_; }

private:
    void addToList(std::string line);

    base::Clock& clock_;
    std::optional<base::CTimeIt> ChronoTrace_;
    double DernierTemps_ = 0.0;
    std::FILE* file_ = nullptr;
    std::filesystem::path path_;
    std::vector<std::string> lines_;
    std::function<void()> onChange_;
    std::function<void(std::string_view)> onLine_;
};

// "0.000": three decimals, the step between two timed trace lines.
std::string formatTraceStep(double seconds);

// Writes the trace line of the first negative response in `texteRecu`, untimed.
void DecodeNack(Trace& trace, std::string_view texteRecu, std::string_view enteteReponse);

}  // namespace dravio::link
