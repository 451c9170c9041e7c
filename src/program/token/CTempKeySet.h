// A temporary key set in a software provider, for keys passing between a PFX file and a token:
// made in "Microsoft Enhanced Cryptographic Provider v1.0", or in "Microsoft Strong Cryptographic
// Provider" when the first refuses, and deleted when the object goes.
#pragma once

#include <string>

#include "platform/crypto/CryptApi.h"

namespace SVKCERT {

class CTempKeySet {
public:
    // Throws CCertException with the last error when neither provider makes the key set.
    explicit CTempKeySet(std::wstring container);
    ~CTempKeySet() { Clear(); }
    CTempKeySet(const CTempKeySet&) = delete;
    CTempKeySet& operator=(const CTempKeySet&) = delete;

    HCRYPTPROV Context() const { return m_context; }
    const std::wstring& ProviderName() const { return m_provider; }
    const std::wstring& Container() const { return m_container; }

    // Deletes the key set and releases the context; nothing when none is held.
    void Clear();

private:
    std::wstring m_container;
    std::wstring m_provider;
    HCRYPTPROV m_context = 0;
};

}  // namespace SVKCERT
