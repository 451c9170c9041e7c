#include "platform/token/TokenStore.h"

#include "platform/token/StoreError.h"
#include "platform/token/TokenWorld.h"

namespace vkstore {

namespace {

constexpr std::string_view kSchema = R"(
CREATE TABLE record(
    id INTEGER PRIMARY KEY CHECK (id = 1),
    type INTEGER NOT NULL, version_major INTEGER NOT NULL, version_minor INTEGER NOT NULL,
    memory_size INTEGER NOT NULL, free_memory INTEGER NOT NULL,
    protocol INTEGER NOT NULL, microcode INTEGER NOT NULL, token_id INTEGER NOT NULL,
    label TEXT NOT NULL, pin_policy INTEGER NOT NULL);
CREATE TABLE containers(
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    name TEXT NOT NULL UNIQUE,
    is_default INTEGER NOT NULL DEFAULT 0);
CREATE TABLE keys(
    container_id INTEGER NOT NULL REFERENCES containers(id) ON DELETE CASCADE,
    spec INTEGER NOT NULL CHECK (spec IN (1, 2)),
    public_der BLOB NOT NULL,
    private_sealed BLOB NOT NULL,
    exportable INTEGER NOT NULL,
    permissions INTEGER NOT NULL,
    certificate BLOB,
    PRIMARY KEY (container_id, spec));
)";

// The user's PIN lives in table pin, the administrator's in admin_pin, one row each.
constexpr const char* kUserTable = "pin";
constexpr const char* kAdminTable = "admin_pin";
constexpr std::string_view kPinColumns = R"(
    id INTEGER PRIMARY KEY CHECK (id = 1),
    verifier_salt BLOB NOT NULL, verifier BLOB NOT NULL,
    wrap_salt BLOB NOT NULL, wrapped_key BLOB NOT NULL,
    iterations INTEGER NOT NULL, retries_left INTEGER NOT NULL, max_retries INTEGER NOT NULL)";
// Tokens made before scrypt have none of these; they are added when a PIN record is next
// written, and a row without them is a PBKDF2 record.
constexpr std::pair<const char*, const char*> kKdfColumns[] = {
    {"kdf", "TEXT NOT NULL DEFAULT 'pbkdf2-sha256'"},
    {"scrypt_log2n", "INTEGER NOT NULL DEFAULT 0"},
    {"scrypt_r", "INTEGER NOT NULL DEFAULT 0"},
    {"scrypt_p", "INTEGER NOT NULL DEFAULT 0"},
};
constexpr const char* kScrypt = "scrypt";
constexpr const char* kPbkdf2 = "pbkdf2-sha256";

std::string PinTableSchema(const char* table) {
    std::string sql = std::string("CREATE TABLE ") + table + "(" + std::string(kPinColumns);
    for (const auto& [name, type] : kKdfColumns) {
        sql += std::string(", ") + name + " " + type;
    }
    return sql + ");";
}

bool HasTable(SqliteDb& db, const char* table) {
    auto row = db.Prepare("SELECT COUNT(*) FROM sqlite_master WHERE type = 'table' AND name = ?1");
    return row.Bind(1, std::string_view(table)).Step() && row.Int(0) != 0;
}

bool HasKdfColumns(SqliteDb& db, const char* table) {
    auto row = db.Prepare("SELECT COUNT(*) FROM pragma_table_info(?1) WHERE name = 'kdf'");
    return row.Bind(1, std::string_view(table)).Step() && row.Int(0) != 0;
}

