// One virtual token's memory: its record, PIN, containers, keys and
// certificates, in one SQLite database. Private keys are kept sealed under
// the token key, which the user PIN unwraps (TokenSecrets), and the administrator
// PIN too, where the token has one, to set a new user PIN.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/token/SqliteDb.h"
#include "platform/token/TokenRecordData.h"
#include "platform/token/TokenSecrets.h"

namespace vkstore {

struct ContainerEntry {
    // Never reused: a container deleted and made again is a new one.
    std::int64_t id = 0;
    std::string name;
    bool isDefault = false;
};

struct KeyEntry {
    int spec = 0;     // 1 exchange, 2 signature
    Bytes publicDer;  // SubjectPublicKeyInfo
    bool exportable = false;
    std::uint32_t permissions = 0;
    Bytes certificate;  // DER, empty when none
};

struct PinState {
    std::uint32_t retriesLeft = 0;
    std::uint32_t maxRetries = 0;
};

class TokenStore {
public:
    static constexpr std::size_t kMaxContainerName = 255;

    // Makes the token's database complete under a temporary name (TemporaryFile) and
    // then renames it into place, so that the file exists whole or not at all.
    // An empty adminPin makes a token without an administrator PIN; each PIN has maxRetries.
    static void Create(const std::filesystem::path& file, const TokenRecordData& record,
                       std::string_view userPin, std::string_view adminPin, const PinCost& cost,
                       std::uint32_t maxRetries);
    static std::filesystem::path TemporaryFile(const std::filesystem::path& file);

    // Opens an existing token database; StoreError(Damaged) when it cannot be read.
    explicit TokenStore(const std::filesystem::path& file);

    // Runs change in one transaction: all of it is stored, or nothing.
    void Write(const std::function<void()>& change);

    TokenRecordData Record();
    void SetRecord(const TokenRecordData& record);

    std::vector<ContainerEntry> Containers();
    std::optional<ContainerEntry> FindContainer(std::string_view name);
    std::optional<ContainerEntry> FindContainer(std::int64_t id);
    std::int64_t CreateContainer(std::string_view name);
    void DeleteContainer(std::string_view name);
    // Marks one container as the default (clearing any other) or clears its mark.
    void SetDefault(std::int64_t containerId, bool on);

    std::vector<KeyEntry> Keys(std::int64_t containerId);
    std::optional<KeyEntry> Key(std::int64_t containerId, int spec);
    void PutKey(std::int64_t containerId, const KeyEntry& key, const Bytes& sealedPrivate);
    void SetCertificate(std::int64_t containerId, int spec, const Bytes& der);
    Bytes SealedPrivateKey(std::int64_t containerId, int spec);

    PinState Pin();
    // Changes whenever the user PIN's record is made again (PIN change, unblock, rewrap).
    Bytes PinStamp() { return LoadPinRecord(Role::User).wrappedTokenKey; }
    // Nothing when the token has no administrator PIN.
    std::optional<PinState> AdminPin();
    // Verifies the PIN, counting down on failure and locking at zero;
    // answers the token key on success (and restores the counter). A record
    // of a token made before scrypt is made again under scrypt then.
    SecretBytes Unlock(std::string_view pin);
    // Verifies the old PIN and sets the new one in the same transaction.
    void ChangePin(std::string_view oldPin, std::string_view newPin);
    // Verifies the administrator PIN (its own counter counts down and locks) and, in the same
    // transaction, sets the new user PIN and restores the user's tries; the token key stays.
    void Unblock(std::string_view adminPin, std::string_view newUserPin);

    // Checks a container name: 1 to 255 bytes, no control characters and no backslash.
    static void CheckContainerName(std::string_view name);

private:
    enum class Role { User, Admin };
    using NextRecord =
        std::function<std::optional<PinRecord>(const SecretBytes&, const PinRecord&)>;

    void Check();
    PinRecord LoadPinRecord(Role role);
    PinState PinOf(Role role);
    static const char* TableOf(Role role);
    // Derives from the PIN outside the write lock, then counts the try in a short
    // transaction that finds the PIN record unchanged (deriving again when it changed).
    // On success, stores the record that next answers for the token key, if any, as the
    // target's record, whose tries are restored too.
    SecretBytes Verify(Role role, std::string_view pin, const NextRecord& next, Role target);

    std::shared_ptr<SqliteDb> m_db;  // this thread's connection to the token's database
};

// The user PIN tries left of the token in the reader of the user's token world; nothing when
// the reader is unknown or empty or the store cannot be read. Throws nothing.
std::optional<std::uint32_t> PinTriesLeft(std::string_view reader) noexcept;

}  // namespace vkstore
