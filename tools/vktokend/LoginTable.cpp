#include "LoginTable.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <openssl/rand.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "platform/token/TokenWorld.h"

namespace vktokend {

namespace {

constexpr std::size_t kKeySize = vkstore::TokenSecrets::kKeySize;

}  // namespace

LoginTable::LoginTable() : m_checkKey(kKeySize) {
    if (RAND_priv_bytes(m_checkKey.Data(), static_cast<int>(kKeySize)) != 1) {
        throw std::runtime_error("no random bytes");
    }
}

LoginTable::~LoginTable() {
    {
        std::lock_guard lock(m_watchMutex);
        m_watchers.clear();  // joins the watchers: no callback runs after this
    }
    Clear();
}

void LoginTable::PinCheck(std::string_view pin, std::uint8_t* out) const {
    unsigned int length = kKeySize;
    if (!HMAC(EVP_sha256(), m_checkKey.Data(), static_cast<int>(kKeySize),
              reinterpret_cast<const unsigned char*>(pin.data()), pin.size(), out, &length)) {
        throw std::runtime_error("HMAC failed");
    }
}

std::optional<SecretBytes> LoginTable::Key(const TokenAddress& token) {
    std::lock_guard lock(m_mutex);
    const auto found = m_logins.find({token.world.string(), token.uuid});
    if (found == m_logins.end()) {
        return std::nullopt;
    }
    if (found->second->insertion < token.insertion) {
        // Made on an earlier insertion: it ended when the token left.
        m_logins.erase(found);
        return std::nullopt;
    }
    if (found->second->insertion != token.insertion) {
        return std::nullopt;  // the asker's handle is older than the login
    }
    return SecretBytes(found->second->secrets.Data(), kKeySize);
}

bool LoginTable::HoldsPin(const TokenAddress& token, std::string_view pin,
                          const vkstore::Bytes& stamp) {
    std::uint8_t check[kKeySize];
    PinCheck(pin, check);
    std::lock_guard lock(m_mutex);
    const auto found = m_logins.find({token.world.string(), token.uuid});
    const bool same = found != m_logins.end() && found->second->insertion == token.insertion &&
                      found->second->stamp == stamp &&
                      CRYPTO_memcmp(found->second->secrets.Data() + kKeySize, check, kKeySize) == 0;
    OPENSSL_cleanse(check, sizeof check);
    return same;
}

void LoginTable::Put(const TokenAddress& token, const SecretBytes& tokenKey, std::string_view pin,
                     const vkstore::Bytes& stamp) {
    if (tokenKey.Size() != kKeySize) {
        throw std::invalid_argument("token key of the wrong size");
    }
    auto login = std::make_unique<Login>();
    login->reader = token.reader;
    login->insertion = token.insertion;
    login->stamp = stamp;
    std::memcpy(login->secrets.Data(), tokenKey.Data(), kKeySize);
    PinCheck(pin, login->secrets.Data() + kKeySize);
    {
        std::lock_guard lock(m_mutex);
        m_logins[{token.world.string(), token.uuid}] = std::move(login);
    }
    Watch(token.world.string());
}

void LoginTable::Remove(const std::string& world, const std::string& uuid) {
    std::lock_guard lock(m_mutex);
    m_logins.erase({world, uuid});
}

void LoginTable::Clear() {
    std::lock_guard lock(m_mutex);
    m_logins.clear();
}

void LoginTable::Watch(const std::string& world) {
    std::lock_guard lock(m_watchMutex);
    auto& watcher = m_watchers[world];
    if (watcher) {
        return;
    }
    watcher = std::make_unique<vkstore::TokenWorldWatcher>(world);
    watcher->Start([this, world](const std::string& reader, vkstore::TokenWorldWatcher::Change) {
        ReaderChanged(world, reader);
    });
}

void LoginTable::ReaderChanged(const std::string& world, const std::string& reader) {
    // What sits in the reader now: a login made on this insertion already (the change may be
    // seen late) stays, every other login on the reader ends.
    std::optional<vkstore::ReaderState> now;
    try {
        now = vkstore::TokenWorld(world).Reader(reader);
    } catch (const std::exception&) {
    }
    std::lock_guard lock(m_mutex);
    std::erase_if(m_logins, [&](const auto& entry) {
        const bool current = now && now->token && now->token->uuid == entry.first.second &&
                             now->insertion == entry.second->insertion;
        return entry.first.first == world && entry.second->reader == reader && !current;
    });
}

}  // namespace vktokend
