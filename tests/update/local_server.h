// Test support: python3's http.server on the loopback interface serving one folder,
// stopped with the object.
#pragma once

#include <signal.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace dravio::testing {

class LocalServer {
public:
    explicit LocalServer(const std::filesystem::path& folder) {
        // The shell prints its pid, then python its "Serving HTTP on 127.0.0.1 port N ..." line.
        const std::string command = "echo $$; exec python3 -u -m http.server --bind 127.0.0.1 --directory '" +
                                    folder.string() + "' 0 2>/dev/null";
        out_ = ::popen(command.c_str(), "r");
        char line[256];
        if (out_ && std::fgets(line, sizeof line, out_)) pid_ = std::stoi(line);
        if (out_ && std::fgets(line, sizeof line, out_)) {
            const std::string text = line;
            if (const auto at = text.find(" port "); at != std::string::npos) port_ = std::stoi(text.substr(at + 6));
        }
    }
    ~LocalServer() {
        if (pid_ > 0) ::kill(pid_, SIGTERM);
        if (out_) ::pclose(out_);
    }
    LocalServer(const LocalServer&) = delete;
    LocalServer& operator=(const LocalServer&) = delete;

    bool running() const { return pid_ > 0 && port_ > 0; }
    std::string url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/"; }

private:
    std::FILE* out_ = nullptr;
    pid_t pid_ = -1;
    int port_ = 0;
};

}  // namespace dravio::testing
