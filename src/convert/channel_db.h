// convert: the channel database, table champdif in an SQLite file, which holds
// the description (title, unit, range) of every known channel.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;

namespace dravio::convert {

// One row of champdif.
struct Channel {
    int Id = 0;
    std::string name;
    std::string title;
    std::string unit;
    double rangemin = 0;
    double rangemax = 0;
    bool present = false;

    bool operator==(const Channel&) const = default;
};

// The database file in DossierFiles.
inline constexpr std::string_view kChannelDatabaseFile = "CSV2DIF.sqlite";

class ChannelDatabase {
public:
    // Opens (creating the file when missing) the database at `file`, creates the
    // table when it does not exist and adds a row for every rule's channel name
    // that has none (rows the user edited are kept). nullptr and `error` set when
    // the file cannot be opened or is not a usable database.
    static std::unique_ptr<ChannelDatabase> open(const std::filesystem::path& file, std::string& error);
    ~ChannelDatabase();
    ChannelDatabase(const ChannelDatabase&) = delete;
    ChannelDatabase& operator=(const ChannelDatabase&) = delete;

    // initChamps: the rows with present = 1, by Id.
    std::vector<Channel> initChamps();
    // ClearDIF: present = 0 on every row.
    bool ClearDIF();
    // The row of `name` (exact), if any.
    std::optional<Channel> channel(std::string_view name);
    // present = 1 on the row of `name`; false when there is none.
    bool markPresent(std::string_view name);
    // cdUpdateDIF: writes title, unit and range of the row named channel.name.
    // False when no such row exists or the write fails.
    bool cdUpdateDIF(const Channel& channel);
    // Every row, by Id.
    std::vector<Channel> all();

    // The reason of the last failure, empty when none.
    const std::string& lastError() const { return lastError_; }

private:
    explicit ChannelDatabase(sqlite3* db) : db_(db) {}
    bool exec(const char* sql);
    bool TableExiste();
    bool CreationTableDIF();
    bool addMissingRuleChannels();
    std::vector<Channel> select(const char* sql, std::string_view parameter);

    sqlite3* db_;
    std::string lastError_;
};

}  // namespace dravio::convert
