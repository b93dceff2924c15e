#include "support/update/update_list.h"

#include <algorithm>
#include <cstdio>

#include "support/text_utils.h"

namespace dravio::support {

namespace {

bool endsWithIgnoreCase(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() && equalsIgnoreCase(text.substr(text.size() - suffix.size()), suffix);
}

std::optional<int> digits(std::string_view text) {
    if (text.empty() || text.size() > 4) return std::nullopt;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

}  // namespace

UpdateList UpdateList::read(const IniFile& ini) {
    UpdateList list;
    const auto text = [&](std::string_view key, const std::string& fallback) {
        return ini.readString(kUpdateListSection, key, fallback);
    };
    list.Version = text("Version", list.Version);
    list.URL = text("URL", list.URL);
    list.Soft = text("Soft", list.Soft);
    list.URLInstall = text("URLInstall", list.URLInstall);
    list.Install = text("Install", list.Install);
    list.Help = text("Help", list.Help);
    list.URL_chm = text("URL_chm", list.URL_chm);
    list.Aide = text("Aide", list.Aide);
    list.DateLangue = text("DateLangue", list.DateLangue);
    list.NBlangues = ini.readInt(kUpdateListSection, "NBlangues", list.NBlangues);
    list.URL_Langues = text("URL_Langues", list.URL_Langues);
    const int count = std::min(list.NBlangues, kMaxListedCatalogs);
    for (int n = 1; n <= count; ++n) list.langues.push_back(text(std::to_string(n) + "dll", ""));
    return list;
}

std::optional<std::string> listedSha256(const IniFile& ini, std::string_view fileName) {
    const std::string key = "SHA256_" + std::string(fileName);
    if (!ini.hasKey(kUpdateListSection, key)) return std::nullopt;
    std::string value = ini.readString(kUpdateListSection, key, "");
    for (char& c : value) {
        if (c >= 'A' && c <= 'F') c = static_cast<char>(c - 'A' + 'a');
    }
    return value;
}

std::optional<ProgramVersion> parseVersion(std::string_view text) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t dot = text.find('.', start);
        parts.push_back(text.substr(start, dot == std::string_view::npos ? std::string_view::npos : dot - start));
        if (dot == std::string_view::npos) break;
        start = dot + 1;
    }
    if (parts.size() < 3) return std::nullopt;
    return ProgramVersion{parseProfileInt(parts[0], 0), parseProfileInt(parts[1], 0), parseProfileInt(parts[2], 0)};
}

VersionOffer compareVersions(const ProgramVersion& running, const ProgramVersion& offered) {
    if (offered.major > running.major) return VersionOffer::MajorRelease;
    if (offered.major != running.major) return VersionOffer::None;
    if (offered.minor > running.minor) return VersionOffer::Update;
    if (offered.minor == running.minor && offered.revision > running.revision) return VersionOffer::Update;
    return VersionOffer::None;
}

std::optional<std::chrono::sys_days> parseListDate(std::string_view text) {
    text = trimBlanks(text);
    const std::size_t first = text.find('/');
    const std::size_t second = first == std::string_view::npos ? first : text.find('/', first + 1);
    if (second == std::string_view::npos) return std::nullopt;
    const auto day = digits(text.substr(0, first));
    const auto month = digits(text.substr(first + 1, second - first - 1));
    const auto year = digits(text.substr(second + 1));
    if (!day || !month || !year || *day > 31 || *month > 12 || text.substr(second + 1).size() != 4) {
        return std::nullopt;
    }
    const std::chrono::year_month_day date{std::chrono::year(*year), std::chrono::month(static_cast<unsigned>(*month)),
                                           std::chrono::day(static_cast<unsigned>(*day))};
    if (!date.ok()) return std::nullopt;
    return std::chrono::sys_days(date);
}

std::string formatListDate(std::chrono::sys_days day) {
    const std::chrono::year_month_day date(day);
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%02u/%02u/%04d", static_cast<unsigned>(date.day()),
                  static_cast<unsigned>(date.month()), static_cast<int>(date.year()));
    return buffer;
}

bool updateDue(std::string_view revision, std::chrono::sys_days today) {
    const auto last = parseListDate(revision);
    return !last || today - *last > std::chrono::days(15);
}

std::string updateServer(const IniFile& settings) {
    const std::string server = settings.readString("UPDATE", "Server", "");
    return trimBlanks(server).empty() ? std::string(kDefaultUpdateServer) : server;
}

bool startupCheckDue(const IniFile& settings, std::chrono::sys_days today) {
    return updateDue(settings.readString("UPDATE", "Revision", "24/02/2008"), today);
}

bool recordCheck(IniFile& settings, std::chrono::sys_days today) {
    return settings.writeString("UPDATE", "Revision", formatListDate(today));
}

bool safeFileName(std::string_view name) {
    if (name.empty() || name.size() > 200 || name.front() == '.' || name.front() == '-') return false;
    if (name.find("..") != std::string_view::npos) return false;
    for (char c : name) {
        if (c == '/' || c == '\\' || c == ':' || static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;
    }
    return true;
}

bool allowedUrl(std::string_view url) {
    const auto startsWith = [&](std::string_view prefix) {
        return url.size() >= prefix.size() && equalsIgnoreCase(url.substr(0, prefix.size()), prefix);
    };
    for (char c : url) {
        if (static_cast<unsigned char>(c) <= 0x20 || c == 0x7F) return false;
    }
    if (startsWith("https://") && url.size() > 8) return true;
    if (startsWith("file:///")) return true;
    if (!startsWith("http://")) return false;
    std::string_view rest = url.substr(7);
    const std::size_t end = rest.find_first_of("/?#");
    std::string_view authority = rest.substr(0, end);
    if (authority.find('@') != std::string_view::npos) return false;
    std::string_view host = authority;
    if (host.starts_with("[")) {
        host = host.substr(0, host.find(']') + 1);
    } else {
        host = host.substr(0, host.find(':'));
    }
    return host == "127.0.0.1" || equalsIgnoreCase(host, "localhost") || host == "[::1]";
}

FileKind fileKindOf(std::string_view name) {
    if (endsWithIgnoreCase(name, ".AppImage")) return FileKind::Program;
    if (endsWithIgnoreCase(name, ".html") || endsWithIgnoreCase(name, ".htm")) return FileKind::Help;
    if (endsWithIgnoreCase(name, ".lang")) return FileKind::Catalog;
    if (endsWithIgnoreCase(name, ".bmp") || endsWithIgnoreCase(name, ".png")) return FileKind::Picture;
    for (std::string_view ext : {".zip", ".deb", ".tar.gz", ".rpm"}) {
        if (endsWithIgnoreCase(name, ext)) return FileKind::Installer;
    }
    return FileKind::Unknown;
}

}  // namespace dravio::support