// Inside a transaction: replaces the record of the table's row, adding the columns of the
// derivation first to a token made before scrypt.
void WritePinRecord(SqliteDb& db, const char* table, const PinRecord& pin) {
    if (!HasKdfColumns(db, table)) {
        for (const auto& [name, type] : kKdfColumns) {
            db.Exec(std::string("ALTER TABLE ") + table + " ADD COLUMN " + name + " " + type);
        }
    }
    const bool scrypt = pin.kdf == PinKdf::Scrypt;
    db.Prepare(std::string("UPDATE ") + table +
               " SET verifier_salt = ?1, verifier = ?2, wrap_salt = ?3, wrapped_key = ?4, "
               "iterations = ?5, kdf = ?6, scrypt_log2n = ?7, scrypt_r = ?8, scrypt_p = ?9 "
               "WHERE id = 1")
        .Bind(1, pin.verifierSalt)
        .Bind(2, pin.verifier)
        .Bind(3, pin.wrapSalt)
        .Bind(4, pin.wrappedTokenKey)
        .Bind(5, scrypt ? 0 : pin.iterations)
        .Bind(6, scrypt ? kScrypt : kPbkdf2)
        .Bind(7, scrypt ? pin.cost.log2N : 0)
        .Bind(8, scrypt ? pin.cost.r : 0)
        .Bind(9, scrypt ? pin.cost.p : 0)
        .Run();
}

// A new row holding that PIN's record, with all its tries.
void InsertPin(SqliteDb& db, const char* table, const PinRecord& pin, std::uint32_t maxRetries) {
    db.Prepare(std::string("INSERT INTO ") + table +
               " (id, verifier_salt, verifier, wrap_salt, wrapped_key, iterations, retries_left, "
               "max_retries) VALUES(1, x'', x'', x'', x'', 0, ?1, ?1)")
        .Bind(1, maxRetries)
        .Run();
    WritePinRecord(db, table, pin);
}

[[noreturn]] void Damaged(const std::filesystem::path& file, const std::exception& e) {
    throw StoreError(StoreFailure::Damaged, "token " + file.string() + " unreadable: " + e.what());
}

ContainerEntry ReadContainer(const SqliteStatement& row) {
    return ContainerEntry{row.Int(0), row.Text(1), row.Int(2) != 0};
}

KeyEntry ReadKey(const SqliteStatement& row) {
    KeyEntry key;
    key.spec = static_cast<int>(row.Int(0));
    key.publicDer = row.Bytes(1);
    key.exportable = row.Int(2) != 0;
    key.permissions = static_cast<std::uint32_t>(row.Int(3));
    key.certificate = row.Bytes(4);
    return key;
}

void WriteRecord(SqliteDb& db, const TokenRecordData& r) {
    db.Prepare(
          "UPDATE record SET type = ?1, version_major = ?2, version_minor = ?3, "
          "memory_size = ?4, free_memory = ?5, protocol = ?6, microcode = ?7, token_id = ?8, "
          "label = ?9, pin_policy = ?10 WHERE id = 1")
        .Bind(1, r.type)
        .Bind(2, r.versionMajor)
        .Bind(3, r.versionMinor)
        .Bind(4, r.memorySize)
        .Bind(5, r.freeMemory)
        .Bind(6, r.protocol)
        .Bind(7, r.microcode)
        .Bind(8, r.tokenId)
        .Bind(9, r.label)
        .Bind(10, r.pinPolicy)
        .Run();
}

// A column value as a scrypt parameter; one out of range reads as 0, which no cost accepts.
std::uint32_t Parameter(std::int64_t value) {
    return value >= 0 && value <= 0xFFFF ? static_cast<std::uint32_t>(value) : 0;
}

}  // namespace

std::filesystem::path TokenStore::TemporaryFile(const std::filesystem::path& file) {
    return file.parent_path() / (".new-" + file.filename().string());
}

