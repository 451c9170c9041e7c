#include "TokenTestWorld.h"

#include <openssl/rsa.h>

#include <stdexcept>

#include "platform/crypto/CryptApi.h"
#include "platform/crypto/ProviderRegistry.h"
#include "platform/token/TokenKeyWriter.h"
#include "platform/token/TokenStore.h"
#include "platform/token/VelkoraContext.h"
#include "platform/token/VelkoraProvider.h"
#include "program/core/sdp/CSingletonRegistry.h"
#include "program/token/CTokenInfo.h"

namespace tokentest {

namespace {

void Check(bool ok, const char* what) {
    if (!ok) {
        throw std::runtime_error(what);
    }
}

}  // namespace

CountingProvider::CountingProvider()
    : m_inner(std::make_shared<vkstore::VelkoraProvider>()),
      m_released(std::make_shared<std::atomic<int>>(0)) {}

std::shared_ptr<vk::crypto::IProviderContext> CountingProvider::Acquire(const wchar_t* container,
                                                                        DWORD flags) {
    std::shared_ptr<vk::crypto::IProviderContext> inner = m_inner->Acquire(container, flags);
    if (!inner) {
        return nullptr;
    }
    ++m_acquired;
    // The provider's own context, its release counted when its last user lets go.
    auto* context = inner.get();
    return {context, [inner, released = m_released](auto*) mutable {
                inner.reset();
                ++*released;
            }};
}

BOOL CountingProvider::DeleteKeySet(const wchar_t* container, DWORD flags) {
    return m_inner->DeleteKeySet(container, flags);
}

EVP_PKEY* SharedKey() {
    static EVP_PKEY* const key = EVP_RSA_gen(1024);
    return key;
}

std::vector<std::wstring> ContainerNames(CTokenInfo& token) {
    std::vector<std::wstring> names;
    for (const auto& container : token.GetContainers()) {
        names.push_back(container->GetName());
    }
    return names;
}

TokenTestWorld::TokenTestWorld() : m_counter(std::make_shared<CountingProvider>()) {
    vk::crypto::ProviderRegistry::Instance().Register(kCountingProvider, PROV_RSA_FULL, m_counter);
}

TokenTestWorld::~TokenTestWorld() {
    // The cache and the monitor belong to this world: they go before it.
    SDP::SINGLETON::Teardown();
    vk::crypto::ProviderRegistry::Instance().Unregister(kCountingProvider);
}

void TokenTestWorld::MakeToken(const std::string& label, vkstore::TokenRecordData record,
                               const std::string& reader) {
    record.label = label;
    m_world.CreateToken(record, kPin, {.log2N = 10, .r = 1}, 5);
    if (!reader.empty()) {
        m_world.Insert(reader, label);
    }
}

void TokenTestWorld::AddContainer(const std::string& label, const std::string& container,
                                  std::vector<int> specs, const vktest::Subject& subject,
                                  bool makeDefault) {
    vkstore::TokenStore store(m_world.TokenFile(m_world.FindToken(label).value().uuid));
    const vkstore::SecretBytes tokenKey = store.Unlock(kPin);
    const std::int64_t id = store.CreateContainer(container);
    for (int spec : specs) {
        const vkstore::Bytes cert =
            subject.empty() ? vkstore::Bytes{} : vktest::MakeCertificate(SharedKey(), subject);
        vkstore::WriteTokenKey(store, id, tokenKey, SharedKey(), spec, true, cert);
    }
    if (makeDefault) {
        store.SetDefault(id, true);
    }
}

void TokenTestWorld::Login(const std::string& reader, const char* pin) {
    HCRYPTPROV prov = 0;
    Check(CryptAcquireContextW(&prov, nullptr, vkstore::kVelkoraProviderName, PROV_RSA_FULL,
                               CRYPT_VERIFYCONTEXT),
          "verify context");
    CryptSetProvParam(prov, vkstore::PP_VK_SELECT_READER,
                      reinterpret_cast<const BYTE*>(reader.c_str()), 0);
    const BOOL ok =
        CryptSetProvParam(prov, PP_KEYEXCHANGE_PIN, reinterpret_cast<const BYTE*>(pin), 0);
    CryptReleaseContext(prov, 0);
    Check(ok, "login");
}

}  // namespace tokentest
