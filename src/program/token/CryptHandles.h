// Owners of the platform's certificate store, certificate context, provider context and key
// handles, each given back when its owner goes.
#pragma once

#include <memory>

#include "platform/cert/CertApi.h"
#include "platform/crypto/CryptApi.h"

namespace SVKCERT {

struct StoreCloser {
    void operator()(void* store) const { CertCloseStore(store, 0); }
};
using StorePtr = std::unique_ptr<void, StoreCloser>;

struct ContextFreer {
    void operator()(PCCERT_CONTEXT context) const { CertFreeCertificateContext(context); }
};
using CertContextPtr = std::unique_ptr<const CERT_CONTEXT, ContextFreer>;

// A key handle destroyed when it goes.
class CScopedKey {
public:
    CScopedKey() = default;
    explicit CScopedKey(HCRYPTKEY key) : m_key(key) {}
    ~CScopedKey() {
        if (m_key != 0) {
            CryptDestroyKey(m_key);
        }
    }
    CScopedKey(const CScopedKey&) = delete;
    CScopedKey& operator=(const CScopedKey&) = delete;
    HCRYPTKEY* Out() { return &m_key; }
    HCRYPTKEY Get() const { return m_key; }

private:
    HCRYPTKEY m_key = 0;
};

// A provider context released when it goes.
class CScopedProv {
public:
    CScopedProv() = default;
    ~CScopedProv() {
        if (m_prov != 0) {
            CryptReleaseContext(m_prov, 0);
        }
    }
    CScopedProv(const CScopedProv&) = delete;
    CScopedProv& operator=(const CScopedProv&) = delete;
    HCRYPTPROV* Out() { return &m_prov; }
    HCRYPTPROV Get() const { return m_prov; }

private:
    HCRYPTPROV m_prov = 0;
};

}  // namespace SVKCERT
