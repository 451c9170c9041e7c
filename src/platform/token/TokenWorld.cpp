#include "platform/token/TokenWorld.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <set>
#include <system_error>
#include <utility>

#include "platform/kernel/Uuid.h"
#include "platform/text/Utf.h"
#include "platform/token/StoreError.h"
#include "platform/token/TokenStore.h"

namespace vkstore {

namespace {

constexpr std::string_view kSchema = R"(
CREATE TABLE IF NOT EXISTS tokens(
    uuid TEXT PRIMARY KEY,
    label TEXT NOT NULL UNIQUE);
CREATE TABLE IF NOT EXISTS readers(
    name TEXT PRIMARY KEY,
    position INTEGER NOT NULL,
    token TEXT UNIQUE REFERENCES tokens(uuid),
    insertion INTEGER NOT NULL DEFAULT 0);
CREATE TABLE IF NOT EXISTS counters(
    name TEXT PRIMARY KEY,
    value INTEGER NOT NULL);
)";

std::string NewUuid() {
    std::wstring uuid = NewUuidString();
    if (uuid.empty()) {
        throw std::runtime_error("no random bytes for a token name");
    }
    return WideToUtf8(uuid);
}

ReaderState ReadReader(const SqliteStatement& row) {
    ReaderState state;
    state.name = row.Text(0);
    if (!row.IsNull(1)) {
        state.token = TokenEntry{row.Text(1), row.Text(2)};
    }
    state.insertion = row.Int(3);
    return state;
}

constexpr std::string_view kReaderQuery =
    "SELECT r.name, r.token, t.label, r.insertion FROM readers r "
    "LEFT JOIN tokens t ON t.uuid = r.token ";

}  // namespace

void MakePrivateDir(const std::filesystem::path& dir) {
    std::filesystem::create_directories(dir);
    std::filesystem::permissions(dir, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::replace);
}

std::filesystem::path TokenWorld::DefaultRoot() {
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data && *data) {
        return std::filesystem::path(data) / "vkcert" / "tokens";
    }
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home ? home : "/tmp") / ".local" / "share" / "vkcert" / "tokens";
}

TokenWorld::TokenWorld(std::filesystem::path root) : m_root(std::move(root)) {}

SqliteDb& TokenWorld::Db() {
    if (m_db) {
        return *m_db;
    }
    std::error_code error;
    if (!std::filesystem::exists(WorldFile(), error) && !error) {
        CreateWorldFile();
    }
    try {
        auto db = ThreadConnection(WorldFile(), false);
        auto tables = db->Prepare(
            "SELECT COUNT(*) FROM sqlite_master WHERE type = 'table' AND name IN ('tokens', "
            "'readers')");
        if (!tables.Step() || tables.Int(0) != 2) {
            throw SqliteError(SQLITE_CORRUPT, "it holds no readers and tokens");
        }
        db->Exec(kSchema);  // tables added since the world was made
        m_db = std::move(db);
    } catch (const SqliteError& e) {
        if (!IsDamage(e)) {
            throw;
        }
        // Never replaced: the world names the token files beside it.
        throw StoreError(StoreFailure::Damaged, "the token world " + WorldFile().string() +
                                                    " is damaged (" + e.what() +
                                                    "); it is left as it is");
    }
    return *m_db;
}

void TokenWorld::CreateWorldFile() {
    MakePrivateDir(m_root);
    // Made whole under a name of this process, then linked into place unless another process
    // made the world meanwhile.
    const std::filesystem::path temporary =
        m_root / (".new-" + std::to_string(::getpid()) + "-world.db");
    RemoveDatabaseFiles(temporary);
    try {
        {
            SqliteDb db(temporary, true);
            db.Exec(kSchema);
            db.Exec("PRAGMA wal_checkpoint(TRUNCATE)");
        }
        if (::link(temporary.c_str(), WorldFile().c_str()) != 0 && errno != EEXIST) {
            throw std::system_error(errno, std::generic_category(),
                                    "create " + WorldFile().string());
        }
    } catch (...) {
        RemoveDatabaseFiles(temporary);
        throw;
    }
    RemoveDatabaseFiles(temporary);
}

std::filesystem::path TokenWorld::TokenFile(std::string_view uuid) const {
    return m_root / (std::string(uuid) + ".db");
}

