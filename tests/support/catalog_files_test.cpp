// Consistency of the language catalogs shipped in lang/: every file parses, the translations
// carry exactly the ids of the French reference, and no translation loses the blanks the
// windows rely on. The parser here is deliberately tiny and independent of the program's
// loader, so that a loader bug cannot hide a broken catalog (and the other way round).

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace {

struct Entry {
    long id = 0;
    std::string text;
    int line = 0;
};

struct Parsed {
    std::vector<Entry> entries;
    std::vector<std::string> errors;  // one message per malformed line
};

constexpr long kLowestId = 100;
constexpr long kHighestId = 1200;

// "\n" is a line break and "\\" a backslash; any other escape is a mistake in the file.
std::optional<std::string> unescape(std::string_view raw) {
    std::string out;
    out.reserve(raw.size());
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] != '\\') {
            out += raw[i];
            continue;
        }
        if (i + 1 >= raw.size()) return std::nullopt;
        const char next = raw[++i];
        if (next == 'n') {
            out += '\n';
        } else if (next == '\\') {
            out += '\\';
        } else {
            return std::nullopt;
        }
    }
    return out;
}

std::optional<long> parseId(std::string_view digits) {
    if (digits.empty() || digits.size() > 9) return std::nullopt;
    long value = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

Parsed parseCatalog(std::string_view content) {
    Parsed result;
    int lineNumber = 0;
    std::size_t pos = 0;
    while (pos < content.size()) {
        const std::size_t end = std::min(content.find('\n', pos), content.size());
        const std::string_view line = content.substr(pos, end - pos);
        pos = end + 1;
        ++lineNumber;
        const std::string where = "line " + std::to_string(lineNumber) + ": ";
        if (line.find('\r') != std::string_view::npos) {
            result.errors.push_back(where + "carriage return (line ends must be \\n only)");
            continue;
        }
        if (line.empty() || line.front() == '#') continue;
        const std::size_t eq = line.find('=');
        if (eq == std::string_view::npos) {
            result.errors.push_back(where + "no '='");
            continue;
        }
        const auto id = parseId(line.substr(0, eq));
        if (!id) {
            result.errors.push_back(where + "id is not a plain decimal number");
            continue;
        }
        auto text = unescape(line.substr(eq + 1));
        if (!text) {
            result.errors.push_back(where + "unknown escape or lone backslash");
            continue;
        }
        result.entries.push_back({*id, std::move(*text), lineNumber});
    }
    return result;
}

bool isValidUtf8(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size()) {
        const auto lead = static_cast<unsigned char>(s[i]);
        int extra = 0;
        if (lead < 0x80) {
            extra = 0;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            extra = 1;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            extra = 2;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            extra = 3;
        } else {
            return false;
        }
        if (i + static_cast<std::size_t>(extra) >= s.size() && extra > 0) return false;
        for (int k = 1; k <= extra; ++k) {
            if ((static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]) & 0xC0) != 0x80) return false;
        }
        i += static_cast<std::size_t>(extra) + 1;
    }
    return true;
}

std::size_t leadingBlanks(const std::string& s) {
    const std::size_t first = s.find_first_not_of(' ');
    return first == std::string::npos ? s.size() : first;
}

bool endsWithBlank(const std::string& s) { return !s.empty() && s.back() == ' '; }

const char* const kReference = "Francais";
const char* const kTranslations[] = {"English", "Italiano", "Deutsch", "Nederlands"};

std::string catalogPath(const std::string& language) {
    return std::string(DRAVIO_SOURCE_DATA_DIR) + "/lang/lng" + language + ".lang";
}

std::optional<std::string> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Parses a shipped catalog; a missing file or a malformed line fails the calling test.
std::map<long, std::string> loadCatalog(const std::string& language) {
    const auto content = readFile(catalogPath(language));
    EXPECT_TRUE(content.has_value()) << "cannot read " << catalogPath(language);
    if (!content) return {};
    const Parsed parsed = parseCatalog(*content);
    for (const auto& e : parsed.errors) ADD_FAILURE() << language << ": " << e;
    std::map<long, std::string> texts;
    for (const auto& e : parsed.entries) texts.emplace(e.id, e.text);
    return texts;
}

// --- the parser itself, so that the checks below cannot pass by parsing nothing ---

TEST(CatalogFilesParser, ReadsIdsTextsAndEscapes) {
    const std::string sample =
        "# header comment\n"
        "\n"
        "101=Dravio\n"
        "145=et attendre les BIP et Init = ON\n"
        "366=   en C.C GND\n"
        "524=Erreur numéro \n"
        "700=two\\nlines\n"
        "701=back\\\\slash\n"
        "702=\n";
    const Parsed p = parseCatalog(sample);
    EXPECT_TRUE(p.errors.empty());
    const struct {
        long id;
        const char* text;
        int line;
    } expected[] = {
        {101, "Dravio", 3},
        {145, "et attendre les BIP et Init = ON", 4},  // only the first '=' separates
        {366, "   en C.C GND", 5},
        {524, "Erreur num\xC3\xA9ro ", 6},
        {700, "two\nlines", 7},
        {701, "back\\slash", 8},
        {702, "", 9},
    };
    ASSERT_EQ(p.entries.size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_EQ(p.entries[i].id, expected[i].id) << i;
        EXPECT_EQ(p.entries[i].text, expected[i].text) << i;
        EXPECT_EQ(p.entries[i].line, expected[i].line) << i;
    }
}

