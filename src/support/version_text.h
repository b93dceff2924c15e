// support: the version text shown after the window title and in the trace.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace dravio::support {

struct ProgramVersion {
    int major = 0, minor = 0, revision = 0;
};

// The version of this build (the CMake project version).
ProgramVersion programVersion();

// PRETTY_NAME of an os-release text, quotes removed; nullopt when absent or empty.
std::optional<std::string> prettyNameFromOsRelease(std::string_view osReleaseText);

// PRETTY_NAME of `osReleaseFile`, else the kernel's name from uname (sysname),
// else "Linux".
std::string operatingSystemName(const std::filesystem::path& osReleaseFile = "/etc/os-release");

// " - " major "." minor "." revision " " osName, e.g. " - 0.1.0 Debian GNU/Linux 12 (bookworm)".
std::string versionText(const ProgramVersion& version, std::string_view osName);

}  // namespace dravio::support
