// The logins the service holds: per token of a world, the insertion it was
// made on, the token key the PIN unwrapped and a keyed check of that PIN, in
// locked memory. A login ends on logout, when its token leaves or is swapped
// in its reader (a watcher of each world sees that at once), or when the
// service ends.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "LockedBytes.h"
#include "platform/token/TokenSecrets.h"
#include "platform/token/TokenWorldWatcher.h"
#include "platform/token/service/TokenServiceClient.h"

namespace vktokend {

using vkstore::SecretBytes;
using vkstore::service::TokenAddress;

class LoginTable {
public:
    LoginTable();
    ~LoginTable();
    LoginTable(const LoginTable&) = delete;
    LoginTable& operator=(const LoginTable&) = delete;

    // The token key while the token is logged in on the address's insertion.
    std::optional<SecretBytes> Key(const TokenAddress& token);
    bool IsLoggedIn(const TokenAddress& token) { return Key(token).has_value(); }
    // Whether the token is logged in on that insertion with this very PIN, and its PIN record
    // is still the one of the login (`stamp`): asks no derivation.
    bool HoldsPin(const TokenAddress& token, std::string_view pin, const vkstore::Bytes& stamp);
    void Put(const TokenAddress& token, const SecretBytes& tokenKey, std::string_view pin,
             const vkstore::Bytes& stamp);
    void Remove(const std::string& world, const std::string& uuid);
    // Ends every login.
    void Clear();

private:
    struct Login {
        std::string reader;
        std::int64_t insertion = 0;
        vkstore::Bytes stamp;
        LockedBytes secrets;  // token key, then the PIN's check
        Login() : secrets(2 * vkstore::TokenSecrets::kKeySize) {}
    };
    using Id = std::pair<std::string, std::string>;  // world, token uuid

    void PinCheck(std::string_view pin, std::uint8_t* out) const;
    void Watch(const std::string& world);
    void ReaderChanged(const std::string& world, const std::string& reader);

    std::mutex m_mutex;
    std::map<Id, std::unique_ptr<Login>> m_logins;
    LockedBytes m_checkKey;  // keys the PIN checks; made at start, never leaves
    std::mutex m_watchMutex;
    std::map<std::string, std::unique_ptr<vkstore::TokenWorldWatcher>> m_watchers;
};

}  // namespace vktokend
