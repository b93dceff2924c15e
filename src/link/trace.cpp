#include "link/trace.h"

#include "proto/nack.h"

#include <cerrno>
#include <cstring>

namespace dravio::link {

std::string formatTraceStep(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", seconds);
    return text;
}

Trace::Trace(base::Clock& clock) : clock_(clock) {}

Trace::~Trace() { closeFile(); }

bool Trace::openFile(const std::filesystem::path& path, bool append) {
    closeFile();
    file_ = std::fopen(path.c_str(), append ? "a" : "w");
    if (file_ != nullptr) path_ = path;
    return file_ != nullptr;
}

void Trace::closeFile() {
    if (file_ != nullptr) std::fclose(file_);
    file_ = nullptr;
}

void Trace::addToList(std::string line) {
    lines_.push_back(std::move(line));
    // Keep the very first line and the newest nine.
    while (lines_.size() > kListLines) {
        lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(lines_.size() - kListLines));
    }
}

void Trace::EcritTrace(std::string_view texte, bool avecTemps) {
    if (avecTemps) {
        if (!ChronoTrace_) {
            ChronoTrace_.emplace(clock_);
            ChronoTrace_->Start();
        }
        ChronoTrace_->StopNow();
        const double reading = ChronoTrace_->Result();
        const double step = reading - DernierTemps_;
        DernierTemps_ = reading;
        std::string line = formatTraceStep(step) + ": ";
        line += texte;
        line += '\n';
        const char* error = nullptr;
        if (file_ == nullptr) {
            error = "fichier de trace non ouvert";
        } else if (std::fputs(line.c_str(), file_) < 0 || std::fflush(file_) != 0) {
            error = std::strerror(errno);
        }
        if (error != nullptr) lines_.push_back(std::string(texte) + " (" + error + ")");
    }
    addToList(std::string(texte));
    if (onLine_) onLine_(texte);
    if (onChange_) onChange_();
}

void DecodeNack(Trace& trace, std::string_view texteRecu, std::string_view enteteReponse) {
    if (auto line = proto::nackLine(texteRecu, enteteReponse)) trace.EcritTrace(*line, false);
}

}  // namespace dravio::link