void TokenStore::Create(const std::filesystem::path& file, const TokenRecordData& record,
                        std::string_view userPin, std::string_view adminPin, const PinCost& cost,
                        std::uint32_t maxRetries) {
    if (userPin.empty()) {
        throw StoreError(StoreFailure::InvalidName, "the user PIN must not be empty");
    }
    const std::filesystem::path temporary = TemporaryFile(file);
    RemoveDatabaseFiles(temporary);
    try {
        {
            SqliteDb db(temporary, true);
            SqliteDb::Transaction tx(db);
            db.Exec(kSchema);
            db.Exec(PinTableSchema(kUserTable) + PinTableSchema(kAdminTable));
            SecretBytes tokenKey = TokenSecrets::NewTokenKey();
            InsertPin(db, kUserTable, TokenSecrets::MakePinRecord(userPin, tokenKey, cost),
                      maxRetries);
            if (!adminPin.empty()) {
                InsertPin(db, kAdminTable, TokenSecrets::MakePinRecord(adminPin, tokenKey, cost),
                          maxRetries);
            }
            db.Prepare("INSERT INTO record VALUES(1, 0, 0, 0, 0, 0, 0, 0, 0, '', 0)").Run();
            WriteRecord(db, record);
            tx.Commit();
            db.Exec("PRAGMA wal_checkpoint(TRUNCATE)");
        }
        // The commit emptied the journal into the main file, which alone holds the token.
        std::filesystem::rename(temporary, file);
    } catch (...) {
        RemoveDatabaseFiles(temporary);
        throw;
    }
    RemoveDatabaseFiles(temporary);
}

TokenStore::TokenStore(const std::filesystem::path& file) try
    : m_db(ThreadConnection(file, false)) {
    Check();
} catch (const StoreError&) {
    throw;
} catch (const std::exception& e) {
    Damaged(file, e);
}

void TokenStore::Check() {
    auto stmt = m_db->Prepare("SELECT COUNT(*) FROM record");
    if (!stmt.Step() || stmt.Int(0) != 1) {
        throw StoreError(StoreFailure::Damaged, "token record missing");
    }
}

TokenRecordData TokenStore::Record() {
    auto row = m_db->Prepare(
        "SELECT type, version_major, version_minor, memory_size, free_memory, protocol, "
        "microcode, token_id, label, pin_policy FROM record WHERE id = 1");
    if (!row.Step()) {
        throw StoreError(StoreFailure::Damaged, "token record missing");
    }
    TokenRecordData record;
    record.type = static_cast<std::uint8_t>(row.Int(0));
    record.versionMajor = static_cast<std::uint8_t>(row.Int(1));
    record.versionMinor = static_cast<std::uint8_t>(row.Int(2));
    record.memorySize = static_cast<std::uint32_t>(row.Int(3));
    record.freeMemory = static_cast<std::uint32_t>(row.Int(4));
    record.protocol = static_cast<std::uint8_t>(row.Int(5));
    record.microcode = static_cast<std::uint8_t>(row.Int(6));
    record.tokenId = static_cast<std::uint32_t>(row.Int(7));
    record.label = row.Text(8);
    record.pinPolicy = static_cast<std::uint8_t>(row.Int(9));
    return record;
}

void TokenStore::SetRecord(const TokenRecordData& r) {
    SqliteDb::Transaction tx(*m_db);
    WriteRecord(*m_db, r);
    tx.Commit();
}

void TokenStore::Write(const std::function<void()>& change) {
    SqliteDb::Transaction tx(*m_db);
    change();
    tx.Commit();
}

void TokenStore::CheckContainerName(std::string_view name) {
    TokenWorld::CheckName("container", name, kMaxContainerName);
    if (name.find('\\') != std::string_view::npos) {
        throw StoreError(StoreFailure::InvalidName, "container name holds a backslash");
    }
}

std::vector<ContainerEntry> TokenStore::Containers() {
    auto stmt = m_db->Prepare("SELECT id, name, is_default FROM containers ORDER BY id");
    std::vector<ContainerEntry> containers;
    while (stmt.Step()) {
        containers.push_back(ReadContainer(stmt));
    }
    return containers;
}

std::optional<ContainerEntry> TokenStore::FindContainer(std::string_view name) {
    auto stmt = m_db->Prepare("SELECT id, name, is_default FROM containers WHERE name = ?1");
    stmt.Bind(1, name);
    if (!stmt.Step()) {
        return std::nullopt;
    }
    return ReadContainer(stmt);
}

