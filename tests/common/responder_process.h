// Test support: dravio-responder run as a child process on a pseudo-terminal,
// killed on every way out.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace dravio::testing {

using namespace std::chrono_literals;

inline std::string responderPath() {
    // Built beside dravio-cli.
    return (std::filesystem::path(DRAVIO_CLI_PATH).parent_path() / "dravio-responder").string();
}

// dravio-responder started on a pseudo-terminal; killed on every way out.
class ResponderProcess {
public:
    explicit ResponderProcess(std::vector<std::string> extra) {
        char pattern[] = "/tmp/dravio-e2e-XXXXXX";
        if (::mkdtemp(pattern) != nullptr) dir_ = pattern;
        logPath_ = dir_ + "/sniff.log";
        int in[2];
        int out[2];
        if (::pipe(in) != 0 || ::pipe(out) != 0) return;
        std::vector<std::string> args{responderPath(), "--pty", "--log", logPath_};
        args.insert(args.end(), extra.begin(), extra.end());
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(in[0], STDIN_FILENO);
            ::dup2(out[1], STDOUT_FILENO);
            ::close(in[1]);
            ::close(out[0]);
            std::vector<char*> argv;
            for (auto& a : args) argv.push_back(a.data());
            argv.push_back(nullptr);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        ::close(in[0]);
        ::close(out[1]);
        stdin_ = in[1];
        stdout_ = out[0];
        path_ = readLine(10s);
    }
    ~ResponderProcess() {
        if (stdin_ >= 0) ::close(stdin_);
        if (pid_ > 0) {
            ::kill(pid_, SIGCONT);
            ::kill(pid_, SIGTERM);
            int status = 0;
            ::waitpid(pid_, &status, 0);
        }
        if (stdout_ >= 0) ::close(stdout_);
        std::error_code ec;
        if (!dir_.empty()) std::filesystem::remove_all(dir_, ec);
    }
    ResponderProcess(const ResponderProcess&) = delete;
    ResponderProcess& operator=(const ResponderProcess&) = delete;

    const std::string& path() const { return path_; }
    // The ECU goes silent (stopped), then comes back where it was.
    void pause() { ::kill(pid_, SIGSTOP); }
    void resume() { ::kill(pid_, SIGCONT); }
    // The bench responder dies: its side of the pseudo-terminal closes, as when a cable is pulled out.
    void kill() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGKILL);
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
    }
    std::string log() const {
        std::ifstream in(logPath_);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

private:
    std::string readLine(std::chrono::milliseconds timeout) {
        std::string line;
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (std::chrono::steady_clock::now() < deadline) {
            pollfd p{stdout_, POLLIN, 0};
            if (::poll(&p, 1, 100) <= 0) continue;
            char c = 0;
            if (::read(stdout_, &c, 1) != 1) break;
            if (c == '\n') return line;
            line += c;
        }
        return {};
    }

    pid_t pid_ = -1;
    int stdin_ = -1;
    int stdout_ = -1;
    std::string dir_;
    std::string logPath_;
    std::string path_;
};


}  // namespace dravio::testing
