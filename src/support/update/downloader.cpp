#include "support/update/downloader.h"

#include <curl/curl.h>
#include <openssl/evp.h>

#include <cstdio>
#include <fstream>
#include <memory>

namespace dravio::support {

namespace {

struct Sink {
    std::FILE* file = nullptr;
    std::uint64_t written = 0;
};

std::size_t writeToFile(char* data, std::size_t size, std::size_t count, void* user) {
    auto* sink = static_cast<Sink*>(user);
    const std::size_t bytes = size * count;
    sink->written += bytes;
    if (sink->written > kMaxDownloadBytes) return 0;  // ends the transfer with an error
    return std::fwrite(data, 1, bytes, sink->file);
}

}  // namespace

CurlDownloader::CurlDownloader() { curl_global_init(CURL_GLOBAL_DEFAULT); }

CurlDownloader::~CurlDownloader() { curl_global_cleanup(); }

std::string CurlDownloader::fetch(const std::string& url, const std::filesystem::path& file) {
    std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), &curl_easy_cleanup);
    if (!curl) return "libcurl could not start";
    Sink sink;
    sink.file = std::fopen(file.c_str(), "wb");
    if (!sink.file) return "cannot write " + file.string();
    CURL* c = curl.get();
    curl_easy_setopt(c, CURLOPT_URL, url.c_str());
    curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "https,http,file");
    curl_easy_setopt(c, CURLOPT_REDIR_PROTOCOLS_STR, "https");
    curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(c, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(c, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT, 10L);
    // A stalled transfer (under 100 bytes/s for 30 s) is abandoned.
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_LIMIT, 100L);
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_TIME, 30L);
    curl_easy_setopt(c, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(kMaxDownloadBytes));
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_USERAGENT, "Dravio");
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, &writeToFile);
    curl_easy_setopt(c, CURLOPT_WRITEDATA, &sink);
    char error[CURL_ERROR_SIZE] = {};
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, error);
    const CURLcode rc = curl_easy_perform(c);
    const bool closed = std::fclose(sink.file) == 0;
    if (rc != CURLE_OK) return error[0] ? error : curl_easy_strerror(rc);
    if (!closed) return "cannot write " + file.string();
    return {};
}

std::optional<std::string> sha256OfFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> ctx(EVP_MD_CTX_new(), &EVP_MD_CTX_free);
    if (!ctx || EVP_DigestInit_ex(ctx.get(), EVP_sha256(), nullptr) != 1) return std::nullopt;
    char buffer[65536];
    while (in) {
        in.read(buffer, sizeof buffer);
        if (in.gcount() > 0 && EVP_DigestUpdate(ctx.get(), buffer, static_cast<std::size_t>(in.gcount())) != 1) {
            return std::nullopt;
        }
    }
    if (in.bad()) return std::nullopt;
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_DigestFinal_ex(ctx.get(), digest, &length) != 1) return std::nullopt;
    static constexpr char kHex[] = "0123456789abcdef";
    std::string hex;
    for (unsigned int i = 0; i < length; ++i) {
        hex += kHex[digest[i] >> 4];
        hex += kHex[digest[i] & 0xF];
    }
    return hex;
}

}  // namespace dravio::support
