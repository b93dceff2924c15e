// convert: the conversion window's file list, the files of the chosen folder
// with the chosen extension (Logworks/Folder and Logworks/Ext).
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace dravio::convert {

// The extension setting as listed: "CSV" when `ext` says so (any case), else "TXT".
std::string normalizeExtension(std::string_view ext);

// The names of the regular files in `folder` whose extension is `ext` ("CSV" or
// "TXT", compared without regard to case), sorted. Empty when the folder cannot
// be read.
std::vector<std::string> listSourceFiles(const std::filesystem::path& folder, std::string_view ext);

// The DIF file name proposed for a source: the same name ending ".dif".
std::filesystem::path difNameFor(const std::filesystem::path& source);

}  // namespace dravio::convert
