// gui: the bench responder run from the window frmrepond: a simulated ECU (or an
// ELM327 adapter with one behind it) served on a fresh pseudo-terminal by a worker
// thread of its own, with the sniffed traffic collected line by line.
#pragma once

#include <mutex>
#include <memory>
#include <streambuf>
#include <string>
#include <thread>
#include <vector>

#include "sim/pty.h"

namespace dravio::gui {

// The models a responder can play, by their command-line names.
std::vector<std::string> responderModels();

class ResponderRunner {
public:
    ResponderRunner() = default;
    ~ResponderRunner();
    ResponderRunner(const ResponderRunner&) = delete;
    ResponderRunner& operator=(const ResponderRunner&) = delete;

    // Creates the pseudo-terminal and starts serving `model` (a name of
    // sim::kResponderModels). False with `error` set when it cannot.
    bool start(const std::string& model, bool elm, std::string& error);
    // Stops serving and waits for the worker; nothing happens when not running.
    void stop();
    bool running() const { return thread_.joinable(); }
    // The device the program under test opens.
    std::string slavePath() const;
    // Sniff-log lines written since the last call.
    std::vector<std::string> takeLines();

private:
    // Cuts what the sniff log writes into lines, for another thread to take.
    class LineBuffer final : public std::streambuf {
    public:
        std::vector<std::string> take();

    protected:
        int_type overflow(int_type c) override;

    private:
        std::mutex mutex_;
        std::string current_;
        std::vector<std::string> lines_;
    };

    std::unique_ptr<sim::Pty> pty_;
    LineBuffer lines_;
    std::thread thread_;
    int stopWrite_ = -1;
    int stopRead_ = -1;
};

}  // namespace dravio::gui
