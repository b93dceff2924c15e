// Start-up time of the windowed program: from launch to the interface window on
// screen, ten launches, each with an empty documents folder. The program prints a
// CLOCK_MONOTONIC stamp when the window first shows (DRAVIO_STARTUP_MARKER); it is
// then asked to quit with SIGTERM. Runs on Qt's offscreen platform unless
// QT_QPA_PLATFORM says otherwise. Target: under 0.5 s.
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <ctime>
#include <filesystem>
#include <numeric>
#include <string>
#include <vector>

extern char** environ;

namespace {

constexpr int kRuns = 10;
constexpr const char* kMarker = "dravio-interface-shown ";

long long monotonicNanoseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1'000'000'000LL + now.tv_nsec;
}

// One launch; the seconds to the window, or a negative value on failure.
double launchOnce(const std::string& program, const std::filesystem::path& root) {
    std::filesystem::remove_all(root);
    std::filesystem::create_directories(root / "home");

    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string entry = *e;
        if (entry.rfind("HOME=", 0) == 0 || entry.rfind("XDG_DOCUMENTS_DIR=", 0) == 0) continue;
        env.push_back(entry);
    }
    env.push_back("HOME=" + (root / "home").string());
    env.push_back("XDG_DOCUMENTS_DIR=" + (root / "docs").string());
    env.push_back("DRAVIO_STARTUP_MARKER=1");
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) env.push_back("QT_QPA_PLATFORM=offscreen");
    std::vector<char*> envp;
    for (auto& entry : env) envp.push_back(entry.data());
    envp.push_back(nullptr);

    int out[2];
    if (pipe(out) != 0) return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);

    std::string path = program;
    char* argv[] = {path.data(), nullptr};
    pid_t pid = 0;
    const long long launched = monotonicNanoseconds();
    const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (spawned != 0) {
        close(out[0]);
        return -1;
    }

    std::string text;
    char buffer[256];
    double seconds = -1;
    for (;;) {
        const ssize_t n = read(out[0], buffer, sizeof buffer);
        if (n <= 0) break;
        text.append(buffer, static_cast<std::size_t>(n));
        const auto at = text.find(kMarker);
        if (at != std::string::npos && text.find('\n', at) != std::string::npos) {
            const long long shown = std::atoll(text.c_str() + at + std::char_traits<char>::length(kMarker));
            seconds = static_cast<double>(shown - launched) / 1e9;
            break;
        }
    }
    kill(pid, SIGTERM);
    int status = 0;
    waitpid(pid, &status, 0);
    close(out[0]);
    return seconds;
}

}  // namespace

int main() {
    const std::string program = DRAVIO_GUI_PATH;
    const auto root = std::filesystem::temp_directory_path() / ("dravio-bench-startup-" + std::to_string(getpid()));
    std::vector<double> times;
    for (int run = 0; run < kRuns; ++run) {
        const double seconds = launchOnce(program, root);
        if (seconds < 0) {
            std::fprintf(stderr, "bench_startup: launch %d of %s gave no start-up marker\n", run + 1, program.c_str());
            std::filesystem::remove_all(root);
            return 1;
        }
        times.push_back(seconds);
    }
    std::filesystem::remove_all(root);

    std::sort(times.begin(), times.end());
    const double mean = std::accumulate(times.begin(), times.end(), 0.0) / static_cast<double>(times.size());
    const double p50 = (times[kRuns / 2 - 1] + times[kRuns / 2]) / 2.0;
    std::printf("dravio start-up, launch to interface window (%d launches, empty documents folder)\n", kRuns);
    std::printf("  mean %.3f s   p50 %.3f s   min %.3f s   max %.3f s   (target < 0.5 s)\n", mean, p50, times.front(),
                times.back());
    return 0;
}
