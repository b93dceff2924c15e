// support/update: fetching one address into one file, and the SHA-256 of a file.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace dravio::support {

// Largest download accepted.
inline constexpr std::uint64_t kMaxDownloadBytes = 256u * 1024 * 1024;

class Downloader {
public:
    virtual ~Downloader() = default;
    // Writes what `url` serves into `file` (created or replaced). "" on success,
    // otherwise why it failed; `file` may then hold a partial transfer.
    virtual std::string fetch(const std::string& url, const std::filesystem::path& file) = 0;
};

// libcurl: https (and file, and http on loopback), redirects only to https,
// time-outs so that no connection never hangs the check, a size limit.
class CurlDownloader : public Downloader {
public:
    CurlDownloader();
    ~CurlDownloader() override;
    CurlDownloader(const CurlDownloader&) = delete;
    CurlDownloader& operator=(const CurlDownloader&) = delete;
    std::string fetch(const std::string& url, const std::filesystem::path& file) override;
};

// Lower-case hex SHA-256 of a file's bytes; nullopt when it cannot be read.
std::optional<std::string> sha256OfFile(const std::filesystem::path& file);

}  // namespace dravio::support
