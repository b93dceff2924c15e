// support: the settings file, folders, single instance, version text and language
// catalogs. This header: a profile (INI) file reader/writer.
//
// Rules are those of the classic profile-file functions: section and key names are
// matched without regard to case (ASCII), the first matching section and key win,
// blanks around keys and values are trimmed, lines starting with ';' are comments.
// Values are otherwise returned as written (quotes are not removed).
//
// Writing rewrites the whole file atomically (temporary file in the same folder,
// fsync, rename) and keeps everything it does not change byte for byte: unknown
// sections and keys, comments, blank lines, order, a UTF-8 byte-order mark and
// each line's own line ending. New lines take the file's line ending ("\r\n" when
// its first line ends so, "\n" otherwise and for new files).
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dravio::support {

// Longest text readString returns, in bytes (the classic 256-byte buffer).
inline constexpr std::size_t kMaxProfileValueLength = 255;

// The integer reader's rule on a value text: blanks, an optional sign, then
// decimal digits up to the first other character ("12abc" -> 12, "-1" -> -1).
// No digit at all, or a number outside the int range, gives `defaultValue`.
int parseProfileInt(std::string_view text, int defaultValue);

class IniFile {
public:
    // Reads `path`; a missing file behaves as an empty one. An unreadable file
    // also reads as empty and is reported by lastError().
    explicit IniFile(std::filesystem::path path);

    const std::filesystem::path& path() const { return path_; }

    // Reads the file again, dropping changes not yet committed.
    bool reload();

    // The value of the key, or `defaultValue` when the section or key is missing
    // or the value has no digits (see parseProfileInt).
    int readInt(std::string_view section, std::string_view key, int defaultValue) const;

    // The value of the key cut to kMaxProfileValueLength bytes (never inside a
    // UTF-8 sequence) and at a NUL, or `defaultValue` (cut the same way) when the
    // section or key is missing. A key present with an empty value gives "".
    std::string readString(std::string_view section, std::string_view key, std::string_view defaultValue) const;

    bool hasKey(std::string_view section, std::string_view key) const;

    // Sets one key and rewrites the file at once. False (see lastError()) when the
    // names are unusable or the file cannot be written.
    bool writeString(std::string_view section, std::string_view key, std::string_view value);
    bool writeInt(std::string_view section, std::string_view key, int value);

    // Batch: set keys in memory (reads see them at once), then commit() rewrites the
    // file once. commit() re-reads the file first and applies the pending keys on
    // top of it, so keys written meanwhile through another IniFile are kept.
    // A value is cut at its first line break. False when a name is empty or holds
    // a line break, or a section name holds ']' or a key '='.
    bool setString(std::string_view section, std::string_view key, std::string_view value);
    bool setInt(std::string_view section, std::string_view key, int value);
    bool commit();
    bool hasPendingChanges() const { return !pending_.empty(); }

    // The file's bytes as the next commit would write them.
    std::string serialize() const;

    // The reason of the last failure, empty when none.
    const std::string& lastError() const { return lastError_; }

private:
    struct Line {
        std::string text;  // without the line ending
        std::string eol;   // "\r\n", "\n" or "" (last line without one)
    };
    struct Pending {
        std::string section, key, value;
    };
    struct Content {
        std::vector<Line> lines;
        bool bom = false;
        std::string eol = "\n";
    };

    static Content parse(std::string_view bytes);
    static std::optional<std::string_view> findValue(const Content& content, std::string_view section,
                                                     std::string_view key);
    static void apply(Content& content, const Pending& change);

    std::filesystem::path path_;
    Content content_;
    std::vector<Pending> pending_;
    std::string lastError_;
};

}  // namespace dravio::support
