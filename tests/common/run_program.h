// Test support: run a command line, collect what it prints and its exit status.
#pragma once

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <string>

namespace dravio::testing {

struct ProgramRun {
    std::string out;
    int status = -1;
};

// Runs `command` through the shell with stderr folded into stdout and no input;
// a program that hangs is killed after `seconds` (status 124).
inline ProgramRun runProgram(const std::string& command, int seconds = 30) {
    std::string quoted;
    for (const char c : command) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    const std::string limited =
        "timeout -k 2 " + std::to_string(seconds) + " sh -c '" + quoted + "' 2>&1 </dev/null";
    FILE* pipe = popen(limited.c_str(), "r");
    if (pipe == nullptr) return {"popen failed", -1};
    std::string out;
    std::array<char, 4096> chunk{};
    while (const auto n = std::fread(chunk.data(), 1, chunk.size(), pipe)) out.append(chunk.data(), n);
    const int raw = pclose(pipe);
    return {out, WIFEXITED(raw) ? WEXITSTATUS(raw) : -1};
}

}  // namespace dravio::testing
