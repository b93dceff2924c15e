// support: one running program per user, through an exclusive flock on a lock file.
// The kernel drops the lock when the holder exits or crashes, so no stale lock
// survives a crash.
#pragma once

#include <filesystem>
#include <string>

namespace dravio::support {

class SingleInstance {
public:
    enum class Result { Acquired, AlreadyRunning, Error };

    explicit SingleInstance(std::filesystem::path lockFile);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // Takes the lock without waiting. Acquired: hold this object for the program's
    // life. AlreadyRunning: another process holds it (the caller shows
    // "Dravio est déjà lancé" titled "Dravio"). Error: the lock file cannot be
    // opened or locked (see error()); the caller decides whether to run anyway.
    Result tryAcquire();
    bool held() const { return fd_ >= 0 && held_; }
    const std::string& error() const { return error_; }

private:
    std::filesystem::path path_;
    int fd_ = -1;
    bool held_ = false;
    std::string error_;
};

}  // namespace dravio::support
