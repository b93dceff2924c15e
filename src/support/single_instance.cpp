#include "support/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace dravio::support {

SingleInstance::SingleInstance(std::filesystem::path lockFile) : path_(std::move(lockFile)) {}

SingleInstance::~SingleInstance() {
    if (fd_ >= 0) ::close(fd_);
}

SingleInstance::Result SingleInstance::tryAcquire() {
    if (held()) return Result::Acquired;
    if (fd_ < 0) {
        // O_CLOEXEC: programs started from here must not inherit the lock.
        fd_ = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (fd_ < 0) {
            error_ = "cannot open " + path_.string() + ": " + std::strerror(errno);
            return Result::Error;
        }
    }
    int rc;
    do {
        rc = ::flock(fd_, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc == 0) {
        held_ = true;
        error_.clear();
        return Result::Acquired;
    }
    if (errno == EWOULDBLOCK) return Result::AlreadyRunning;
    error_ = "cannot lock " + path_.string() + ": " + std::strerror(errno);
    return Result::Error;
}

}  // namespace dravio::support