std::optional<ContainerEntry> TokenStore::FindContainer(std::int64_t id) {
    auto stmt = m_db->Prepare("SELECT id, name, is_default FROM containers WHERE id = ?1");
    stmt.Bind(1, id);
    if (!stmt.Step()) {
        return std::nullopt;
    }
    return ReadContainer(stmt);
}

std::int64_t TokenStore::CreateContainer(std::string_view name) {
    CheckContainerName(name);
    SqliteDb::Transaction tx(*m_db);
    if (FindContainer(name)) {
        throw StoreError(StoreFailure::Exists, "container exists: " + std::string(name));
    }
    m_db->Prepare("INSERT INTO containers(name) VALUES(?1)").Bind(1, name).Run();
    auto id = m_db->LastInsertId();
    tx.Commit();
    return id;
}

void TokenStore::DeleteContainer(std::string_view name) {
    SqliteDb::Transaction tx(*m_db);
    m_db->Prepare("DELETE FROM containers WHERE name = ?1").Bind(1, name).Run();
    if (m_db->Changes() == 0) {
        throw StoreError(StoreFailure::NotFound, "no container " + std::string(name));
    }
    tx.Commit();
}

void TokenStore::SetDefault(std::int64_t containerId, bool on) {
    SqliteDb::Transaction tx(*m_db);
    if (!FindContainer(containerId)) {
        throw StoreError(StoreFailure::NotFound, "container gone");
    }
    if (on) {
        m_db->Exec("UPDATE containers SET is_default = 0");
    }
    m_db->Prepare("UPDATE containers SET is_default = ?1 WHERE id = ?2")
        .Bind(1, on ? 1 : 0)
        .Bind(2, containerId)
        .Run();
    tx.Commit();
}

std::vector<KeyEntry> TokenStore::Keys(std::int64_t containerId) {
    auto stmt = m_db->Prepare(
        "SELECT spec, public_der, exportable, permissions, certificate FROM keys "
        "WHERE container_id = ?1 ORDER BY spec");
    stmt.Bind(1, containerId);
    std::vector<KeyEntry> keys;
    while (stmt.Step()) {
        keys.push_back(ReadKey(stmt));
    }
    return keys;
}

std::optional<KeyEntry> TokenStore::Key(std::int64_t containerId, int spec) {
    auto stmt = m_db->Prepare(
        "SELECT spec, public_der, exportable, permissions, certificate FROM keys "
        "WHERE container_id = ?1 AND spec = ?2");
    stmt.Bind(1, containerId).Bind(2, spec);
    if (!stmt.Step()) {
        return std::nullopt;
    }
    return ReadKey(stmt);
}

void TokenStore::PutKey(std::int64_t containerId, const KeyEntry& key, const Bytes& sealedPrivate) {
    SqliteDb::Transaction tx(*m_db);
    if (!FindContainer(containerId)) {
        throw StoreError(StoreFailure::NotFound, "container gone");
    }
    auto stmt = m_db->Prepare("INSERT OR REPLACE INTO keys VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7)");
    stmt.Bind(1, containerId)
        .Bind(2, key.spec)
        .Bind(3, key.publicDer)
        .Bind(4, sealedPrivate)
        .Bind(5, key.exportable ? 1 : 0)
        .Bind(6, key.permissions);
    if (key.certificate.empty()) {
        stmt.BindNull(7);
    } else {
        stmt.Bind(7, key.certificate);
    }
    stmt.Run();
    tx.Commit();
}

void TokenStore::SetCertificate(std::int64_t containerId, int spec, const Bytes& der) {
    SqliteDb::Transaction tx(*m_db);
    auto stmt =
        m_db->Prepare("UPDATE keys SET certificate = ?1 WHERE container_id = ?2 AND spec = ?3");
    if (der.empty()) {
        stmt.BindNull(1);
    } else {
        stmt.Bind(1, der);
    }
    stmt.Bind(2, containerId).Bind(3, spec).Run();
    if (m_db->Changes() == 0) {
        throw StoreError(StoreFailure::NotFound, "no such key");
    }
    tx.Commit();
}

