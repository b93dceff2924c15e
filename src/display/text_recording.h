// display: the text recording (box "CSV"). One quoted line per cycle, flushed
// as it is written, into "mes<MMDD> -<hhmmss>.txt" in the data folder; at stop
// the file becomes a ".csv" without quotes. A ".txt" left by a crash is
// converted at the next start.
#pragma once

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "display/record_row.h"

namespace dravio::display {

// "mes1204 -090507.txt" for 4 December, 09:05:07.
std::string textRecordingName(const std::tm& now);

// Copies `txt` into the same name ending in ".csv" without any double quote,
// replacing an older ".csv", and removes `txt`. Returns the ".csv" path, or
// an empty path when the copy failed (the ".txt" then stays).
std::filesystem::path convertToCsv(const std::filesystem::path& txt);

// Converts every text recording left in `DossierData` (names the recording
// gives) and returns one trace line for each: "CSV recovered " and the name.
std::vector<std::string> recoverTextRecordings(const std::filesystem::path& DossierData);

class TextRecording {
public:
    TextRecording(std::filesystem::path DossierData, RecordLayout layout);
    ~TextRecording();
    TextRecording(const TextRecording&) = delete;
    TextRecording& operator=(const TextRecording&) = delete;

    // chCSV checked: opens the file named after `now` and writes the header.
    // Returns the trace line, "CSV created " or "CSV not created " and NbCSV.
    std::string start(const std::tm& now);
    // One cycle; nothing when no file is open.
    void writeLine(const ecu::CycleRecord& record, const RecordTexts& texts);
    // chCSV unchecked: closes and converts. Returns the ".csv" path, empty when
    // nothing was recording or the conversion failed.
    std::filesystem::path stop();

    bool recording() const { return file_ != nullptr; }
    const std::filesystem::path& path() const { return path_; }
    // Text files opened since the program started.
    int NbCSV = 0;

private:
    // The data-file line writer: the whole text in double quotes, CR LF, flushed.
    void writeQuoted(const std::vector<std::string>& fields);

    std::filesystem::path DossierData_;
    RecordLayout layout_;
    std::FILE* file_ = nullptr;
    std::filesystem::path path_;
    std::string line_;  // reused, so a cycle allocates nothing once warm
};

}  // namespace dravio::display
