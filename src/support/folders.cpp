#include "support/folders.h"

#include <cstdlib>
#include <system_error>

#include "support/atomic_file.h"
#include "support/text_utils.h"

namespace dravio::support {

namespace {

std::optional<std::string> variable(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr) return std::nullopt;
    return std::string(value);
}

bool usable(const std::optional<std::string>& value) { return value && !value->empty(); }

}  // namespace

Environment Environment::fromProcess() {
    Environment env;
    env.home = variable("HOME");
    env.xdgDocumentsDir = variable("XDG_DOCUMENTS_DIR");
    env.xdgConfigHome = variable("XDG_CONFIG_HOME");
    env.dataDir = variable("DRAVIO_DATA_DIR");
    env.xdgRuntimeDir = variable("XDG_RUNTIME_DIR");
    env.xdgDataHome = variable("XDG_DATA_HOME");
    return env;
}

std::filesystem::path lockFile(const Environment& env, const std::filesystem::path& fallback) {
    namespace fs = std::filesystem;
    std::error_code error;
    if (env.xdgRuntimeDir && fs::path(*env.xdgRuntimeDir).is_absolute() &&
        fs::is_directory(*env.xdgRuntimeDir, error)) {
        return fs::path(*env.xdgRuntimeDir) / "dravio.lock";
    }
    fs::path data;
    if (env.xdgDataHome && fs::path(*env.xdgDataHome).is_absolute()) {
        data = *env.xdgDataHome;
    } else if (env.home && !env.home->empty()) {
        data = fs::path(*env.home) / ".local" / "share";
    }
    if (!data.empty()) {
        const fs::path folder = data / "dravio";
        fs::create_directories(folder, error);
        if (fs::is_directory(folder, error)) return folder / "dravio.lock";
    }
    return fallback / "dravio.lock";
}

std::optional<std::filesystem::path> documentsFromUserDirs(std::string_view userDirsText, std::string_view home) {
    constexpr std::string_view kName = "XDG_DOCUMENTS_DIR";
    while (!userDirsText.empty()) {
        auto nl = userDirsText.find('\n');
        std::string_view line = userDirsText.substr(0, nl);
        userDirsText = nl == std::string_view::npos ? std::string_view{} : userDirsText.substr(nl + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        line = trimBlanks(line);
        if (line.substr(0, kName.size()) != kName) continue;
        std::string_view rest = trimBlanks(line.substr(kName.size()));
        if (rest.empty() || rest.front() != '=') continue;
        rest = trimBlanks(rest.substr(1));
        // The file's form is "$HOME/..." or an absolute path, in double quotes.
        if (rest.size() >= 2 && rest.front() == '"' && rest.back() == '"') rest = rest.substr(1, rest.size() - 2);
        constexpr std::string_view kHome = "$HOME";
        if (rest.substr(0, kHome.size()) == kHome && (rest.size() == kHome.size() || rest[kHome.size()] == '/')) {
            if (home.empty()) return std::nullopt;
            std::string tail(rest.substr(kHome.size()));
            return std::filesystem::path(std::string(home) + tail).lexically_normal();
        }
        if (!rest.empty() && rest.front() == '/') return std::filesystem::path(rest).lexically_normal();
        return std::nullopt;
    }
    return std::nullopt;
}

std::optional<std::filesystem::path> documentsFolder(const Environment& env) {
    if (usable(env.xdgDocumentsDir) && env.xdgDocumentsDir->front() == '/') return *env.xdgDocumentsDir;
    const std::string home = usable(env.home) ? *env.home : std::string{};
    std::filesystem::path config;
    if (usable(env.xdgConfigHome) && env.xdgConfigHome->front() == '/') {
        config = *env.xdgConfigHome;
    } else if (!home.empty()) {
        config = std::filesystem::path(home) / ".config";
    }
    if (!config.empty()) {
        std::string text;
        bool missing = false;
        if (readWholeFile(config / "user-dirs.dirs", text, missing)) {
            if (auto found = documentsFromUserDirs(text, home)) return found;
        }
    }
    if (home.empty()) return std::nullopt;
    return std::filesystem::path(home) / "Documents";
}

Folders Folders::under(const std::filesystem::path& documents) {
    Folders f;
    f.DossierDravio = documents / "Dravio";
    f.DossierData = f.DossierDravio / "Data";
    f.DossierLog = f.DossierDravio / "Log";
    f.DossierFiles = f.DossierDravio / "Files";
    return f;
}

FolderStatus createFolders(const Folders& folders) {
    FolderStatus status;
    for (const auto* folder :
         {&folders.DossierDravio, &folders.DossierData, &folders.DossierLog, &folders.DossierFiles}) {
        std::error_code ec;
        std::filesystem::create_directories(*folder, ec);
        if (ec) {
            status.problems.push_back("cannot create " + folder->string() + ": " + ec.message());
        } else if (!std::filesystem::is_directory(*folder, ec)) {
            status.problems.push_back(folder->string() + " is not a folder");
        }
    }
    return status;
}

FolderSetup setUpFolders(const Environment& env) {
    FolderSetup setup;
    auto documents = documentsFolder(env);
    if (!documents) {
        std::error_code ec;
        documents = std::filesystem::current_path(ec);
        if (ec) documents = ".";
    }
    setup.folders = Folders::under(*documents);
    setup.status = createFolders(setup.folders);
    if (!documentsFolder(env)) {
        setup.status.problems.insert(setup.status.problems.begin(),
                                     "no documents folder (HOME is not set); using " + documents->string());
    }
    return setup;
}

}  // namespace dravio::support
