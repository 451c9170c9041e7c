#include "platform/token/SqliteDb.h"

#include <fcntl.h>
#include <unistd.h>

#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <map>
#include <mutex>
#include <optional>
#include <system_error>

namespace vkstore {

namespace {

constexpr int kBusyTimeoutMs = 5000;
constexpr auto kWriterWait = std::chrono::minutes(2);

// After every commit, of a transaction or of a single statement: copies the journal into the main
// file and empties it, so that the next process to open the file has no journal to read through
// first. Without waiting: a connection in the way now leaves the rest to a later commit.
int EmptyJournalAfterCommit(void*, sqlite3* db, const char* schema, int) {
    sqlite3_busy_timeout(db, 0);
    sqlite3_wal_checkpoint_v2(db, schema, SQLITE_CHECKPOINT_TRUNCATE, nullptr, nullptr);
    sqlite3_busy_timeout(db, kBusyTimeoutMs);
    return SQLITE_OK;
}

[[noreturn]] void Fail(sqlite3* db, int code) {
    throw SqliteError(code, db ? sqlite3_errmsg(db) : sqlite3_errstr(code));
}

void Check(sqlite3* db, int code) {
    if (code != SQLITE_OK) {
        Fail(db, code);
    }
}

// SQLite gives journal and WAL files the mode of the database file, so the
// file is made first with owner-only access.
void CreatePrivateFile(const std::filesystem::path& file) {
    int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        throw std::system_error(errno, std::generic_category(), "create " + file.string());
    }
    ::close(fd);
}

}  // namespace

SqliteStatementCache::~SqliteStatementCache() {
    for (const auto& [sql, stmt] : m_idle) {
        sqlite3_finalize(stmt);
    }
}

sqlite3_stmt* SqliteStatementCache::Take(std::string_view sql) {
    const auto found = m_idle.find(sql);
    if (found == m_idle.end()) {
        return nullptr;
    }
    sqlite3_stmt* stmt = found->second;
    m_idle.erase(found);
    return stmt;
}

void SqliteStatementCache::Give(std::string sql, sqlite3_stmt* stmt) {
    // Ends its read and forgets what was bound, secrets included.
    sqlite3_reset(stmt);
    sqlite3_clear_bindings(stmt);
    if (!m_idle.emplace(std::move(sql), stmt).second) {
        sqlite3_finalize(stmt);
    }
}

void SqliteStatement::Release::operator()(sqlite3_stmt* s) const {
    if (cache) {
        cache->Give(sql, s);
    } else {
        sqlite3_finalize(s);
    }
}

SqliteStatement::SqliteStatement(sqlite3* db, std::string_view sql,
                                 std::shared_ptr<SqliteStatementCache> cache)
    : m_db(db), m_stmt(nullptr, Release{cache, std::string(sql)}) {
    sqlite3_stmt* stmt = cache ? cache->Take(sql) : nullptr;
    if (stmt) {
        m_stmt.reset(stmt);
        return;
    }
    const int rc = sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &stmt, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_finalize(stmt);
        Fail(db, rc);
    }
    m_stmt.reset(stmt);
}

SqliteStatement& SqliteStatement::Bind(int index, std::int64_t value) {
    Check(m_db, sqlite3_bind_int64(m_stmt.get(), index, value));
    return *this;
}

SqliteStatement& SqliteStatement::Bind(int index, std::string_view text) {
    Check(m_db, sqlite3_bind_text(m_stmt.get(), index, text.data(), static_cast<int>(text.size()),
                                  SQLITE_TRANSIENT));
    return *this;
}

SqliteStatement& SqliteStatement::Bind(int index, const Blob& blob) {
    Check(m_db, sqlite3_bind_blob(m_stmt.get(), index, blob.data(), static_cast<int>(blob.size()),
                                  SQLITE_TRANSIENT));
    return *this;
}

SqliteStatement& SqliteStatement::BindNull(int index) {
    Check(m_db, sqlite3_bind_null(m_stmt.get(), index));
    return *this;
}

bool SqliteStatement::Step() {
    int rc = sqlite3_step(m_stmt.get());
    if (rc == SQLITE_ROW) {
        return true;
    }
    if (rc == SQLITE_DONE) {
        return false;
    }
    Fail(m_db, rc);
}

void SqliteStatement::Run() {
    while (Step()) {
    }
}

std::int64_t SqliteStatement::Int(int column) const {
    return sqlite3_column_int64(m_stmt.get(), column);
}

std::string SqliteStatement::Text(int column) const {
    const auto* text = sqlite3_column_text(m_stmt.get(), column);
    int size = sqlite3_column_bytes(m_stmt.get(), column);
    return text ? std::string(reinterpret_cast<const char*>(text), static_cast<std::size_t>(size))
                : std::string();
}

Blob SqliteStatement::Bytes(int column) const {
    const auto* data = static_cast<const std::uint8_t*>(sqlite3_column_blob(m_stmt.get(), column));
    int size = sqlite3_column_bytes(m_stmt.get(), column);
    return data ? Blob(data, data + size) : Blob();
}

bool SqliteStatement::IsNull(int column) const {
    return sqlite3_column_type(m_stmt.get(), column) == SQLITE_NULL;
}