TEST(CatalogFilesParser, FlagsEveryMalformedLine) {
    const char* const malformed[] = {
        "no equals sign",
        "=text without id",
        " 101=blank before the id",
        "101 =blank after the id",
        "-5=negative id",
        "+5=signed id",
        "1x1=not decimal",
        "1234567890=too many digits",
        "300=bad \\t escape",
        "301=lone backslash at the end\\",
        "302=carriage return\r",
    };
    for (const char* line : malformed) {
        const Parsed p = parseCatalog(std::string(line) + "\n");
        EXPECT_EQ(p.errors.size(), 1u) << line;
        EXPECT_TRUE(p.entries.empty()) << line;
    }
}

TEST(CatalogFilesParser, Utf8Validation) {
    const struct {
        std::string text;
        bool valid;
    } cases[] = {
        {"plain ascii", true},
        {"D\xC3\xA9""faut", true},            // é
        {"\xC3\xA8 \xE2\x82\xAC \xF0\x9F\x9A\x80", true},  // è, euro sign, four-byte character
        {"latin-1 D\xE9" "faut", false},       // é as a single Latin-1 byte
        {"cut \xC3", false},                   // truncated two-byte sequence
        {"cut \xE2\x82", false},               // truncated three-byte sequence
        {"overlong \xC0\xAF", false},
        {"stray \x80 continuation", false},
    };
    for (const auto& c : cases) EXPECT_EQ(isValidUtf8(c.text), c.valid) << c.text;
}

// --- the shipped catalogs ---

TEST(CatalogFiles, EveryFileIsCleanUtf8AndParsesWithoutMalformedLines) {
    std::vector<std::string> all{kReference};
    all.insert(all.end(), std::begin(kTranslations), std::end(kTranslations));
    for (const auto& language : all) {
        SCOPED_TRACE(language);
        const auto content = readFile(catalogPath(language));
        ASSERT_TRUE(content.has_value()) << "cannot read " << catalogPath(language);
        EXPECT_FALSE(content->rfind("\xEF\xBB\xBF", 0) == 0) << "starts with a byte-order mark";
        EXPECT_TRUE(isValidUtf8(*content)) << "not valid UTF-8";
        EXPECT_TRUE(content->empty() || content->back() == '\n') << "last line has no line end";
        EXPECT_EQ(content->rfind('#', 0), 0u) << "does not start with its comment header";
        const Parsed parsed = parseCatalog(*content);
        for (const auto& e : parsed.errors) ADD_FAILURE() << e;
        EXPECT_FALSE(parsed.entries.empty());
    }
}

TEST(CatalogFiles, IdsAreUniqueAscendingAndInTheProgramsRange) {
    std::vector<std::string> all{kReference};
    all.insert(all.end(), std::begin(kTranslations), std::end(kTranslations));
    for (const auto& language : all) {
        SCOPED_TRACE(language);
        const auto content = readFile(catalogPath(language));
        ASSERT_TRUE(content.has_value());
        const Parsed parsed = parseCatalog(*content);
        for (std::size_t i = 0; i < parsed.entries.size(); ++i) {
            const Entry& e = parsed.entries[i];
            EXPECT_GE(e.id, kLowestId) << "line " << e.line;
            EXPECT_LE(e.id, kHighestId) << "line " << e.line;
            if (i > 0) {
                const Entry& before = parsed.entries[i - 1];
                EXPECT_NE(e.id, before.id) << "duplicate id " << e.id << " on lines " << before.line << " and "
                                           << e.line;
                EXPECT_GT(e.id, before.id) << "id " << e.id << " on line " << e.line << " is out of order";
            }
        }
    }
}

TEST(CatalogFiles, TranslationsCarryExactlyTheReferenceIds) {
    const auto reference = loadCatalog(kReference);
    ASSERT_FALSE(reference.empty());
    for (const char* language : kTranslations) {
        SCOPED_TRACE(language);
        const auto translated = loadCatalog(language);
        for (const auto& [id, text] : reference) {
            EXPECT_TRUE(translated.count(id)) << "missing id " << id << " (" << text << ")";
        }
        for (const auto& [id, text] : translated) {
            EXPECT_TRUE(reference.count(id)) << "id " << id << " is not in the reference (" << text << ")";
        }
    }
}

TEST(CatalogFiles, NoTextIsEmptyOrBlank) {
    // The loader treats "" and " " as "no entry"; a blank-only text would vanish from the window.
    std::vector<std::string> all{kReference};
    all.insert(all.end(), std::begin(kTranslations), std::end(kTranslations));
    for (const auto& language : all) {
        for (const auto& [id, text] : loadCatalog(language)) {
            EXPECT_NE(text.find_first_not_of(' '), std::string::npos) << language << " id " << id;
        }
    }
}

TEST(CatalogFiles, TranslationsKeepTheBlanksTheLayoutReliesOn) {
    // Leading blanks indent a failure kind under its component; a trailing blank separates a
    // text from the number glued after it ("Erreur numéro " n " sur " total).
    const auto reference = loadCatalog(kReference);
    std::size_t indented = 0;
    std::size_t glued = 0;
    for (const auto& [id, text] : reference) {
        indented += leadingBlanks(text) > 0 ? 1 : 0;
        glued += endsWithBlank(text) ? 1 : 0;
    }
    ASSERT_GT(indented, 0u) << "the reference lost its indented texts";
    ASSERT_GT(glued, 0u) << "the reference lost its texts followed by a number";

    for (const char* language : kTranslations) {
        SCOPED_TRACE(language);
        const auto translated = loadCatalog(language);
        for (const auto& [id, text] : reference) {
            const auto it = translated.find(id);
            if (it == translated.end()) continue;  // reported by the id test
            EXPECT_EQ(leadingBlanks(it->second), leadingBlanks(text))
                << "id " << id << ": \"" << it->second << "\" vs \"" << text << "\"";
            EXPECT_EQ(endsWithBlank(it->second), endsWithBlank(text))
                << "id " << id << ": \"" << it->second << "\" vs \"" << text << "\"";
        }
    }
}

}  // namespace
