// A thin RAII layer over SQLite for the token store: one connection, prepared
// statements, transactions that roll back unless committed, the journal
// emptied into the main file after every commit. Failures throw
// SqliteError, which the store's callers turn into error codes once.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace vkstore {

class SqliteError : public std::runtime_error {
public:
    SqliteError(int code, const std::string& what) : std::runtime_error(what), m_code(code) {}
    int Code() const { return m_code; }

private:
    int m_code;
};

using Blob = std::vector<std::uint8_t>;

// A failure that means the file is not a sound database (rather than busy or missing).
inline bool IsDamage(const SqliteError& e) {
    const int primary = e.Code() & 0xFF;
    return primary == SQLITE_NOTADB || primary == SQLITE_CORRUPT;
}

// Compiled statements of one connection kept for their next use: compiling is most of the cost
// of a short query. A statement in use is out of the cache; identical ones in use at once are
// each compiled.
class SqliteStatementCache {
public:
    SqliteStatementCache() = default;
    ~SqliteStatementCache();
    SqliteStatementCache(const SqliteStatementCache&) = delete;
    SqliteStatementCache& operator=(const SqliteStatementCache&) = delete;

    // A kept statement of this text, or nothing.
    sqlite3_stmt* Take(std::string_view sql);
    // Keeps a statement, reset and with its bindings cleared, for its next use.
    void Give(std::string sql, sqlite3_stmt* stmt);

private:
    std::map<std::string, sqlite3_stmt*, std::less<>> m_idle;
};

class SqliteStatement {
public:
    SqliteStatement(sqlite3* db, std::string_view sql,
                    std::shared_ptr<SqliteStatementCache> cache = {});
    SqliteStatement(SqliteStatement&&) noexcept = default;

    SqliteStatement& Bind(int index, std::int64_t value);
    SqliteStatement& Bind(int index, std::string_view text);
    SqliteStatement& Bind(int index, const Blob& blob);
    SqliteStatement& BindNull(int index);

    // Advances to the next row; false when there is none.
    bool Step();
    // Runs a statement that returns no rows.
    void Run();

    std::int64_t Int(int column) const;
    std::string Text(int column) const;
    Blob Bytes(int column) const;
    bool IsNull(int column) const;

private:
    // Gives the statement back to its cache, or finalizes it when it has none.
    struct Release {
        std::shared_ptr<SqliteStatementCache> cache;
        std::string sql;
        void operator()(sqlite3_stmt* s) const;
    };
    sqlite3* m_db;
    std::unique_ptr<sqlite3_stmt, Release> m_stmt;
};

class SqliteDb {
public:
    // Opens (creating with mode 0600 when asked) a database file; waits up to
    // five seconds for other writers. An existing empty file is refused
    // (SQLITE_NOTADB) unless create is asked.
    SqliteDb(const std::filesystem::path& file, bool create);

    SqliteStatement Prepare(std::string_view sql) {
        return SqliteStatement(m_db.get(), sql, m_statements);
    }
    void Exec(std::string_view sql);
    std::int64_t LastInsertId() const { return sqlite3_last_insert_rowid(m_db.get()); }
    int Changes() const { return sqlite3_changes(m_db.get()); }

    // A write transaction taken at once (BEGIN IMMEDIATE), waiting as long as
    // other writers need; rolled back on destruction unless committed. One
    // begun inside another joins it: the outer one commits or rolls back all.
    class Transaction {
    public:
        explicit Transaction(SqliteDb& db);
        ~Transaction();
        Transaction(const Transaction&) = delete;
        Transaction& operator=(const Transaction&) = delete;
        void Commit();
        bool Nested() const { return m_nested; }

    private:
        SqliteDb& m_db;
        bool m_nested = false;
        bool m_done = false;
    };

private:
    struct Closer {
        void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
    };
    std::unique_ptr<sqlite3, Closer> m_db;
    // Declared after the connection: finalized before it closes.
    std::shared_ptr<SqliteStatementCache> m_statements = std::make_shared<SqliteStatementCache>();
};

// This thread's connection to a database file, opened on first use (running
// schema once on it) or taken over from a thread that handed it over, and
// kept for the thread's life, so that repeated reads do not reopen the file.
// A connection whose file changed since is opened afresh; holders of the old
// one keep it until they let go.
std::shared_ptr<SqliteDb> ThreadConnection(const std::filesystem::path& file, bool create,
                                           std::string_view schema = {});

// Gives this thread's connections to whichever threads next ask for their files, for a thread
// that opened them on another's behalf; this thread must not use them afterwards. One handed
// over for a file that has changed since is not taken but closed.
void HandOverThreadConnections();

// Removes a database file with its journal, write-ahead log and shared memory, if there.
void RemoveDatabaseFiles(const std::filesystem::path& file);

}  // namespace vkstore
