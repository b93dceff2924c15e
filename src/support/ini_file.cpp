#include "support/ini_file.h"

#include <climits>

#include "support/atomic_file.h"
#include "support/text_utils.h"

namespace dravio::support {

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

// A line seen as "[name]": the trimmed name, else nullopt. A header without ']'
// takes the rest of the line as its name.
std::optional<std::string_view> sectionName(std::string_view line) {
    std::string_view t = trimBlanks(line);
    if (t.empty() || t.front() != '[') return std::nullopt;
    t.remove_prefix(1);
    auto close = t.find(']');
    if (close != std::string_view::npos) t = t.substr(0, close);
    return trimBlanks(t);
}

struct KeyLine {
    std::string_view key;
    std::string_view value;
};

// A line seen as "key=value" with both parts trimmed; comments and lines without
// '=' are not keys.
std::optional<KeyLine> keyLine(std::string_view line) {
    std::string_view t = trimBlanks(line);
    if (t.empty() || t.front() == ';' || t.front() == '[') return std::nullopt;
    auto eq = t.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    return KeyLine{trimBlanks(t.substr(0, eq)), trimBlanks(t.substr(eq + 1))};
}

bool validName(std::string_view name) {
    return !trimBlanks(name).empty() && name.find_first_of("\r\n") == std::string_view::npos &&
           name.find('\0') == std::string_view::npos;
}

}  // namespace

int parseProfileInt(std::string_view text, int defaultValue) {
    std::size_t i = 0;
    while (i < text.size() && isBlank(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    std::size_t digitsStart = i;
    long long value = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        value = value * 10 + (text[i] - '0');
        // Past the int range: not a value this reader can give.
        if (value > static_cast<long long>(INT_MAX) + 1) return defaultValue;
        ++i;
    }
    if (i == digitsStart) return defaultValue;
    if (negative) value = -value;
    if (value > INT_MAX || value < INT_MIN) return defaultValue;
    return static_cast<int>(value);
}

IniFile::IniFile(std::filesystem::path path) : path_(std::move(path)) { reload(); }

IniFile::Content IniFile::parse(std::string_view bytes) {
    Content content;
    if (bytes.substr(0, kBom.size()) == kBom) {
        content.bom = true;
        bytes.remove_prefix(kBom.size());
    }
    bool eolKnown = false;
    while (!bytes.empty()) {
        auto nl = bytes.find('\n');
        Line line;
        if (nl == std::string_view::npos) {
            line.text = std::string(bytes);
            bytes = {};
        } else {
            std::string_view text = bytes.substr(0, nl);
            line.eol = "\n";
            if (!text.empty() && text.back() == '\r') {
                text.remove_suffix(1);
                line.eol = "\r\n";
            }
            line.text = std::string(text);
            bytes.remove_prefix(nl + 1);
            if (!eolKnown) {
                content.eol = line.eol;
                eolKnown = true;
            }
        }
        content.lines.push_back(std::move(line));
    }
    return content;
}

bool IniFile::reload() {
    pending_.clear();
    std::string bytes;
    bool missing = false;
    if (!readWholeFile(path_, bytes, missing)) {
        content_ = Content{};
        lastError_ = missing ? std::string{} : "cannot read " + path_.string();
        return missing;
    }
    content_ = parse(bytes);
    lastError_.clear();
    return true;
}

std::optional<std::string_view> IniFile::findValue(const Content& content, std::string_view section,
                                                   std::string_view key) {
    // The first section of that name and the first key in it win, as with the
    // classic profile functions.
    bool inSection = false;
    bool sectionSeen = false;
    for (const Line& line : content.lines) {
        if (auto name = sectionName(line.text)) {
            if (inSection) return std::nullopt;
            inSection = !sectionSeen && equalsIgnoreCase(*name, section);
            sectionSeen = sectionSeen || inSection;
            continue;
        }
        if (!inSection) continue;
        if (auto kv = keyLine(line.text); kv && equalsIgnoreCase(kv->key, key)) return kv->value;
    }
    return std::nullopt;
}

int IniFile::readInt(std::string_view section, std::string_view key, int defaultValue) const {
    auto value = findValue(content_, section, key);
    return value ? parseProfileInt(*value, defaultValue) : defaultValue;
}

std::string IniFile::readString(std::string_view section, std::string_view key, std::string_view defaultValue) const {
    auto value = findValue(content_, section, key);
    std::string_view text = value ? *value : defaultValue;
    text = text.substr(0, text.find('\0'));
    return std::string(cutUtf8(text, kMaxProfileValueLength));
}

bool IniFile::hasKey(std::string_view section, std::string_view key) const {
    return findValue(content_, section, key).has_value();
}

void IniFile::apply(Content& content, const Pending& change) {
    auto& lines = content.lines;
    std::optional<std::size_t> sectionLine;
    std::size_t lastFilled = 0;  // last non-blank line of the section
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (auto name = sectionName(lines[i].text)) {
            if (sectionLine) break;
            if (equalsIgnoreCase(*name, change.section)) {
                sectionLine = i;
                lastFilled = i;
            }
            continue;
        }
        if (!sectionLine) continue;
        if (!trimBlanks(lines[i].text).empty()) lastFilled = i;
        auto kv = keyLine(lines[i].text);
        if (!kv || !equalsIgnoreCase(kv->key, change.key)) continue;
        if (kv->value == change.value) return;  // unchanged: keep the line's bytes
        // Keep the key as written and the blanks around '='; replace the value only.
        std::string& text = lines[i].text;
        std::size_t eq = text.find('=');
        std::size_t valueStart = eq + 1;
        while (valueStart < text.size() && isBlank(text[valueStart])) ++valueStart;
        text = text.substr(0, valueStart) + change.value;
        return;
    }

    auto insertAfter = [&](std::size_t index, std::vector<Line> added) {
        if (index < lines.size() && lines[index].eol.empty()) lines[index].eol = content.eol;
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(index + 1), added.begin(), added.end());
    };
    Line keyText{change.key + "=" + change.value, content.eol};
    if (sectionLine) {
        insertAfter(lastFilled, {keyText});
        return;
    }
    std::vector<Line> added;
    if (!lines.empty() && !trimBlanks(lines.back().text).empty()) added.push_back(Line{"", content.eol});
    added.push_back(Line{"[" + change.section + "]", content.eol});
    added.push_back(keyText);
    if (lines.empty()) {
        lines = std::move(added);
    } else {
        insertAfter(lines.size() - 1, std::move(added));
    }
}

