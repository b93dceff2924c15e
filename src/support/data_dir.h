// support: where the program's data (the lang/ folder of catalogs) lives.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace dravio::support {

struct DataDirCandidates {
    std::optional<std::string> environmentDir;  // $DRAVIO_DATA_DIR
    std::filesystem::path executable;           // the running program's file
    std::filesystem::path sourceTree;           // the source tree (build-tree runs)
};

// The first of: $DRAVIO_DATA_DIR when set and not empty; <exe dir>/../share/dravio
// when it holds a lang/ folder; the source tree when it holds a lang/ folder;
// otherwise <exe dir>/../share/dravio (catalogs then are simply missing: French).
std::filesystem::path findDataDir(const DataDirCandidates& candidates);

// findDataDir for the running program (/proc/self/exe, DRAVIO_DATA_DIR and the
// source tree this library was built from).
std::filesystem::path programDataDir();

}  // namespace dravio::support
