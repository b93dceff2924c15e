// support: crash-safe replacement of a whole file.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace dravio::support {

// Replaces the content of `path` with `bytes` so that a crash at any moment leaves
// either the old or the new complete file: writes a temporary file in the same
// folder, flushes and fsyncs it, renames it over `path`, then fsyncs the folder.
// A symbolic link is followed (its target is replaced). The new file keeps the old
// one's permission bits (0644 for a new file). Returns "" on success, otherwise a
// message naming the failed step; the original is then untouched.
std::string writeFileAtomically(const std::filesystem::path& path, std::string_view bytes);

// Reads a whole file into `bytes`. False when it cannot be read; `missing` is then
// true when the file does not exist.
bool readWholeFile(const std::filesystem::path& path, std::string& bytes, bool& missing);

}  // namespace dravio::support