Bytes TokenStore::SealedPrivateKey(std::int64_t containerId, int spec) {
    auto stmt =
        m_db->Prepare("SELECT private_sealed FROM keys WHERE container_id = ?1 AND spec = ?2");
    stmt.Bind(1, containerId).Bind(2, spec);
    if (!stmt.Step()) {
        throw StoreError(StoreFailure::NotFound, "no such key");
    }
    return stmt.Bytes(0);
}

const char* TokenStore::TableOf(Role role) {
    return role == Role::Admin ? kAdminTable : kUserTable;
}

PinRecord TokenStore::LoadPinRecord(Role role) {
    const char* table = TableOf(role);
    const bool kdfColumns = HasKdfColumns(*m_db, table);
    auto row = m_db->Prepare(
        std::string("SELECT verifier_salt, verifier, wrap_salt, wrapped_key, iterations") +
        (kdfColumns ? ", kdf, scrypt_log2n, scrypt_r, scrypt_p" : "") + " FROM " + table +
        " WHERE id = 1");
    if (!row.Step()) {
        throw StoreError(StoreFailure::Damaged, "PIN record missing");
    }
    PinRecord pin;
    pin.verifierSalt = row.Bytes(0);
    pin.verifier = row.Bytes(1);
    pin.wrapSalt = row.Bytes(2);
    pin.wrappedTokenKey = row.Bytes(3);
    pin.iterations = static_cast<std::uint32_t>(row.Int(4));
    pin.kdf = kdfColumns && row.Text(5) == kScrypt ? PinKdf::Scrypt : PinKdf::Pbkdf2Sha256;
    if (kdfColumns && pin.kdf == PinKdf::Pbkdf2Sha256 && row.Text(5) != kPbkdf2) {
        throw StoreError(StoreFailure::Damaged, "PIN record of an unknown kind");
    }
    if (pin.kdf == PinKdf::Scrypt) {
        const std::uint32_t log2N = Parameter(row.Int(6));
        pin.cost = {static_cast<std::uint8_t>(log2N <= 0xFF ? log2N : 0), Parameter(row.Int(7)),
                    Parameter(row.Int(8))};
    }
    return pin;
}

PinState TokenStore::PinOf(Role role) {
    auto row = m_db->Prepare(std::string("SELECT retries_left, max_retries FROM ") + TableOf(role) +
                             " WHERE id = 1");
    if (!row.Step()) {
        throw StoreError(StoreFailure::Damaged, "PIN record missing");
    }
    return PinState{static_cast<std::uint32_t>(row.Int(0)), static_cast<std::uint32_t>(row.Int(1))};
}

PinState TokenStore::Pin() {
    return PinOf(Role::User);
}

std::optional<PinState> TokenStore::AdminPin() {
    if (!HasTable(*m_db, kAdminTable)) {
        return std::nullopt;  // a token made before administrator PINs
    }
    auto row = m_db->Prepare("SELECT retries_left, max_retries FROM admin_pin WHERE id = 1");
    if (!row.Step()) {
        return std::nullopt;
    }
    return PinState{static_cast<std::uint32_t>(row.Int(0)), static_cast<std::uint32_t>(row.Int(1))};
}

namespace {

[[noreturn]] void Locked(bool admin) {
    throw StoreError(StoreFailure::PinLocked,
                     admin ? "the administrator PIN is locked: the token can no longer be "
                             "unblocked"
                           : "the PIN is locked");
}

[[noreturn]] void Wrong(bool admin, std::uint32_t left) {
    if (!admin) {
        throw StoreError(left == 0 ? StoreFailure::PinLocked : StoreFailure::PinIncorrect,
                         "wrong PIN");
    }
    if (left == 0) {
        throw StoreError(StoreFailure::PinLocked,
                         "wrong administrator PIN; it is now locked and the token can no longer "
                         "be unblocked");
    }
    throw StoreError(StoreFailure::PinIncorrect, "wrong administrator PIN (" +
                                                     std::to_string(left) +
                                                     (left == 1 ? " try" : " tries") + " left)");
}

}  // namespace

