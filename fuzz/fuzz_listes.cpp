// The update list as any server (or anyone between it and us) may send it.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "support/update/update_list.h"

namespace {

const std::filesystem::path& scratchFile() {
    static const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("dravio-fuzz-listes-" + std::to_string(getpid()) + ".ini");
    return path;
}

void judge(const std::string& name) {
    using namespace dravio::support;
    if (safeFileName(name) && (name.find('/') != std::string::npos || name.find("..") != std::string::npos)) {
        __builtin_trap();
    }
    (void)allowedUrl(name);
    (void)fileKindOf(name);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace dravio::support;
    const auto& path = scratchFile();
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    const IniFile ini(path);
    const UpdateList list = UpdateList::read(ini);
    if (list.langues.size() > static_cast<std::size_t>(kMaxListedCatalogs)) __builtin_trap();
    for (const auto& name : list.langues) judge(name);
    for (const auto* name : {&list.Soft, &list.Install, &list.Aide, &list.URL, &list.URLInstall, &list.URL_chm,
                             &list.URL_Langues}) {
        judge(*name);
        (void)listedSha256(ini, *name);
    }
    if (const auto version = parseVersion(list.Version)) (void)compareVersions(ProgramVersion{2, 1, 0}, *version);
    for (const auto* date : {&list.Help, &list.DateLangue}) {
        if (const auto day = parseListDate(*date); day && parseListDate(formatListDate(*day)) != day) __builtin_trap();
    }
    const std::string raw(reinterpret_cast<const char*>(data), size);
    judge(raw);
    (void)parseVersion(raw);
    (void)parseListDate(raw);
    return 0;
}
