#include "support/version_text.h"

#include <sys/utsname.h>

#include "support/atomic_file.h"
#include "support/text_utils.h"

namespace dravio::support {

ProgramVersion programVersion() { return {DRAVIO_VERSION_MAJOR, DRAVIO_VERSION_MINOR, DRAVIO_VERSION_PATCH}; }

std::optional<std::string> prettyNameFromOsRelease(std::string_view text) {
    constexpr std::string_view kKey = "PRETTY_NAME=";
    while (!text.empty()) {
        auto nl = text.find('\n');
        std::string_view line = text.substr(0, nl);
        text = nl == std::string_view::npos ? std::string_view{} : text.substr(nl + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        line = trimBlanks(line);
        if (line.substr(0, kKey.size()) != kKey) continue;
        std::string_view value = line.substr(kKey.size());
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
            value = value.substr(1, value.size() - 2);
        }
        // Shell-style escapes of the os-release format: \" \\ \$ \`
        std::string out;
        for (std::size_t i = 0; i < value.size(); ++i) {
            if (value[i] == '\\' && i + 1 < value.size()) ++i;
            out += value[i];
        }
        if (out.empty()) return std::nullopt;
        return out;
    }
    return std::nullopt;
}

std::string operatingSystemName(const std::filesystem::path& osReleaseFile) {
    std::string text;
    bool missing = false;
    if (readWholeFile(osReleaseFile, text, missing)) {
        if (auto name = prettyNameFromOsRelease(text)) return *name;
    }
    struct utsname uts {};
    if (::uname(&uts) == 0 && uts.sysname[0] != '\0') return uts.sysname;
    return "Linux";
}

std::string versionText(const ProgramVersion& v, std::string_view osName) {
    return " - " + std::to_string(v.major) + "." + std::to_string(v.minor) + "." + std::to_string(v.revision) + " " +
           std::string(osName);
}

}  // namespace dravio::support
