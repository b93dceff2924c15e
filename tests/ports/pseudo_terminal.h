// Test helper: a pseudo-terminal whose master side plays the far end of a
// cable or adapter, and a scratch directory standing in for /dev.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <stdexcept>

namespace dravio::ports::testing {

using Bytes = std::vector<std::uint8_t>;

class PseudoTerminal {
public:
    PseudoTerminal() {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
        char name[128] = {};
        if (master_ < 0 || ::grantpt(master_) || ::unlockpt(master_) || ::ptsname_r(master_, name, sizeof name))
            throw std::runtime_error("no pseudo-terminal");
        path_ = name;
        // Holding the slave open keeps its settings between the opens under
        // test, and keeps master reads from failing with EIO.
        holder_ = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK);
    }
    ~PseudoTerminal() {
        ::close(holder_);
        ::close(master_);
    }
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    const std::string& path() const { return path_; }
    termios slaveSettings() const {  // as the master sees them
        termios t{};
        ::tcgetattr(master_, &t);
        return t;
    }
    void send(const std::string& text) const {
        if (::write(master_, text.data(), text.size()) != static_cast<ssize_t>(text.size()))
            throw std::runtime_error("master write failed");
    }
    // What the code under test wrote: `count` bytes, or fewer after 3 s.
    std::string receive(std::size_t count) const {
        std::string got;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
        while (got.size() < count && std::chrono::steady_clock::now() < deadline) {
            pollfd pfd{master_, POLLIN, 0};
            if (::poll(&pfd, 1, 10) <= 0) continue;
            char chunk[256];
            const ssize_t n = ::read(master_, chunk, std::min(sizeof chunk, count - got.size()));
            if (n > 0) got.append(chunk, static_cast<std::size_t>(n));
        }
        return got;
    }

private:
    int master_ = -1, holder_ = -1;
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
    std::string path() const { return path_.string(); }
    std::string file(const std::string& name) const { return (path_ / name).string(); }
    void touch(const std::string& name) const { ::close(::open(file(name).c_str(), O_CREAT | O_WRONLY, 0644)); }
    void link(const std::string& name, const std::string& target) const {
        std::filesystem::create_symlink(target, path_ / name);
    }

private:
    std::filesystem::path path_;
};

// A pseudo-terminal and a fake /dev for the tests of the tty-backed ports.
class OnPty : public ::testing::Test {
protected:
    static bool isRaw(const termios& t) {
        return (t.c_lflag & (ICANON | ECHO | ISIG)) == 0 && (t.c_oflag & OPOST) == 0 &&
               (t.c_iflag & (ICRNL | IXON)) == 0;
    }
    PseudoTerminal pty;
    ScratchDir dir;
};

}  // namespace dravio::ports::testing
