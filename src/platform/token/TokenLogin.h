// A token's login, kept as a card keeps its PIN verification: every process
// of the user sees it until logout or until the token leaves its reader. What
// the login unlocks (the token key) lives in the user's runtime folder, in a
// file of mode 0600 bound to the insertion it was made on, never in the store.
#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

#include "platform/token/TokenSecrets.h"
#include "platform/token/TokenWorld.h"

namespace vkstore {

class TokenLogin {
public:
    // $XDG_RUNTIME_DIR/vkcert/login, or a private folder under /tmp.
    static std::filesystem::path DefaultFolder();

    explicit TokenLogin(std::filesystem::path folder = DefaultFolder());

    // Verifies the PIN with the token in the reader and records the login.
    // StoreError: Empty, PinIncorrect, PinLocked, Damaged.
    void Login(TokenWorld& world, std::string_view reader, std::string_view pin);
    void Logout(std::string_view tokenUuid);
    // The token key while the token in this reader state is logged in.
    std::optional<SecretBytes> Key(const ReaderState& reader);
    bool IsLoggedIn(const ReaderState& reader) { return Key(reader).has_value(); }

private:
    std::filesystem::path File(std::string_view tokenUuid) const;

    std::filesystem::path m_folder;
};

}  // namespace vkstore
