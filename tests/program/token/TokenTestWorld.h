// Worlds of virtual tokens for the token access tests: readers, tokens with chosen records,
// containers with keys and certificates written straight into the store, login through the
// provider, and a provider that counts its acquisitions and releases.
#pragma once

#include <openssl/evp.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "platform/crypto/CryptProvider.h"
#include "platform/token/TokenRecordData.h"
#include "platform/token/TokenWorld.h"
#include "support/TempWorld.h"
#include "support/TestCertificate.h"

class CTokenInfo;

namespace tokentest {

inline constexpr const char* kPin = "1234";
inline constexpr const wchar_t* kCountingProvider = L"Counting Velkora CSP";

// Forwards to the token provider and counts the contexts it gives out and those that went.
class CountingProvider final : public vk::crypto::ICryptProvider {
public:
    CountingProvider();
    std::shared_ptr<vk::crypto::IProviderContext> Acquire(const wchar_t* container,
                                                          DWORD flags) override;
    BOOL DeleteKeySet(const wchar_t* container, DWORD flags) override;

    int Acquired() const { return m_acquired.load(); }
    int Released() const { return m_released->load(); }

private:
    std::shared_ptr<vk::crypto::ICryptProvider> m_inner;
    std::atomic<int> m_acquired{0};
    std::shared_ptr<std::atomic<int>> m_released;
};

// One RSA key per process (1024 bits), shared by every container the tests make.
EVP_PKEY* SharedKey();

// The names of the token's containers in its order.
std::vector<std::wstring> ContainerNames(CTokenInfo& token);

// A temporary world with the counting provider registered; at the end the process's
// singletons (the context cache and the reader monitor) are torn down before the world goes.
class TokenTestWorld {
public:
    TokenTestWorld();
    ~TokenTestWorld();
    TokenTestWorld(const TokenTestWorld&) = delete;
    TokenTestWorld& operator=(const TokenTestWorld&) = delete;

    vkstore::TokenWorld& World() { return m_world; }
    CountingProvider& Counter() { return *m_counter; }

    void AddReader(const std::string& name) { m_world.AddReader(name); }
    // A token with that record and label, inserted when a reader is given.
    void MakeToken(const std::string& label, vkstore::TokenRecordData record = {},
                   const std::string& reader = {});
    // A container with a key of each specification, each with a certificate of `subject`.
    void AddContainer(const std::string& label, const std::string& container,
                      std::vector<int> specs = {1},
                      const vktest::Subject& subject = {{"CN", "Holder"}},
                      bool makeDefault = false);
    // Logs the user of the token in the reader in (or out with an empty PIN).
    void Login(const std::string& reader, const char* pin = kPin);
    void Logout(const std::string& reader) { Login(reader, nullptr); }

private:
    vktest::TempWorld m_temp;
    vkstore::TokenWorld m_world;
    std::shared_ptr<CountingProvider> m_counter;
};

}  // namespace tokentest
