// Test support: python3's http.server on the loopback interface, serving one
// folder, started by the test and stopped with it.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

extern char** environ;

namespace dravio::testing {

class LocalServer {
public:
    explicit LocalServer(const std::filesystem::path& folder) {
        int out[2];
        if (::pipe(out) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        const std::string dir = folder.string();
        const char* argv[] = {"python3",   "-u",          "-m",        "http.server", "--bind",
                              "127.0.0.1", "--directory", dir.c_str(), "0",           nullptr};
        const int rc = posix_spawnp(&pid_, "python3", &actions, nullptr, const_cast<char**>(argv), environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        if (rc != 0) {
            pid_ = -1;
            ::close(out[0]);
            return;
        }
        // "Serving HTTP on 127.0.0.1 port 40123 (http://127.0.0.1:40123/) ..."
        std::FILE* stream = ::fdopen(out[0], "r");
        char line[256];
        if (stream && std::fgets(line, sizeof line, stream)) {
            const std::string text = line;
            const auto at = text.find(" port ");
            if (at != std::string::npos) port_ = std::stoi(text.substr(at + 6));
        }
        if (stream) std::fclose(stream);
    }
    ~LocalServer() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    LocalServer(const LocalServer&) = delete;
    LocalServer& operator=(const LocalServer&) = delete;

    bool running() const { return pid_ > 0 && port_ > 0; }
    std::string url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/"; }

private:
    pid_t pid_ = -1;
    int port_ = 0;
};

}  // namespace dravio::testing
