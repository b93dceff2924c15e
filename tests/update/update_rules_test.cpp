#include <gtest/gtest.h>

#include "support/update/update_list.h"

namespace dravio::support {
namespace {

using std::chrono::sys_days;
using namespace std::chrono_literals;

TEST(UpdateRules, VersionsSplitAtPointsAndCompare) {
    const ProgramVersion running{2, 1, 3};
    const struct {
        const char* text;
        std::optional<VersionOffer> offer;  // nullopt: not a version (fewer than three parts)
    } cases[] = {
        {"3.0", std::nullopt},
        {"2", std::nullopt},
        {"", std::nullopt},
        {"2.1.3", VersionOffer::None},
        {"2.1.2", VersionOffer::None},
        {"2.0.9", VersionOffer::None},
        {"1.9.9", VersionOffer::None},
        {"2.1.4", VersionOffer::Update},
        {"2.2.0", VersionOffer::Update},
        {"3.0.0", VersionOffer::MajorRelease},
        {"3.0.0.7", VersionOffer::MajorRelease},
        {"2.x.4", VersionOffer::None},  // "x" reads 0
    };
    for (const auto& c : cases) {
        const auto version = parseVersion(c.text);
        ASSERT_EQ(version.has_value(), c.offer.has_value()) << c.text;
        if (version) {
            EXPECT_EQ(compareVersions(running, *version), *c.offer) << c.text;
        }
    }
}

TEST(UpdateRules, DatesAndTheFifteenDayRule) {
    const sys_days today = sys_days(2026y / 3 / 20);
    EXPECT_EQ(parseListDate("1/2/2026"), sys_days(2026y / 2 / 1));
    EXPECT_EQ(formatListDate(sys_days(2026y / 2 / 1)), "01/02/2026");
    for (const char* bad : {"", "31/02/2026", "12/13/2026", "aa/01/2026", "01/01/26", "01-01-2026", "1/1/2026/"}) {
        EXPECT_FALSE(parseListDate(bad)) << bad;
    }
    EXPECT_FALSE(updateDue("05/03/2026", today));  // 15 days
    EXPECT_TRUE(updateDue("04/03/2026", today));   // 16 days
    EXPECT_TRUE(updateDue("24/02/2008", today));
    EXPECT_TRUE(updateDue("garbage", today));
}

TEST(UpdateRules, OnlySafeNamesAndAllowedAddresses) {
    for (const char* good : {"lngEnglish.lang", "MaMotoM15.bmp", "Dravio-2.1.AppImage", "aide fr.html"}) {
        EXPECT_TRUE(safeFileName(good)) << good;
    }
    for (const char* bad :
         {"", "../evil.lang", "a/b.lang", "a\\b.lang", "..", ".hidden", "-rf", "x..y", "c:x", "tab\there"}) {
        EXPECT_FALSE(safeFileName(bad)) << bad;
    }
    for (const char* good : {"https://example.org/listes.ini", "HTTPS://x/y", "file:///srv/up/listes.ini",
                             "http://127.0.0.1:8080/a", "http://localhost/a", "http://[::1]:9/a"}) {
        EXPECT_TRUE(allowedUrl(good)) << good;
    }
    for (const char* bad :
         {"http://example.org/a", "ftp://x/y", "http://127.0.0.1.evil.org/a", "http://user@127.0.0.1@evil.org/",
          "https://", "file://host/x", "https://a b/", "javascript:alert(1)", ""}) {
        EXPECT_FALSE(allowedUrl(bad)) << bad;
    }
}

TEST(UpdateRules, KindsByExtension) {
    EXPECT_EQ(fileKindOf("Dravio.appimage"), FileKind::Program);
    EXPECT_EQ(fileKindOf("frmparam.fr.HTML"), FileKind::Help);
    EXPECT_EQ(fileKindOf("lngItaliano.lang"), FileKind::Catalog);
    EXPECT_EQ(fileKindOf("MaMotoM59.bmp"), FileKind::Picture);
    EXPECT_EQ(fileKindOf("InstallDravio3xx.zip"), FileKind::Installer);
    EXPECT_EQ(fileKindOf("Dravio.exe"), FileKind::Unknown);
    EXPECT_EQ(fileKindOf("lngFrancais.dll"), FileKind::Unknown);
}

}  // namespace
}  // namespace dravio::support
