// support/update: Find_Update, the whole check — pictures, language catalogs,
// help, program — and the installation of what it downloads.
//
// Safety: only allowed addresses (see allowedUrl), only file names from the list
// that are safe (see safeFileName), the optional SHA256_<name> key of the list
// checked before anything is installed, every download written to a temporary
// file beside its place and renamed into place when complete. Nothing downloaded
// is ever run by Dravio.
#pragma once

#include <filesystem>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include "support/catalog.h"
#include "support/folders.h"
#include "support/ini_file.h"
#include "support/update/downloader.h"
#include "support/update/update_list.h"
#include "support/version_text.h"

namespace dravio::support {

// Where the check reads and writes.
struct UpdatePlaces {
    std::filesystem::path DossierDravio;  // listes.ini
    std::filesystem::path DossierFiles;   // pictures; help/ and lang/ below it
    std::filesystem::path programFolder;  // AppFolder: where the program file goes
    // The files whose modification dates say how old the installed help and
    // catalogs are (the installed copy if there is one, else the shipped one).
    std::filesystem::path helpReference;
    std::filesystem::path catalogReference;
    // Where the desktop entry for a new program file is written
    // ($XDG_DATA_HOME/applications).
    std::filesystem::path desktopEntryFolder;

    std::filesystem::path listFile() const { return DossierDravio / kUpdateListFile; }
    std::filesystem::path helpFolder() const { return DossierFiles / "help"; }
    std::filesystem::path catalogFolder() const { return DossierFiles / "lang"; }
};

// The places for these folders: the program folder is the running program's,
// the references are the installed copies when present, else the shipped ones
// under `dataDir`.
UpdatePlaces updatePlacesFor(const Folders& folders, const std::filesystem::path& dataDir,
                             const std::filesystem::path& programFolder,
                             const std::filesystem::path& desktopEntryFolder);

// Where desktop entries go: $XDG_DATA_HOME/applications when XDG_DATA_HOME is
// absolute, else $HOME/.local/share/applications; empty without either.
std::filesystem::path applicationsFolder(const std::optional<std::string>& xdgDataHome,
                                         const std::optional<std::string>& home);

// What the check shows. The window shows boxes and the status list; the
// command line prints.
struct UpdateView {
    std::function<void(const std::string& line)> status;
    std::function<void(const std::string& title, const std::string& text)> message;
    // A Yes/No question, No the default: true for Yes.
    std::function<bool(const std::string& title, const std::string& text)> ask;
    // Lets the window handle its events once (before a transfer).
    std::function<void()> yieldToUi;
};

// The pictures step's files.
inline constexpr std::string_view kPictureNames[] = {"MaMotoM15.bmp", "MaMotoM16.bmp", "MaMotoM59.bmp"};

class UpdateService {
public:
    // `server` is the address of the folder holding listes.ini (UPDATE/Server).
    UpdateService(std::string server, UpdatePlaces places, ProgramVersion running, const Catalog& catalog,
                  Downloader& downloader, UpdateView view);

    void Find_Update();

    // Fetches `url` into `target` as described above; true when `target` holds
    // the complete, checked file. `expectedSha256` empty: no check.
    bool Download(const std::string& url, const std::filesystem::path& target, const std::string& expectedSha256 = {});

    // Installs the file of the current pair (address, file name) by its kind.
    void Install();
    void setCurrent(std::string url, std::string fileName);

    // The address of a file the server offers beside the list.
    std::string serverFile(std::string_view name) const;

private:
    void refreshPictures();
    void refreshCatalogs();
    void checkHelp(const UpdateList& values);
    void checkProgram(const UpdateList& values);
    std::string text(int id, std::string_view french) const { return catalog_.GetResourceString(id, french); }
    void status(const std::string& line) const;
    void message(const std::string& title, const std::string& body) const;
    bool ask(const std::string& title, const std::string& body) const;
    std::string resolve(const std::string& address, const std::string& fileName) const;
    std::string expectedHashOf(const std::string& fileName) const;
    bool newerThan(std::string_view listDate, const std::filesystem::path& file) const;
    void installProgram(const std::string& url, const std::string& name);
    void failedUpdate();
    bool acceptable(const std::string& name, std::initializer_list<FileKind> kinds) const;

    std::string server_;
    UpdatePlaces places_;
    ProgramVersion running_;
    const Catalog& catalog_;
    Downloader& downloader_;
    UpdateView view_;
    std::string currentUrl_;
    std::string currentFile_;
};

// The text of the desktop entry that starts `program`.
std::string desktopEntryText(const std::filesystem::path& program);

}  // namespace dravio::support