SqliteDb::SqliteDb(const std::filesystem::path& file, bool create) {
    if (create) {
        CreatePrivateFile(file);
    } else {
        // An empty file is damage, not a new database: opening it would write one over it.
        std::error_code error;
        const auto size = std::filesystem::file_size(file, error);
        if (error) {
            throw SqliteError(SQLITE_CANTOPEN, "no database " + file.string());
        }
        if (size == 0) {
            throw SqliteError(SQLITE_NOTADB, file.string() + " is empty");
        }
    }
    sqlite3* db = nullptr;
    int rc =
        sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_FULLMUTEX, nullptr);
    m_db.reset(db);
    Check(db, rc);
    sqlite3_extended_result_codes(db, 1);
    // Closing never writes the journal back into the main file: a connection
    // dropped because its file changed underneath must not overwrite it.
    sqlite3_db_config(db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    Check(db, sqlite3_busy_timeout(db, kBusyTimeoutMs));
    Exec("PRAGMA journal_mode=WAL");
    Exec("PRAGMA synchronous=FULL");
    Exec("PRAGMA foreign_keys=ON");
    sqlite3_wal_hook(db, EmptyJournalAfterCommit, nullptr);
}

void SqliteDb::Exec(std::string_view sql) {
    std::string text(sql);
    Check(m_db.get(), sqlite3_exec(m_db.get(), text.c_str(), nullptr, nullptr, nullptr));
}

SqliteDb::Transaction::Transaction(SqliteDb& db)
    : m_db(db), m_nested(sqlite3_get_autocommit(db.m_db.get()) == 0) {
    if (m_nested) {
        return;
    }
    // Writers hold the lock briefly, but many may queue for it: wait for them
    // all rather than fail after one busy timeout.
    const auto deadline = std::chrono::steady_clock::now() + kWriterWait;
    for (;;) {
        const int rc = sqlite3_exec(m_db.m_db.get(), "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        if (rc == SQLITE_OK) {
            return;
        }
        if ((rc & 0xFF) != SQLITE_BUSY || std::chrono::steady_clock::now() >= deadline) {
            if ((rc & 0xFF) == SQLITE_BUSY) {
                throw SqliteError(rc, "another program has kept the store busy for too long");
            }
            Fail(m_db.m_db.get(), rc);
        }
    }
}

SqliteDb::Transaction::~Transaction() {
    if (!m_done && !m_nested) {
        sqlite3_exec(m_db.m_db.get(), "ROLLBACK", nullptr, nullptr, nullptr);
    }
}

void SqliteDb::Transaction::Commit() {
    if (!m_nested) {
        m_db.Exec("COMMIT");
    }
    m_done = true;
}

namespace {

struct Connection {
    std::shared_ptr<SqliteDb> db;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};
};
using Connections = std::map<std::string, Connection>;

// The main file changes only when a checkpoint writes it; a change seen from outside (another
// process, or damage) is met with a fresh connection.
bool StillTheSameFile(const Connection& c, const struct stat& st) {
    return c.device == st.st_dev && c.inode == st.st_ino && c.size == st.st_size &&
           c.modified.tv_sec == st.st_mtim.tv_sec && c.modified.tv_nsec == st.st_mtim.tv_nsec;
}

Connections& ThisThreadsConnections() {
    thread_local Connections connections;
    return connections;
}

// Connections handed over by the threads that opened them, until a thread takes them.
struct HandedOver {
    std::mutex mutex;
    Connections connections;
};

HandedOver& HandedOverConnections() {
    static HandedOver handedOver;
    return handedOver;
}

std::optional<Connection> TakeHandedOver(const std::string& file, const struct stat& st) {
    HandedOver& handedOver = HandedOverConnections();
    std::optional<Connection> taken;
    {
        const std::lock_guard lock(handedOver.mutex);
        const auto found = handedOver.connections.find(file);
        if (found == handedOver.connections.end()) {
            return std::nullopt;
        }
        taken = std::move(found->second);
        handedOver.connections.erase(found);
    }
    if (!StillTheSameFile(*taken, st)) {
        return std::nullopt;  // closed here, outside the lock
    }
    return taken;
}

}  // namespace

std::shared_ptr<SqliteDb> ThreadConnection(const std::filesystem::path& file, bool create,
                                           std::string_view schema) {
    Connections& connections = ThisThreadsConnections();
    const std::string key = file.string();
    struct stat st {};
    const bool exists = ::stat(file.c_str(), &st) == 0;
    auto it = connections.find(key);
    if (it != connections.end() && exists && StillTheSameFile(it->second, st)) {
        return it->second.db;
    }
    if (it != connections.end()) {
        connections.erase(it);
    }
    if (exists) {
        if (std::optional<Connection> taken = TakeHandedOver(key, st)) {
            return (connections[key] = std::move(*taken)).db;
        }
    }
    auto db = std::make_shared<SqliteDb>(file, create);
    if (!schema.empty()) {
        db->Exec(schema);
    }
    if (::stat(file.c_str(), &st) != 0) {
        throw SqliteError(SQLITE_CANTOPEN, "no database " + file.string());
    }
    Connection& entry = connections[key];
    entry = Connection{std::move(db), st.st_dev, st.st_ino, st.st_size, st.st_mtim};
    return entry.db;
}

void HandOverThreadConnections() {
    Connections& connections = ThisThreadsConnections();
    HandedOver& handedOver = HandedOverConnections();
    const std::lock_guard lock(handedOver.mutex);
    for (auto& [file, connection] : connections) {
        handedOver.connections[file] = std::move(connection);
    }
    connections.clear();
}

void RemoveDatabaseFiles(const std::filesystem::path& file) {
    std::error_code ignored;
    for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
        std::filesystem::remove(file.string() + suffix, ignored);
    }
}

}  // namespace vkstore
