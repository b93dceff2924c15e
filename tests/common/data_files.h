// Test support: the files a recording left in a folder, and their bytes.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace dravio::testing {

inline std::vector<std::filesystem::path> filesEndingIn(const std::filesystem::path& folder, const std::string& ext) {
    std::vector<std::filesystem::path> found;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
        if (entry.path().extension() == ext) found.push_back(entry.path());
    }
    return found;
}

inline std::string fileBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace dravio::testing
