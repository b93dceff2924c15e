#include "gui/responder_runner.h"

#include <unistd.h>

#include <algorithm>
#include <ostream>

#include "base/clock.h"
#include "sim/responder.h"
#include "sim/sniff_log.h"

namespace dravio::gui {

namespace {
// The console shows the newest lines; a stalled reader must not grow memory.
constexpr std::size_t kMaxPendingLines = 5000;
}  // namespace

ResponderRunner::LineBuffer::int_type ResponderRunner::LineBuffer::overflow(int_type c) {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    std::lock_guard lock(mutex_);
    if (traits_type::to_char_type(c) == '\n') {
        if (lines_.size() >= kMaxPendingLines) lines_.erase(lines_.begin(), lines_.begin() + kMaxPendingLines / 2);
        lines_.push_back(std::move(current_));
        current_.clear();
    } else {
        current_.push_back(traits_type::to_char_type(c));
    }
    return c;
}

std::vector<std::string> ResponderRunner::LineBuffer::take() {
    std::lock_guard lock(mutex_);
    std::vector<std::string> out;
    out.swap(lines_);
    return out;
}

std::vector<std::string> responderModels() {
    return {std::begin(sim::kResponderModels), std::end(sim::kResponderModels)};
}

ResponderRunner::~ResponderRunner() { stop(); }

bool ResponderRunner::start(const std::string& model, bool elm, std::string& error) {
    if (running()) {
        error = "le répondeur tourne déjà";
        return false;
    }
    const bool known = std::find(std::begin(sim::kResponderModels), std::end(sim::kResponderModels), model) !=
                       std::end(sim::kResponderModels);
    if (!known) {
        error = "modèle inconnu : " + model;
        return false;
    }
    auto pty = std::make_unique<sim::Pty>();
    if (!pty->create(error)) return false;
    int stop[2];
    if (::pipe(stop) != 0) {
        error = "pipe impossible";
        return false;
    }
    pty_ = std::move(pty);
    stopRead_ = stop[0];
    stopWrite_ = stop[1];
    const int fd = pty_->masterFd();
    const int stopFd = stopRead_;
    thread_ = std::thread([this, model, elm, fd, stopFd] {
        base::RealClock clock;
        const auto origin = clock.now();
        sim::SniffLog log(std::make_unique<std::ostream>(&lines_), origin);
        // Nobody turns a key over a pseudo-terminal, and no break travels on it.
        sim::SimulatedEcu ecu = sim::makeSimulatedEcu(model, true, false, origin);
        sim::ResponderOptions options;
        options.echo = !elm;
        options.lenient = true;
        options.elm = elm;
        sim::Responder responder(ecu, options, &log);
        std::string why;
        if (sim::serve(fd, stopFd, responder, clock, &sim::ttyBaud, why) != 0) {
            std::ostream(&lines_) << "Arrêt : " << why << '\n';
        }
    });
    return true;
}

void ResponderRunner::stop() {
    if (!running()) return;
    ::close(stopWrite_);  // the worker sees the pipe close and returns
    thread_.join();
    ::close(stopRead_);
    stopWrite_ = stopRead_ = -1;
    pty_.reset();
}

std::string ResponderRunner::slavePath() const { return pty_ ? pty_->slavePath() : std::string{}; }

std::vector<std::string> ResponderRunner::takeLines() { return lines_.take(); }

}  // namespace dravio::gui
