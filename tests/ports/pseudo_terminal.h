// Test helper: a pseudo-terminal whose master side plays the far end of a cable
// or adapter, and a scratch directory standing in for /dev.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace dravio::ports::testing {

class PseudoTerminal {
public:
    PseudoTerminal() {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
            throw std::runtime_error("no pseudo-terminal");
        }
        char name[128] = {};
        if (::ptsname_r(master_, name, sizeof name) != 0) throw std::runtime_error("ptsname");
        path_ = name;
        // Holding the slave open keeps its settings alive between the opens of
        // the code under test, and keeps master reads from failing with EIO.
        holder_ = ::open(path_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (holder_ < 0) throw std::runtime_error("cannot open " + path_);
    }
    ~PseudoTerminal() {
        ::close(holder_);
        ::close(master_);
    }
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    const std::string& path() const { return path_; }

    // The slave's settings, as the master sees them.
    termios slaveSettings() const {
        termios t{};
        ::tcgetattr(master_, &t);
        return t;
    }

    void send(const std::vector<std::uint8_t>& bytes) const {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
            if (n <= 0) throw std::runtime_error("master write failed");
            done += static_cast<std::size_t>(n);
        }
    }
    void send(const std::string& text) const { send(std::vector<std::uint8_t>(text.begin(), text.end())); }

    // What the code under test wrote, once `count` bytes came or after a
    // generous timeout (then fewer).
    std::vector<std::uint8_t> receive(std::size_t count,
                                      std::chrono::milliseconds timeout = std::chrono::seconds(3)) const {
        std::vector<std::uint8_t> got;
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (got.size() < count) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) break;
            pollfd pfd{master_, POLLIN, 0};
            if (::poll(&pfd, 1, static_cast<int>(left.count())) <= 0) continue;
            std::uint8_t chunk[256];
            const ssize_t n = ::read(master_, chunk, std::min(sizeof chunk, count - got.size()));
            if (n > 0) got.insert(got.end(), chunk, chunk + n);
        }
        return got;
    }
    std::string receiveText(std::size_t count) const {
        const auto bytes = receive(count);
        return std::string(bytes.begin(), bytes.end());
    }

private:
    int master_ = -1;
    int holder_ = -1;
    std::string path_;
};

// A fresh empty directory, removed with everything in it at the end.
class ScratchDir {
public:
    ScratchDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "dravio-ports-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp");
        path_ = pattern;
    }
    ~ScratchDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    std::string path() const { return path_.string(); }
    std::string file(const std::string& name) const { return (path_ / name).string(); }
    void touch(const std::string& name) const {
        const int fd = ::open(file(name).c_str(), O_CREAT | O_WRONLY, 0644);
        if (fd >= 0) ::close(fd);
    }
    void link(const std::string& name, const std::string& target) const {
        std::filesystem::create_symlink(target, path_ / name);
    }

private:
    std::filesystem::path path_;
};

}  // namespace dravio::ports::testing
