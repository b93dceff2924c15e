#include "support/data_dir.h"

#include <cstdlib>
#include <system_error>

namespace dravio::support {

namespace {

bool hasLangFolder(const std::filesystem::path& dir) {
    std::error_code ec;
    return !dir.empty() && std::filesystem::is_directory(dir / "lang", ec);
}

}  // namespace

std::filesystem::path findDataDir(const DataDirCandidates& c) {
    if (c.environmentDir && !c.environmentDir->empty()) return *c.environmentDir;
    const std::filesystem::path installed = (c.executable.parent_path() / ".." / "share" / "dravio").lexically_normal();
    if (hasLangFolder(installed)) return installed;
    if (hasLangFolder(c.sourceTree)) return c.sourceTree;
    return installed;
}

std::filesystem::path programDataDir() {
    DataDirCandidates c;
    if (const char* env = std::getenv("DRAVIO_DATA_DIR")) c.environmentDir = env;
    std::error_code ec;
    c.executable = std::filesystem::read_symlink("/proc/self/exe", ec);
#ifdef DRAVIO_SOURCE_DATA_DIR
    c.sourceTree = DRAVIO_SOURCE_DATA_DIR;
#endif
    return findDataDir(c);
}

}  // namespace dravio::support
