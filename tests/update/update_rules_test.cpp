#include <gtest/gtest.h>

#include "support/update/update_list.h"

namespace dravio::support {
namespace {

using std::chrono::sys_days;
using namespace std::chrono_literals;

TEST(UpdateRules, VersionsSplitAtPointsAndCompare) {
    const ProgramVersion running{2, 1, 3};
    // '!' not a version (fewer than three parts), '-' no offer, 'u' an update, 'M' a major release.
    const std::pair<const char*, char> cases[] = {{"3.0", '!'},   {"2", '!'},     {"", '!'},        {"2.1.3", '-'},
                                                  {"2.1.2", '-'}, {"2.0.9", '-'}, {"1.9.9", '-'},   {"2.1.4", 'u'},
                                                  {"2.2.0", 'u'}, {"3.0.0", 'M'}, {"3.0.0.7", 'M'}, {"2.x.4", '-'}};
    for (const auto& [text, expected] : cases) {
        const auto version = parseVersion(text);
        EXPECT_EQ(version ? "-uM"[static_cast<int>(compareVersions(running, *version))] : '!', expected) << text;
    }
}

TEST(UpdateRules, DatesAndTheFifteenDayRule) {
    const sys_days today = sys_days(2026y / 3 / 20);
    EXPECT_EQ(parseListDate("1/2/2026"), sys_days(2026y / 2 / 1));
    EXPECT_EQ(formatListDate(sys_days(2026y / 2 / 1)), "01/02/2026");
    for (const char* bad : {"", "31/02/2026", "12/13/2026", "aa/01/2026", "01/01/26", "01-01-2026", "1/1/2026/"})
        EXPECT_FALSE(parseListDate(bad)) << bad;
    EXPECT_FALSE(updateDue("05/03/2026", today));  // 15 days
    EXPECT_TRUE(updateDue("04/03/2026", today));   // 16 days
    EXPECT_TRUE(updateDue("garbage", today));
}

TEST(UpdateRules, OnlySafeNamesAndAllowedAddresses) {
    for (const char* good : {"lngEnglish.lang", "Dravio-2.1.AppImage", "aide fr.html"}) EXPECT_TRUE(safeFileName(good));
    for (const char* bad : {"", "../evil.lang", "a/b.lang", "a\\b.lang", "..", ".hidden", "-rf", "c:x", "tab\there"})
        EXPECT_FALSE(safeFileName(bad)) << bad;
    for (const char* good : {"https://example.org/listes.ini", "HTTPS://x/y", "file:///srv/up/listes.ini",
                             "http://127.0.0.1:8080/a", "http://localhost/a", "http://[::1]:9/a"})
        EXPECT_TRUE(allowedUrl(good)) << good;
    for (const char* bad : {"http://example.org/a", "ftp://x/y", "http://127.0.0.1.evil.org/a",
                            "http://user@127.0.0.1@evil.org/", "https://", "file://host/x", "javascript:alert(1)"})
        EXPECT_FALSE(allowedUrl(bad)) << bad;
}

}  // namespace
}  // namespace dravio::support
