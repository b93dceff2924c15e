#include "convert/log_folder.h"

#include <algorithm>
#include <system_error>

#include "support/text_utils.h"

namespace dravio::convert {

std::string normalizeExtension(std::string_view ext) {
    return support::equalsIgnoreCase(support::trimBlanks(ext), "CSV") ? "CSV" : "TXT";
}

std::vector<std::string> listSourceFiles(const std::filesystem::path& folder, std::string_view ext) {
    const std::string wanted = "." + normalizeExtension(ext);
    std::vector<std::string> names;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        if (!it->is_regular_file(typeError)) continue;
        const std::string name = it->path().filename().string();
        if (support::equalsIgnoreCase(it->path().extension().string(), wanted)) names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::filesystem::path difNameFor(const std::filesystem::path& source) {
    std::filesystem::path target = source;
    target.replace_extension(".dif");
    return target;
}

}  // namespace dravio::convert
