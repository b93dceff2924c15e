#include "support/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <system_error>

namespace dravio::support {

namespace {

std::string failure(std::string_view step, const std::filesystem::path& path, int error) {
    return std::string(step) + " " + path.string() + ": " + std::strerror(error);
}

bool writeAll(int fd, std::string_view bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

std::string writeFileAtomically(const std::filesystem::path& path, std::string_view bytes) {
    std::error_code ec;
    std::filesystem::path target = path;
    if (std::filesystem::is_symlink(path, ec)) {
        auto resolved = std::filesystem::weakly_canonical(path, ec);
        if (!ec) target = resolved;
    }
    std::filesystem::path folder = target.parent_path();
    if (folder.empty()) folder = ".";

    mode_t mode = 0644;
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0) mode = st.st_mode & 07777;

    // The temporary file sits beside the target so that rename() stays on one
    // file system and is atomic.
    std::string pattern = (folder / ("." + target.filename().string() + ".tmp-XXXXXX")).string();
    int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0) return failure("cannot create a temporary file in", folder, errno);
    const std::filesystem::path temporary = pattern;

    auto abandon = [&](std::string_view step) {
        int error = errno;
        ::close(fd);
        ::unlink(temporary.c_str());
        return failure(step, temporary, error);
    };
    if (::fchmod(fd, mode) != 0) return abandon("cannot set the permissions of");
    if (!writeAll(fd, bytes)) return abandon("cannot write");
    if (::fsync(fd) != 0) return abandon("cannot flush");
    if (::close(fd) != 0) {
        int error = errno;
        ::unlink(temporary.c_str());
        return failure("cannot close", temporary, error);
    }
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        int error = errno;
        ::unlink(temporary.c_str());
        return failure("cannot replace", target, error);
    }
    // Make the rename itself durable; a failure here leaves a complete file anyway.
    int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return {};
}

bool readWholeFile(const std::filesystem::path& path, std::string& bytes, bool& missing) {
    bytes.clear();
    std::error_code ec;
    missing = !std::filesystem::exists(path, ec) && !ec;
    if (missing || std::filesystem::is_directory(path, ec)) return false;
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream buffer;
    buffer << in.rdbuf();
    if (in.bad()) return false;
    bytes = std::move(buffer).str();
    return true;
}

}  // namespace dravio::support
