// support/update: the update service — the list the server offers (listes.ini),
// its downloads, and their installation. This header: reading the list and the
// rules that judge what it names (versions, dates, file names, addresses).
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "support/ini_file.h"
#include "support/version_text.h"

namespace dravio::support {

// The list's section: the program's title.
inline constexpr std::string_view kUpdateListSection = "Dravio";
inline constexpr std::string_view kUpdateListFile = "listes.ini";
// Most catalogs one list may name.
inline constexpr int kMaxListedCatalogs = 20;

// The [Dravio] keys of listes.ini, with the defaults of missing keys.
struct UpdateList {
    std::string Version = "1.1.1";
    std::string URL;
    std::string Soft;
    std::string URLInstall;
    std::string Install;
    std::string Help = "01/01/2020";
    std::string URL_chm;
    std::string Aide;
    std::string DateLangue = "01/01/2020";
    int NBlangues = 1;
    std::string URL_Langues;
    // The values of keys "1dll" .. "<NBlangues>dll" (at most kMaxListedCatalogs).
    std::vector<std::string> langues;

    static UpdateList read(const IniFile& ini);
};

// The expected SHA-256 (lower-case hex) of a download, from the key
// "SHA256_" + file name; nullopt when the list gives none.
std::optional<std::string> listedSha256(const IniFile& ini, std::string_view fileName);

// A version text split at '.': nullopt with fewer than three parts. Each part
// reads as the profile integer rule reads it (no digits: 0).
std::optional<ProgramVersion> parseVersion(std::string_view text);

enum class VersionOffer { None, Update, MajorRelease };
// A higher major number is a major release; the same major with a higher minor,
// or the same major and minor with a higher revision, is an update.
VersionOffer compareVersions(const ProgramVersion& running, const ProgramVersion& offered);

// "dd/mm/yyyy" (one or two digits for day and month); nullopt when not a date.
std::optional<std::chrono::sys_days> parseListDate(std::string_view text);
std::string formatListDate(std::chrono::sys_days day);

// The check at start is due when UPDATE/Revision is more than 15 days before
// `today`; a Revision that is not a date makes it due.
bool updateDue(std::string_view revision, std::chrono::sys_days today);

// The project's site: the release folder (the default of UPDATE/Server, the
// folder of listes.ini) and the page "Support en ligne" opens.
inline constexpr std::string_view kProjectWebPage = "https://dravio.github.io/";
inline constexpr std::string_view kDefaultUpdateServer = "https://dravio.github.io/releases/";
std::string updateServer(const IniFile& settings);

// The start-up check: due by UPDATE/Revision (see updateDue). recordCheck
// stores `today` as the date of the last check.
bool startupCheckDue(const IniFile& settings, std::chrono::sys_days today);
bool recordCheck(IniFile& settings, std::chrono::sys_days today);

// A file name from the list that may be written: not empty, no path separator,
// no "..", no control character, not starting with '.' or '-'.
bool safeFileName(std::string_view name);

// Addresses downloads may come from: https://, file://, and http:// on the
// loopback interface (127.0.0.1, localhost, [::1]) for local test servers.
bool allowedUrl(std::string_view url);

// What a downloaded file is, by the extension of its name (any case).
enum class FileKind {
    Program,    // .AppImage: the program, into the program folder
    Help,       // .html, .htm: a help page
    Catalog,    // .lang: a language catalog
    Picture,    // .bmp, .png: a motorcycle picture
    Installer,  // .zip, .deb, .tar.gz, .rpm: kept for the user, never opened
    Unknown,
};
FileKind fileKindOf(std::string_view name);

}  // namespace dravio::support