void TokenWorld::CheckName(std::string_view what, std::string_view name, std::size_t maxBytes) {
    if (name.empty() || name.size() > maxBytes) {
        throw StoreError(StoreFailure::InvalidName, std::string(what) + " name must have 1 to " +
                                                        std::to_string(maxBytes) + " bytes");
    }
    for (unsigned char c : name) {
        if (c < 0x20 || c == 0x7F) {
            throw StoreError(StoreFailure::InvalidName,
                             std::string(what) + " name holds a control character");
        }
    }
}

void TokenWorld::Write(const std::function<void()>& change) {
    SqliteDb::Transaction tx(Db());
    const bool outer = !tx.Nested();
    if (outer) {
        m_deleted.clear();
        RemoveStrayFiles();
    }
    try {
        change();
        tx.Commit();
    } catch (...) {
        if (outer) {
            m_deleted.clear();
        }
        throw;
    }
    if (outer) {
        for (const auto& uuid : std::exchange(m_deleted, {})) {
            RemoveDatabaseFiles(TokenFile(uuid));
        }
    }
}

void TokenWorld::RemoveStrayFiles() {
    std::set<std::string> listed;
    for (const auto& token : Tokens()) {
        listed.insert(TokenFile(token.uuid).filename().string());
    }
    std::error_code ec;
    for (std::filesystem::directory_iterator it(m_root, ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::string name = it->path().filename().string();
        std::string base = name;
        for (std::string_view suffix : {"-wal", "-shm", "-journal"}) {
            if (base.ends_with(suffix)) {
                base.resize(base.size() - suffix.size());
            }
        }
        // Token files are named <uuid>.db; anything else in the folder is left alone.
        const bool temporary = base.starts_with(".new-");
        if (temporary) {
            base.erase(0, 5);
        }
        constexpr std::size_t kUuidLength = 36;
        if (base.size() != kUuidLength + 3 || !base.ends_with(".db") ||
            (!temporary && listed.count(base))) {
            continue;
        }
        if (base.find_first_not_of("0123456789abcdefABCDEF-") != kUuidLength) {
            continue;
        }
        std::error_code removed;
        std::filesystem::remove(it->path(), removed);
    }
}

std::vector<ReaderState> TokenWorld::Readers() {
    auto stmt = Db().Prepare(std::string(kReaderQuery) + "ORDER BY r.position");
    std::vector<ReaderState> readers;
    while (stmt.Step()) {
        readers.push_back(ReadReader(stmt));
    }
    return readers;
}

std::optional<ReaderState> TokenWorld::Reader(std::string_view name) {
    auto stmt = Db().Prepare(std::string(kReaderQuery) + "WHERE r.name = ?1");
    stmt.Bind(1, name);
    if (!stmt.Step()) {
        return std::nullopt;
    }
    return ReadReader(stmt);
}

void TokenWorld::AddReader(std::string_view name) {
    CheckName("reader", name, 255);
    SqliteDb::Transaction tx(Db());
    if (!tx.Nested()) {
        RemoveStrayFiles();
    }
    if (Reader(name)) {
        throw StoreError(StoreFailure::Exists, "reader exists: " + std::string(name));
    }
    Db().Prepare(
            "INSERT INTO readers(name, position) "
            "VALUES(?1, (SELECT IFNULL(MAX(position), 0) + 1 FROM readers))")
        .Bind(1, name)
        .Run();
    tx.Commit();
}

void TokenWorld::DeleteReader(std::string_view name) {
    SqliteDb::Transaction tx(Db());
    if (!tx.Nested()) {
        RemoveStrayFiles();
    }
    Db().Prepare("DELETE FROM readers WHERE name = ?1").Bind(1, name).Run();
    if (Db().Changes() == 0) {
        throw StoreError(StoreFailure::NotFound, "no reader " + std::string(name));
    }
    tx.Commit();
}

std::vector<TokenEntry> TokenWorld::Tokens() {
    auto stmt = Db().Prepare("SELECT uuid, label FROM tokens ORDER BY label");
    std::vector<TokenEntry> tokens;
    while (stmt.Step()) {
        tokens.push_back({stmt.Text(0), stmt.Text(1)});
    }
    return tokens;
}

std::optional<TokenEntry> TokenWorld::FindToken(std::string_view label) {
    auto stmt = Db().Prepare("SELECT uuid, label FROM tokens WHERE label = ?1");
    stmt.Bind(1, label);
    if (!stmt.Step()) {
        return std::nullopt;
    }
    return TokenEntry{stmt.Text(0), stmt.Text(1)};
}

std::string TokenWorld::CreateToken(const TokenRecordData& record, std::string_view userPin,
                                    const PinCost& cost, std::uint32_t maxRetries,
                                    std::string_view adminPin) {
    CheckName("token", record.label, 255);
    const std::string uuid = NewUuid();
    SqliteDb::Transaction tx(Db());
    if (!tx.Nested()) {
        RemoveStrayFiles();
    }
    if (FindToken(record.label)) {
        throw StoreError(StoreFailure::Exists, "token exists: " + record.label);
    }
    // The token's own file is complete before the world names it.
    TokenStore::Create(TokenFile(uuid), record, userPin, adminPin, cost, maxRetries);
    try {
        Db().Prepare("INSERT INTO tokens(uuid, label) VALUES(?1, ?2)")
            .Bind(1, uuid)
            .Bind(2, record.label)
            .Run();
        tx.Commit();
    } catch (...) {
        RemoveDatabaseFiles(TokenFile(uuid));
        throw;
    }
    return uuid;
}

void TokenWorld::DeleteToken(std::string_view label) {
    SqliteDb::Transaction tx(Db());
    if (!tx.Nested()) {
        RemoveStrayFiles();
    }
    auto token = FindToken(label);
    if (!token) {
        throw StoreError(StoreFailure::NotFound, "no token " + std::string(label));
    }
    Db().Prepare("UPDATE readers SET token = NULL WHERE token = ?1").Bind(1, token->uuid).Run();
    Db().Prepare("DELETE FROM tokens WHERE uuid = ?1").Bind(1, token->uuid).Run();
    tx.Commit();
    if (tx.Nested()) {
        m_deleted.push_back(token->uuid);
    } else {
        RemoveDatabaseFiles(TokenFile(token->uuid));
    }
}

void TokenWorld::Insert(std::string_view reader, std::string_view label) {
    SqliteDb::Transaction tx(Db());
    if (!tx.Nested()) {
        RemoveStrayFiles();
    }
    auto state = Reader(reader);
    if (!state) {
        throw StoreError(StoreFailure::NotFound, "no reader " + std::string(reader));
    }
    if (state->token) {
        throw StoreError(StoreFailure::Occupied,
                         "reader " + std::string(reader) + " holds token " + state->token->label);
    }
    auto token = FindToken(label);
    if (!token) {
        throw StoreError(StoreFailure::NotFound, "no token " + std::string(label));
    }
    auto where = Db().Prepare("SELECT name FROM readers WHERE token = ?1");
    where.Bind(1, token->uuid);
    if (where.Step()) {
        throw StoreError(StoreFailure::Occupied,
                         "token " + std::string(label) + " sits in reader " + where.Text(0));
    }
    Db().Exec(
        "INSERT INTO counters(name, value) VALUES('insertion', 1) "
        "ON CONFLICT(name) DO UPDATE SET value = value + 1");
    Db().Prepare(
            "UPDATE readers SET token = ?1, "
            "insertion = (SELECT value FROM counters WHERE name = 'insertion') WHERE name = ?2")
        .Bind(1, token->uuid)
        .Bind(2, reader)
        .Run();
    tx.Commit();
}

TokenEntry TokenWorld::Remove(std::string_view reader) {
    SqliteDb::Transaction tx(Db());
    if (!tx.Nested()) {
        RemoveStrayFiles();
    }
    auto state = Reader(reader);
    if (!state) {
        throw StoreError(StoreFailure::NotFound, "no reader " + std::string(reader));
    }
    if (!state->token) {
        throw StoreError(StoreFailure::Empty, "reader " + std::string(reader) + " is empty");
    }
    Db().Prepare("UPDATE readers SET token = NULL WHERE name = ?1").Bind(1, reader).Run();
    tx.Commit();
    return *state->token;
}

}  // namespace vkstore