SecretBytes TokenStore::Verify(Role role, std::string_view pin, const NextRecord& next,
                               Role target) {
    const bool admin = role == Role::Admin;
    const std::string table = TableOf(role);
    for (;;) {
        if (PinOf(role).retriesLeft == 0) {
            Locked(admin);
        }
        const PinRecord seen = LoadPinRecord(role);
        std::optional<SecretBytes> key = TokenSecrets::Unlock(pin, seen);
        std::optional<PinRecord> replacement;
        if (key && next) {
            replacement = next(*key, seen);
        }
        // Every try is counted under the write lock, so that processes trying PINs at once
        // cannot both spend the same try; the lock is held only for the bookkeeping.
        SqliteDb::Transaction tx(*m_db);
        if (LoadPinRecord(role) != seen) {
            continue;  // changed meanwhile: check against what is stored now
        }
        const PinState state = PinOf(role);
        if (state.retriesLeft == 0) {
            Locked(admin);
        }
        if (!key) {
            m_db->Exec("UPDATE " + table + " SET retries_left = retries_left - 1 WHERE id = 1");
            tx.Commit();
            Wrong(admin, state.retriesLeft - 1);
        }
        const std::string targetTable = TableOf(target);
        if (replacement) {
            WritePinRecord(*m_db, targetTable.c_str(), *replacement);
        }
        for (const auto& restored : {table, targetTable}) {
            m_db->Exec("UPDATE " + restored + " SET retries_left = max_retries WHERE id = 1");
        }
        tx.Commit();
        return std::move(*key);
    }
}

SecretBytes TokenStore::Unlock(std::string_view pin) {
    // A token made before scrypt gets its record made again while the PIN is at hand.
    return Verify(
        Role::User, pin,
        [&](const SecretBytes& tokenKey, const PinRecord& seen) -> std::optional<PinRecord> {
            if (seen.kdf == PinKdf::Scrypt) {
                return std::nullopt;
            }
            return TokenSecrets::MakePinRecord(pin, tokenKey, PinCost{});
        },
        Role::User);
}

void TokenStore::ChangePin(std::string_view oldPin, std::string_view newPin) {
    if (newPin.empty()) {
        throw StoreError(StoreFailure::InvalidName, "the new PIN must not be empty");
    }
    Verify(
        Role::User, oldPin,
        [&](const SecretBytes& tokenKey, const PinRecord& old) {
            return std::optional<PinRecord>(TokenSecrets::MakePinRecord(
                newPin, tokenKey, old.kdf == PinKdf::Scrypt ? old.cost : PinCost{}));
        },
        Role::User);
}

void TokenStore::Unblock(std::string_view adminPin, std::string_view newUserPin) {
    if (newUserPin.empty()) {
        throw StoreError(StoreFailure::InvalidName, "the new PIN must not be empty");
    }
    if (!AdminPin()) {
        throw StoreError(StoreFailure::NotFound,
                         "the token has no administrator PIN (it was made without one), so it "
                         "cannot be unblocked");
    }
    Verify(
        Role::Admin, adminPin,
        [&](const SecretBytes& tokenKey, const PinRecord& admin) {
            return std::optional<PinRecord>(
                TokenSecrets::MakePinRecord(newUserPin, tokenKey, admin.cost));
        },
        Role::User);
}

std::optional<std::uint32_t> PinTriesLeft(std::string_view reader) noexcept {
    try {
        TokenWorld world;
        const auto state = world.Reader(reader);
        if (!state || !state->token) {
            return std::nullopt;
        }
        return TokenStore(world.TokenFile(state->token->uuid)).Pin().retriesLeft;
    } catch (...) {
        return std::nullopt;
    }
}

}  // namespace vkstore
