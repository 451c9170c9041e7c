// The world of virtual tokens: which readers exist, which tokens exist, and
// which token sits in which reader. It lives in the user's data folder
// ($XDG_DATA_HOME/vkcert/tokens): world.db for readers and insertions, one
// database per token beside it. Every change is one SQLite transaction, so a
// process killed in the middle leaves the world as it was before or after.
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

struct TokenEntry {
    std::string uuid;
    std::string label;
};

struct ReaderState {
    std::string name;  // UTF-8, exact
    std::optional<TokenEntry> token;
    // Grows with every insertion anywhere; a handle opened on one insertion
    // is stale once its reader shows another.
    std::int64_t insertion = 0;
};

// Makes the folder and its parents; the folder is the owner's alone (mode 0700).
void MakePrivateDir(const std::filesystem::path& dir);

class TokenWorld {
public:
    // $XDG_DATA_HOME/vkcert/tokens, or ~/.local/share/vkcert/tokens.
    static std::filesystem::path DefaultRoot();

    explicit TokenWorld(std::filesystem::path root = DefaultRoot());

    const std::filesystem::path& Root() const { return m_root; }
    std::filesystem::path TokenFile(std::string_view uuid) const;
    std::filesystem::path WorldFile() const { return m_root / "world.db"; }

    // Readers in the order they were made.
    std::vector<ReaderState> Readers();
    std::optional<ReaderState> Reader(std::string_view name);
    void AddReader(std::string_view name);
    // Takes out the token that sits in it first.
    void DeleteReader(std::string_view name);

    std::vector<TokenEntry> Tokens();
    std::optional<TokenEntry> FindToken(std::string_view label);
    // Makes the token's database and registers it; answers its uuid. Each PIN gets maxRetries
    // tries; an empty adminPin makes a token without one. Tests may pass a small cost.
    std::string CreateToken(const TokenRecordData& record, std::string_view userPin,
                            const PinCost& cost = {}, std::uint32_t maxRetries = 10,
                            std::string_view adminPin = {});
    void DeleteToken(std::string_view label);

    // Puts the token with this label into the reader.
    void Insert(std::string_view reader, std::string_view label);
    // Takes the token out of the reader; answers what was in it.
    TokenEntry Remove(std::string_view reader);

    // Runs change in one transaction of world.db: the world changes whole or not at all.
    // Files of tokens it deletes go once it is committed.
    void Write(const std::function<void()>& change);

    // Checks a name the store is asked to hold: not empty, valid UTF-8, no
    // control characters, at most maxBytes.
    static void CheckName(std::string_view what, std::string_view name, std::size_t maxBytes);

private:
    // world.db, made whole on first use; StoreError(Damaged) when it is not a world.
    SqliteDb& Db();
    void CreateWorldFile();
    // Under the write lock: removes token files the world does not list and temporary
    // files left by a process killed while making a token.
    void RemoveStrayFiles();

    std::filesystem::path m_root;
    std::shared_ptr<SqliteDb> m_db;      // this thread's connection to world.db
    std::vector<std::string> m_deleted;  // tokens whose files go after the outer commit
};

}  // namespace vkstore
