#include "program/token/CTempKeySet.h"

#include <utility>

#include "platform/errors/LastError.h"
#include "program/token/CCertException.h"

namespace SVKCERT {

CTempKeySet::CTempKeySet(std::wstring container) : m_container(std::move(container)) {
    for (const wchar_t* provider : {MS_ENHANCED_PROV_W, MS_STRONG_PROV_W}) {
        if (CryptAcquireContextW(&m_context, m_container.c_str(), provider, PROV_RSA_FULL,
                                 CRYPT_NEWKEYSET)) {
            m_provider = provider;
            return;
        }
    }
    m_context = 0;
    throw SEXCPT::CCertException(GetLastError());
}

void CTempKeySet::Clear() {
    if (m_context == 0) {
        return;
    }
    HCRYPTPROV deleted = 0;
    CryptAcquireContextW(&deleted, m_container.c_str(), m_provider.c_str(), PROV_RSA_FULL,
                         CRYPT_DELETEKEYSET);
    CryptReleaseContext(m_context, 0);
    m_context = 0;
}

}  // namespace SVKCERT
