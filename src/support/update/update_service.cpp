#include "support/update/update_service.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <system_error>

#include "support/atomic_file.h"

namespace dravio::support {

namespace fs = std::filesystem;

namespace {

constexpr const char* kUpdateTitle = "Update";
constexpr const char* kText901 =
    "Une nouvelle mise à jour est disponible. Pour l'installer, cliquer sur le bouton [OUI].";
constexpr const char* kText902 = "Impossible de télécharger la liste des mises à jour !";
constexpr const char* kText904 = "Vérifiez que vous êtes bien connecté à Internet et réessayez plus tard";
constexpr const char* kText905 = "Vérifiez votre connexion Internet puis réessayez.";

bool hasScheme(std::string_view address) { return address.find("://") != std::string_view::npos; }

std::optional<std::chrono::sys_days> modificationDay(const fs::path& file) {
    std::error_code ec;
    const auto time = fs::last_write_time(file, ec);
    if (ec) return std::nullopt;
    const auto system = std::chrono::file_clock::to_sys(time);
    return std::chrono::floor<std::chrono::days>(system);
}

// Copies `from` to `to` through a temporary file in the target folder.
bool placeCopy(const fs::path& from, const fs::path& to) {
    std::error_code ec;
    fs::create_directories(to.parent_path(), ec);
    const fs::path temporary = to.parent_path() / ("." + to.filename().string() + ".part");
    if (!fs::copy_file(from, temporary, fs::copy_options::overwrite_existing, ec)) return false;
    fs::rename(temporary, to, ec);
    if (ec) fs::remove(temporary, ec);
    return !ec;
}

}  // namespace

UpdateService::UpdateService(std::string server, UpdatePlaces places, ProgramVersion running, const Catalog& catalog,
                             Downloader& downloader, UpdateView view)
    : server_(std::move(server)),
      places_(std::move(places)),
      running_(running),
      catalog_(catalog),
      downloader_(downloader),
      view_(std::move(view)) {
    if (!server_.empty() && server_.back() != '/') server_ += '/';
}

void UpdateService::status(const std::string& line) const {
    if (view_.status) view_.status(line);
}

void UpdateService::message(const std::string& title, const std::string& body) const {
    if (view_.message) view_.message(title, body);
}

bool UpdateService::ask(const std::string& title, const std::string& body) const {
    return view_.ask && view_.ask(title, body);
}

std::string UpdateService::serverFile(std::string_view name) const { return server_ + std::string(name); }

std::string UpdateService::resolve(const std::string& address, const std::string& fileName) const {
    if (address.empty()) return {};
    std::string url = hasScheme(address) ? address : server_ + address;
    if (url.back() == '/') url += fileName;
    return url;
}

std::string UpdateService::expectedHashOf(const std::string& fileName) const {
    const IniFile list(places_.listFile());
    return listedSha256(list, fileName).value_or("");
}

bool UpdateService::newerThan(std::string_view listDate, const fs::path& file) const {
    const auto offered = parseListDate(listDate);
    if (!offered) return false;
    const auto installed = modificationDay(file);
    return !installed || *offered > *installed;
}

bool UpdateService::Download(const std::string& url, const fs::path& target, const std::string& expectedSha256) {
    status("DownLoad " + target.string());
    status("DownLoad, Wait ...");
    if (view_.yieldToUi) view_.yieldToUi();
    if (!allowedUrl(url)) {
        status("Refused address: " + url);
        return false;
    }
    std::error_code ec;
    fs::create_directories(target.parent_path(), ec);
    // The old file stays until the new one is complete and checked.
    const fs::path temporary = target.parent_path() / ("." + target.filename().string() + ".part");
    const std::string failure = downloader_.fetch(url, temporary);
    if (!failure.empty()) {
        fs::remove(temporary, ec);
        status(failure);
        return false;
    }
    if (!expectedSha256.empty() && sha256OfFile(temporary) != expectedSha256) {
        fs::remove(temporary, ec);
        status("SHA-256 mismatch: " + target.filename().string() + " refused");
        return false;
    }
    fs::rename(temporary, target, ec);
    if (ec) {
        fs::remove(temporary, ec);
        status("cannot write " + target.string());
        return false;
    }
    status(target.filename().string() + "DownLoad, OK ");
    return true;
}

void UpdateService::setCurrent(std::string url, std::string fileName) {
    currentUrl_ = std::move(url);
    currentFile_ = std::move(fileName);
}

void UpdateService::failedUpdate() { message("Echec Update", text(904, kText904) + "\n" + text(905, kText905)); }

void UpdateService::Install() {
    if (currentUrl_.empty()) {
        message(kUpdateTitle, "Download Error");
        return;
    }
    if (!safeFileName(currentFile_)) {
        status("Refused file name: " + currentFile_);
        return;
    }
    const std::string hash = expectedHashOf(currentFile_);
    switch (fileKindOf(currentFile_)) {
        case FileKind::Program:
            installProgram(currentUrl_, currentFile_);
            return;
        case FileKind::Help:
            if (!Download(currentUrl_, places_.helpFolder() / currentFile_, hash)) failedUpdate();
            return;
        case FileKind::Catalog: {
            const fs::path downloaded = places_.DossierFiles / currentFile_;
            if (!Download(currentUrl_, downloaded, hash)) {
                failedUpdate();
                return;
            }
            if (!placeCopy(downloaded, places_.catalogFolder() / currentFile_)) {
                status("You need write access to copy the lng***.lang ");
                status("from " + places_.DossierFiles.string() + " to " + places_.catalogFolder().string());
                status("or");
                status("You need copy yourself the lng***.lang from " + places_.DossierFiles.string());
                status("to " + places_.catalogFolder().string());
            }
            std::error_code ec;
            fs::remove(downloaded, ec);
            return;
        }
        case FileKind::Picture:
        case FileKind::Installer:
            if (!Download(currentUrl_, places_.DossierFiles / currentFile_, hash)) failedUpdate();
            return;
        case FileKind::Unknown:
            message(kUpdateTitle, "Download Error");
            return;
    }
}

void UpdateService::installProgram(const std::string& url, const std::string& name) {
    const std::string hash = expectedHashOf(name);
    const fs::path folder = places_.programFolder;
    const auto copyMessage = [&](const std::string& why) {
        message("Echec Update/Copy to folder", text(904, kText904) + "\n" + why);
    };
    if (::access(folder.c_str(), W_OK) != 0) {
        // The program folder belongs to the system: keep the file for the user.
        const fs::path kept = places_.DossierFiles / name;
        if (Download(url, kept, hash)) {
            copyMessage("The program folder " + folder.string() + " is not writable: copy " + kept.string() +
                        " there yourself.");
        } else {
            failedUpdate();
        }
        return;
    }
    const fs::path program = folder / name;
    if (!Download(url, program, hash)) {
        copyMessage("Check that " + folder.string() + " is writable.");
        return;
    }
    std::error_code ec;
    fs::permissions(program,
                    fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec | fs::perms::others_read |
                        fs::perms::others_exec,
                    ec);
    if (places_.desktopEntryFolder.empty()) return;
    fs::create_directories(places_.desktopEntryFolder, ec);
    const std::string problem =
        writeFileAtomically(places_.desktopEntryFolder / "dravio.desktop", desktopEntryText(program));
    if (!problem.empty()) status(problem);
}

bool UpdateService::acceptable(const std::string& name, std::initializer_list<FileKind> kinds) const {
    // Each step installs only its own kind of file: a catalog entry never brings a program.
    if (safeFileName(name) && std::find(kinds.begin(), kinds.end(), fileKindOf(name)) != kinds.end()) return true;
    status("Refused file name: " + name);
    return false;
}

void UpdateService::refreshPictures() {
    for (std::string_view name : kPictureNames) {
        const fs::path target = places_.DossierFiles / name;
        std::error_code ec;
        if (fs::exists(target, ec)) continue;
        // Silent: a missing picture is not worth a message.
        Download(serverFile(name), target);
    }
}

void UpdateService::refreshCatalogs() {
    if (!Download(serverFile(kUpdateListFile), places_.listFile())) {
        // An old list must not drive offers once the server cannot confirm it.
        std::error_code ec;
        fs::remove(places_.listFile(), ec);
        return;
    }
    const IniFile list(places_.listFile());
    const UpdateList values = UpdateList::read(list);
    if (!newerThan(values.DateLangue, places_.catalogReference)) return;
    for (const std::string& name : values.langues) {
        if (name.empty()) continue;
        if (!acceptable(name, {FileKind::Catalog})) continue;
        // URL_Langues is the prefix the file names are appended to.
        setCurrent(values.URL_Langues.empty() ? std::string() : resolve(values.URL_Langues + name, name), name);
        Install();
    }
}

void UpdateService::checkHelp(const UpdateList& values) {
    if (!newerThan(values.Help, places_.helpReference)) return;
    if (values.URL_chm.empty() || values.Aide.empty()) return;
    if (!acceptable(values.Aide, {FileKind::Help})) return;
    if (!ask(kUpdateTitle, text(901, kText901))) return;
    setCurrent(resolve(values.URL_chm, values.Aide), values.Aide);
    Install();
}

void UpdateService::checkProgram(const UpdateList& values) {
    const auto offered = parseVersion(values.Version);
    if (!offered) {
        message(kUpdateTitle, text(902, kText902));
        return;
    }
    switch (compareVersions(running_, *offered)) {
        case VersionOffer::None:
            return;
        case VersionOffer::MajorRelease: {
            const std::string major = std::to_string(offered->major);
            const std::string body = "The " + major + ".x.x is a major release vs " + std::to_string(running_.major) +
                                     ".x.x: You must download and install InstallDravio" + major + "xx.zip.";
            if (!ask(kUpdateTitle, body)) {
                status("Download InstallDravio.zip Abord");
                return;
            }
            if (!values.Install.empty() && !acceptable(values.Install, {FileKind::Installer, FileKind::Program}))
                return;
            setCurrent(resolve(values.URLInstall, values.Install), values.Install);
            Install();
            return;
        }
        case VersionOffer::Update:
            if (values.URL.empty() || values.Soft.empty()) return;
            if (!acceptable(values.Soft, {FileKind::Program})) return;
            if (!ask(kUpdateTitle, text(901, kText901))) return;
            setCurrent(resolve(values.URL, values.Soft), values.Soft);
            Install();
            return;
    }
}

void UpdateService::Find_Update() {
    try {
        refreshPictures();
        refreshCatalogs();
        std::error_code ec;
        // Without a list there is nothing to compare: the check ends quietly.
        if (!fs::exists(places_.listFile(), ec)) return;
        const IniFile list(places_.listFile());
        const UpdateList values = UpdateList::read(list);
        checkHelp(values);
        checkProgram(values);
    } catch (const std::exception& e) {
        message(kUpdateTitle, std::string("Error (") + e.what() + ") in procedure Find_Update of Module W32Comms");
    }
}

UpdatePlaces updatePlacesFor(const Folders& folders, const fs::path& dataDir, const fs::path& programFolder,
                             const fs::path& desktopEntryFolder) {
    UpdatePlaces places;
    places.DossierDravio = folders.DossierDravio;
    places.DossierFiles = folders.DossierFiles;
    places.programFolder = programFolder;
    const auto installedOrShipped = [&](const fs::path& installed, const fs::path& shipped) {
        std::error_code ec;
        return fs::exists(installed, ec) ? installed : shipped;
    };
    places.helpReference =
        installedOrShipped(places.helpFolder() / "index.fr.html", dataDir / "help" / "index.fr.html");
    places.catalogReference =
        installedOrShipped(places.catalogFolder() / "lngFrancais.lang", dataDir / "lang" / "lngFrancais.lang");
    places.desktopEntryFolder = desktopEntryFolder;
    return places;
}

fs::path applicationsFolder(const std::optional<std::string>& xdgDataHome, const std::optional<std::string>& home) {
    if (xdgDataHome && !xdgDataHome->empty() && xdgDataHome->front() == '/')
        return fs::path(*xdgDataHome) / "applications";
    if (home && !home->empty()) return fs::path(*home) / ".local" / "share" / "applications";
    return {};
}

std::string desktopEntryText(const fs::path& program) {
    std::string exec;
    for (char c : program.string()) {
        // Quoting rules of the desktop entry Exec key.
        if (c == '"' || c == '`' || c == '$' || c == '\\') exec += '\\';
        exec += c;
    }
    return "[Desktop Entry]\nType=Application\nName=Dravio\nComment=Raccourci vers Dravio\nExec=\"" + exec +
           "\"\nTerminal=false\nCategories=Utility;\n";
}

}  // namespace dravio::support
