#include "convert/channel_db.h"

#include <sqlite3.h>

#include "convert/column_rules.h"

namespace dravio::convert {

namespace {

// A prepared statement, finalised on every path.
struct Statement {
    sqlite3_stmt* handle = nullptr;
    Statement(sqlite3* db, const char* sql) { sqlite3_prepare_v2(db, sql, -1, &handle, nullptr); }
    ~Statement() { sqlite3_finalize(handle); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    bool bindText(int index, std::string_view text) {
        return sqlite3_bind_text(handle, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT) ==
               SQLITE_OK;
    }
};

std::string columnText(sqlite3_stmt* s, int column) {
    const unsigned char* text = sqlite3_column_text(s, column);
    return text ? std::string(reinterpret_cast<const char*>(text)) : std::string();
}

}  // namespace

std::unique_ptr<ChannelDatabase> ChannelDatabase::open(const std::filesystem::path& file, std::string& error) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
        error = "cannot open " + file.string() + ": " + (db ? sqlite3_errmsg(db) : "out of memory");
        sqlite3_close(db);
        return nullptr;
    }
    sqlite3_busy_timeout(db, 2000);
    std::unique_ptr<ChannelDatabase> database(new ChannelDatabase(db));
    if ((!database->TableExiste() && !database->CreationTableDIF()) || !database->addMissingRuleChannels()) {
        error = file.string() + ": " + database->lastError_;
        return nullptr;
    }
    return database;
}

ChannelDatabase::~ChannelDatabase() { sqlite3_close(db_); }

bool ChannelDatabase::exec(const char* sql) {
    char* message = nullptr;
    if (sqlite3_exec(db_, sql, nullptr, nullptr, &message) == SQLITE_OK) return true;
    lastError_ = message ? message : sqlite3_errmsg(db_);
    sqlite3_free(message);
    return false;
}

bool ChannelDatabase::TableExiste() {
    Statement s(db_, "select 1 from sqlite_master where type = 'table' and name = 'champdif'");
    return s.handle && sqlite3_step(s.handle) == SQLITE_ROW;
}

bool ChannelDatabase::CreationTableDIF() {
    return exec(
        "CREATE TABLE champdif(Id NUMBER, name TEXT(20), title TEXT(30), unit TEXT(20), rangemin NUMBER, "
        "rangemax NUMBER,present NUMBER)");
}

bool ChannelDatabase::addMissingRuleChannels() {
    if (!exec("begin")) return false;
    for (const ColumnRule& rule : columnRules()) {
        Statement s(db_,
                    "insert into champdif(Id, name, title, unit, rangemin, rangemax, present) "
                    "select coalesce((select max(Id) from champdif), 0) + 1, ?1, ?1, ?2, ?3, ?4, 0 "
                    "where not exists (select 1 from champdif where name = ?1)");
        if (!s.handle || !s.bindText(1, rule.name) || !s.bindText(2, rule.unit) ||
            sqlite3_bind_double(s.handle, 3, rule.rangemin) != SQLITE_OK ||
            sqlite3_bind_double(s.handle, 4, rule.rangemax) != SQLITE_OK || sqlite3_step(s.handle) != SQLITE_DONE) {
            lastError_ = sqlite3_errmsg(db_);
            exec("rollback");
            return false;
        }
    }
    return exec("commit");
}

std::vector<Channel> ChannelDatabase::select(const char* sql, std::string_view parameter) {
    std::vector<Channel> rows;
    Statement s(db_, sql);
    if (!s.handle || (!parameter.empty() && !s.bindText(1, parameter))) {
        lastError_ = sqlite3_errmsg(db_);
        return rows;
    }
    int rc;
    while ((rc = sqlite3_step(s.handle)) == SQLITE_ROW) {
        Channel c;
        c.Id = sqlite3_column_int(s.handle, 0);
        c.name = columnText(s.handle, 1);
        c.title = columnText(s.handle, 2);
        c.unit = columnText(s.handle, 3);
        c.rangemin = sqlite3_column_double(s.handle, 4);
        c.rangemax = sqlite3_column_double(s.handle, 5);
        c.present = sqlite3_column_int(s.handle, 6) == 1;
        rows.push_back(std::move(c));
    }
    if (rc != SQLITE_DONE) lastError_ = sqlite3_errmsg(db_);
    return rows;
}

namespace {
constexpr const char* kColumns = "select Id, name, title, unit, rangemin, rangemax, present from champdif ";
}

std::vector<Channel> ChannelDatabase::initChamps() {
    return select((std::string(kColumns) + "where present = 1 order by Id").c_str(), {});
}

std::vector<Channel> ChannelDatabase::all() { return select((std::string(kColumns) + "order by Id").c_str(), {}); }

bool ChannelDatabase::ClearDIF() { return exec("update champdif set present = 0"); }

std::optional<Channel> ChannelDatabase::channel(std::string_view name) {
    if (name.empty()) return std::nullopt;
    auto rows = select((std::string(kColumns) + "where name = ?1 order by Id limit 1").c_str(), name);
    if (rows.empty()) return std::nullopt;
    return rows.front();
}

bool ChannelDatabase::markPresent(std::string_view name) {
    Statement s(db_, "update champdif set present = 1 where name = ?1");
    if (!s.handle || !s.bindText(1, name) || sqlite3_step(s.handle) != SQLITE_DONE) {
        lastError_ = sqlite3_errmsg(db_);
        return false;
    }
    return sqlite3_changes(db_) > 0;
}

bool ChannelDatabase::cdUpdateDIF(const Channel& channel) {
    Statement s(db_, "update champdif set title = ?2, unit = ?3, rangemin = ?4, rangemax = ?5 where name = ?1");
    if (!s.handle || !s.bindText(1, channel.name) || !s.bindText(2, channel.title) || !s.bindText(3, channel.unit) ||
        sqlite3_bind_double(s.handle, 4, channel.rangemin) != SQLITE_OK ||
        sqlite3_bind_double(s.handle, 5, channel.rangemax) != SQLITE_OK || sqlite3_step(s.handle) != SQLITE_DONE) {
        lastError_ = sqlite3_errmsg(db_);
        return false;
    }
    return sqlite3_changes(db_) > 0;
}

}  // namespace dravio::convert
