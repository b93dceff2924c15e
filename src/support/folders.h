// support: the program's folders under the user's documents folder.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dravio::support {

// The environment variables the folder lookup uses, passed in as values.
struct Environment {
    std::optional<std::string> home;             // HOME
    std::optional<std::string> xdgDocumentsDir;  // XDG_DOCUMENTS_DIR
    std::optional<std::string> xdgConfigHome;    // XDG_CONFIG_HOME
    std::optional<std::string> dataDir;          // DRAVIO_DATA_DIR
    std::optional<std::string> xdgRuntimeDir;    // XDG_RUNTIME_DIR
    std::optional<std::string> xdgDataHome;      // XDG_DATA_HOME

    // The current process's values.
    static Environment fromProcess();
};

// The XDG_DOCUMENTS_DIR entry of a user-dirs.dirs text, "$HOME" expanded; nullopt
// when the entry is absent or is neither "$HOME/..." nor an absolute path.
std::optional<std::filesystem::path> documentsFromUserDirs(std::string_view userDirsText, std::string_view home);

// The documents folder: $XDG_DOCUMENTS_DIR (absolute), else the entry of
// <config>/user-dirs.dirs (config = $XDG_CONFIG_HOME or $HOME/.config), else
// $HOME/Documents. nullopt when none of these can be built (no HOME).
std::optional<std::filesystem::path> documentsFolder(const Environment& env);

struct Folders {
    std::filesystem::path DossierDravio;  // <documents>/Dravio
    std::filesystem::path DossierData;    // DossierDravio/Data
    std::filesystem::path DossierLog;     // DossierDravio/Log
    std::filesystem::path DossierFiles;   // DossierDravio/Files

    std::filesystem::path settingsFile() const { return DossierDravio / "ecu.ini"; }

    static Folders under(const std::filesystem::path& documents);
};

// The single-instance lock: $XDG_RUNTIME_DIR/dravio.lock (absolute, existing), else
// dravio/dravio.lock under $XDG_DATA_HOME or $HOME/.local/share (the folder created),
// else `fallback`. Never in the documents folder, which may be shared or synced.
std::filesystem::path lockFile(const Environment& env, const std::filesystem::path& fallback);

// What creating the folders did; start-up carries on whatever happens, but the
// caller can trace the problems.
struct FolderStatus {
    std::vector<std::string> problems;
    bool ok() const { return problems.empty(); }
};

// Creates the four folders (existing ones are fine).
FolderStatus createFolders(const Folders& folders);

// The folders for this environment and their creation. Without a documents folder
// the current directory stands in, and that is reported as a problem.
struct FolderSetup {
    Folders folders;
    FolderStatus status;
};
FolderSetup setUpFolders(const Environment& env);

}  // namespace dravio::support
