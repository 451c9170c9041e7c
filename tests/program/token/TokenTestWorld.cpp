#include "TokenTestWorld.h"

#include <openssl/rsa.h>
#include <openssl/x509.h>

#include <stdexcept>

#include "platform/crypto/CryptApi.h"
#include "platform/crypto/ProviderRegistry.h"
#include "platform/token/TokenKeyWriter.h"
#include "platform/token/TokenStore.h"
#include "platform/token/VelkoraContext.h"
#include "platform/token/VelkoraProvider.h"
#include "program/core/sdp/CSingletonRegistry.h"

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

std::vector<std::uint8_t> MakeCertificate(EVP_PKEY* key, const Subject& subject) {
    X509* cert = X509_new();
    Check(cert != nullptr, "X509_new");
    X509_set_version(cert, 2);
    ASN1_INTEGER_set(X509_get_serialNumber(cert), 4242);
    X509_gmtime_adj(X509_getm_notBefore(cert), 0);
    X509_gmtime_adj(X509_getm_notAfter(cert), 365L * 24 * 3600);
    X509_NAME* name = X509_get_subject_name(cert);
    for (const auto& [type, value] : subject) {
        X509_NAME_add_entry_by_txt(name, type.c_str(), MBSTRING_UTF8,
                                   reinterpret_cast<const unsigned char*>(value.c_str()), -1, -1,
                                   0);
    }
    X509_set_issuer_name(cert, name);
    X509_set_pubkey(cert, key);
    Check(X509_sign(cert, key, EVP_sha256()) > 0, "X509_sign");
    unsigned char* der = nullptr;
    const int length = i2d_X509(cert, &der);
    X509_free(cert);
    Check(length > 0, "i2d_X509");
    std::vector<std::uint8_t> bytes(der, der + length);
    OPENSSL_free(der);
    return bytes;
}

EVP_PKEY* SharedKey() {
    static EVP_PKEY* const key = EVP_RSA_gen(1024);
    return key;
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
    m_world.CreateToken(record, kPin, 1000, 5);
    if (!reader.empty()) {
        m_world.Insert(reader, label);
    }
}

void TokenTestWorld::AddContainer(const std::string& label, const std::string& container,
                                  std::vector<int> specs, const Subject& subject,
                                  bool makeDefault) {
    auto token = m_world.FindToken(label);
    Check(token.has_value(), "no such token");
    vkstore::TokenStore store(m_world.TokenFile(token->uuid));
    const vkstore::SecretBytes tokenKey = store.Unlock(kPin);
    const std::int64_t id = store.CreateContainer(container);
    for (int spec : specs) {
        vkstore::Bytes cert;
        if (!subject.empty()) {
            cert = MakeCertificate(SharedKey(), subject);
        }
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