bool IniFile::setString(std::string_view section, std::string_view key, std::string_view value) {
    if (!validName(section) || !validName(key) || section.find(']') != std::string_view::npos ||
        key.find('=') != std::string_view::npos) {
        lastError_ = "unusable section or key name";
        return false;
    }
    // One value is one line: a line break would make the rest a line of its own.
    value = value.substr(0, value.find_first_of(std::string_view("\r\n\0", 3)));
    Pending change{std::string(trimBlanks(section)), std::string(trimBlanks(key)), std::string(trimBlanks(value))};
    apply(content_, change);
    pending_.push_back(std::move(change));
    return true;
}

bool IniFile::setInt(std::string_view section, std::string_view key, int value) {
    return setString(section, key, std::to_string(value));
}

bool IniFile::commit() {
    if (pending_.empty()) return true;
    // Start again from the file as it is now, so that keys another writer changed
    // since our last read survive.
    std::string bytes;
    bool missing = false;
    Content fresh;
    if (readWholeFile(path_, bytes, missing)) {
        fresh = parse(bytes);
    } else if (!missing) {
        lastError_ = "cannot read " + path_.string();
        return false;
    }
    for (const Pending& change : pending_) apply(fresh, change);
    Content previous = std::move(content_);
    content_ = std::move(fresh);
    std::string error = writeFileAtomically(path_, serialize());
    if (!error.empty()) {
        content_ = std::move(previous);
        lastError_ = std::move(error);
        return false;
    }
    pending_.clear();
    lastError_.clear();
    return true;
}

bool IniFile::writeString(std::string_view section, std::string_view key, std::string_view value) {
    return setString(section, key, value) && commit();
}

bool IniFile::writeInt(std::string_view section, std::string_view key, int value) {
    return setInt(section, key, value) && commit();
}

std::string IniFile::serialize() const {
    std::string out;
    if (content_.bom) out += kBom;
    for (const Line& line : content_.lines) {
        out += line.text;
        out += line.eol;
    }
    return out;
}

}  // namespace dravio::support
