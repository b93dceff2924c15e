// support: the resource ids the program's source code asks the catalogs for.
#pragma once

#include <filesystem>
#include <set>
#include <string_view>

namespace dravio::support {

// Every id written as a literal first argument of GetResourceString in `text`
// (the call name, optional blanks, '(', optional blanks, decimal digits).
std::set<int> resourceIdsInText(std::string_view text);

// The same over every .cpp, .h and .hpp file under `sourceRoot`.
std::set<int> resourceIdsInTree(const std::filesystem::path& sourceRoot);

}  // namespace dravio::support
