#include "display/text_recording.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>

namespace dravio::display {
namespace {

std::string twoDigits(int value) {
    char text[8];
    std::snprintf(text, sizeof text, "%02d", value % 100);
    return text;
}

// "mes" + 4 digits + " -" + 6 digits + ".txt"
bool isRecordingName(const std::string& name) {
    if (name.size() != 19 || name.compare(0, 3, "mes") != 0 || name.compare(7, 2, " -") != 0 ||
        name.compare(15, 4, ".txt") != 0) {
        return false;
    }
    for (std::size_t i : {3u, 4u, 5u, 6u, 9u, 10u, 11u, 12u, 13u, 14u}) {
        if (!std::isdigit(static_cast<unsigned char>(name[i]))) return false;
    }
    return true;
}

}  // namespace

std::string textRecordingName(const std::tm& now) {
    return "mes" + twoDigits(now.tm_mon + 1) + twoDigits(now.tm_mday) + " -" + twoDigits(now.tm_hour) +
           twoDigits(now.tm_min) + twoDigits(now.tm_sec) + ".txt";
}

std::filesystem::path convertToCsv(const std::filesystem::path& txt) {
    std::string name = txt.string();
    if (name.size() < 4) return {};
    const std::filesystem::path csv = name.substr(0, name.size() - 4) + ".csv";
    std::error_code ec;
    std::filesystem::remove(csv, ec);
    std::ifstream in(txt, std::ios::binary);
    if (!in) return {};
    {
        std::ofstream out(csv, std::ios::binary | std::ios::trunc);
        if (!out) return {};
        char buffer[8192];
        std::string kept;
        while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
            kept.clear();
            for (std::streamsize i = 0; i < in.gcount(); ++i) {
                if (buffer[i] != '"') kept.push_back(buffer[i]);
            }
            out.write(kept.data(), static_cast<std::streamsize>(kept.size()));
        }
        out.flush();
        if (!out) {
            // A half-written ".csv" must not cost the ".txt".
            out.close();
            std::filesystem::remove(csv, ec);
            return {};
        }
    }
    in.close();
    std::filesystem::remove(txt, ec);
    return csv;
}

std::vector<std::string> recoverTextRecordings(const std::filesystem::path& DossierData) {
    std::vector<std::filesystem::path> found;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(DossierData, ec)) {
        if (entry.is_regular_file(ec) && isRecordingName(entry.path().filename().string())) {
            found.push_back(entry.path());
        }
    }
    std::sort(found.begin(), found.end());
    std::vector<std::string> trace;
    for (const auto& txt : found) {
        const auto csv = convertToCsv(txt);
        trace.push_back(csv.empty() ? "CSV not recovered " + txt.filename().string()
                                    : "CSV recovered " + csv.filename().string());
    }
    return trace;
}

TextRecording::TextRecording(std::filesystem::path DossierData, RecordLayout layout)
    : DossierData_(std::move(DossierData)), layout_(layout) {}

TextRecording::~TextRecording() {
    // A recording still open when the program ends is converted like a stop.
    if (file_ != nullptr) stop();
}

std::string TextRecording::start(const std::tm& now) {
    if (file_ != nullptr) stop();
    path_ = DossierData_ / textRecordingName(now);
    file_ = std::fopen(path_.c_str(), "ab");
    ++NbCSV;
    if (file_ == nullptr) return "CSV not created " + std::to_string(NbCSV);
    writeQuoted(textHeaders(layout_));
    return "CSV created " + std::to_string(NbCSV);
}

void TextRecording::writeLine(const ecu::CycleRecord& record, const RecordTexts& texts) {
    if (file_ == nullptr) return;
    writeQuoted(textFields(record, texts, layout_));
}

void TextRecording::writeQuoted(const std::vector<std::string>& fields) {
    line_.assign(1, '"');
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) line_ += ';';
        line_ += fields[i];
    }
    line_ += "\"\r\n";
    std::fwrite(line_.data(), 1, line_.size(), file_);
    // Every line reaches the system at once: a crash keeps every finished cycle.
    std::fflush(file_);
}

std::filesystem::path TextRecording::stop() {
    if (file_ == nullptr) return {};
    std::fclose(file_);
    file_ = nullptr;
    return convertToCsv(path_);
}

}  // namespace dravio::display
