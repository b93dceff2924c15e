// sim: the pseudo-terminal the bench responder serves on. The program under
// test opens the slave side like any serial device; the responder keeps the
// master and also holds the slave open, so that the tester closing and
// reopening it does not hang the line up.
#pragma once

#include <cstdint>
#include <string>

namespace dravio::sim {

class Pty {
public:
    Pty() = default;
    ~Pty();
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    // Creates the pair in raw mode. Returns false with `error` set on failure.
    bool create(std::string& error);

    int masterFd() const { return master_; }
    const std::string& slavePath() const { return path_; }

    // The output rate the tester set on the slave side (0 when unknown).
    // Rates do nothing on a pseudo-terminal, but they tell what the tester meant.
    std::uint32_t testerBaud() const;

private:
    int master_ = -1;
    int holder_ = -1;
    std::string path_;
};

// Raw mode on any tty descriptor (the real device of --device). 0 or errno.
int makeRaw(int fd);
// Opens a serial device for the responder, raw, at `baud` when not 0. -1 with
// `error` set on failure.
int openDevice(const std::string& path, std::uint32_t baud, std::string& error);
// The output rate of a tty descriptor, 0 when unknown.
std::uint32_t ttyBaud(int fd);

}  // namespace dravio::sim
