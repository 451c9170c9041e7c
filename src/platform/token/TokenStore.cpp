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
CREATE TABLE pin(
    id INTEGER PRIMARY KEY CHECK (id = 1),
    verifier_salt BLOB NOT NULL, verifier BLOB NOT NULL,
    wrap_salt BLOB NOT NULL, wrapped_key BLOB NOT NULL,
    iterations INTEGER NOT NULL, retries_left INTEGER NOT NULL, max_retries INTEGER NOT NULL);
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

bool SameRecord(const PinRecord& a, const PinRecord& b) {
    return a.verifierSalt == b.verifierSalt && a.verifier == b.verifier &&
           a.wrapSalt == b.wrapSalt && a.wrappedTokenKey == b.wrappedTokenKey &&
           a.iterations == b.iterations;
}

}  // namespace

std::filesystem::path TokenStore::TemporaryFile(const std::filesystem::path& file) {
    return file.parent_path() / (".new-" + file.filename().string());
}

void TokenStore::Create(const std::filesystem::path& file, const TokenRecordData& record,
                        std::string_view userPin, std::uint32_t pinIterations,
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
            SecretBytes tokenKey = TokenSecrets::NewTokenKey();
            PinRecord pin = TokenSecrets::MakePinRecord(userPin, tokenKey, pinIterations);
            db.Prepare("INSERT INTO pin VALUES(1, ?1, ?2, ?3, ?4, ?5, ?6, ?6)")
                .Bind(1, pin.verifierSalt)
                .Bind(2, pin.verifier)
                .Bind(3, pin.wrapSalt)
                .Bind(4, pin.wrappedTokenKey)
                .Bind(5, pin.iterations)
                .Bind(6, maxRetries)
                .Run();
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

PinRecord TokenStore::LoadPinRecord() {
    auto row = m_db->Prepare(
        "SELECT verifier_salt, verifier, wrap_salt, wrapped_key, iterations FROM pin WHERE id = 1");
    if (!row.Step()) {
        throw StoreError(StoreFailure::Damaged, "PIN record missing");
    }
    PinRecord pin;
    pin.verifierSalt = row.Bytes(0);
    pin.verifier = row.Bytes(1);
    pin.wrapSalt = row.Bytes(2);
    pin.wrappedTokenKey = row.Bytes(3);
    pin.iterations = static_cast<std::uint32_t>(row.Int(4));
    return pin;
}

PinState TokenStore::Pin() {
    auto row = m_db->Prepare("SELECT retries_left, max_retries FROM pin WHERE id = 1");
    if (!row.Step()) {
        throw StoreError(StoreFailure::Damaged, "PIN record missing");
    }
    return PinState{static_cast<std::uint32_t>(row.Int(0)), static_cast<std::uint32_t>(row.Int(1))};
}

SecretBytes TokenStore::Verify(
    std::string_view pin,
    const std::function<std::optional<PinRecord>(const SecretBytes&, const PinRecord&)>& next) {
    for (;;) {
        if (Pin().retriesLeft == 0) {
            throw StoreError(StoreFailure::PinLocked, "the PIN is locked");
        }
        const PinRecord seen = LoadPinRecord();
        std::optional<SecretBytes> key = TokenSecrets::Unlock(pin, seen);
        std::optional<PinRecord> replacement;
        if (key && next) {
            replacement = next(*key, seen);
        }
        // Every try is counted under the write lock, so that processes trying PINs at once
        // cannot both spend the same try; the lock is held only for the bookkeeping.
        SqliteDb::Transaction tx(*m_db);
        if (!SameRecord(LoadPinRecord(), seen)) {
            continue;  // changed meanwhile: check against what is stored now
        }
        const PinState state = Pin();
        if (state.retriesLeft == 0) {
            throw StoreError(StoreFailure::PinLocked, "the PIN is locked");
        }
        if (!key) {
            m_db->Exec("UPDATE pin SET retries_left = retries_left - 1 WHERE id = 1");
            tx.Commit();
            throw StoreError(
                state.retriesLeft == 1 ? StoreFailure::PinLocked : StoreFailure::PinIncorrect,
                "wrong PIN");
        }
        if (replacement) {
            m_db->Prepare(
                    "UPDATE pin SET verifier_salt = ?1, verifier = ?2, wrap_salt = ?3, "
                    "wrapped_key = ?4 WHERE id = 1")
                .Bind(1, replacement->verifierSalt)
                .Bind(2, replacement->verifier)
                .Bind(3, replacement->wrapSalt)
                .Bind(4, replacement->wrappedTokenKey)
                .Run();
        }
        m_db->Exec("UPDATE pin SET retries_left = max_retries WHERE id = 1");
        tx.Commit();
        return std::move(*key);
    }
}

SecretBytes TokenStore::Unlock(std::string_view pin) {
    return Verify(pin, {});
}

void TokenStore::ChangePin(std::string_view oldPin, std::string_view newPin) {
    if (newPin.empty()) {
        throw StoreError(StoreFailure::InvalidName, "the new PIN must not be empty");
    }
    Verify(oldPin, [&](const SecretBytes& tokenKey, const PinRecord& old) {
        return std::optional<PinRecord>(
            TokenSecrets::MakePinRecord(newPin, tokenKey, old.iterations));
    });
}

}  // namespace vkstore
