#include "program/ui/certlist/CSLSolvePropItemInfo.h"

#include <vector>

#include "program/ui/certlist/RowFormats.h"

namespace SSertListItemInfo {
namespace {

const wchar_t kNone[] = L"<None>";

// A verification context of the base software provider, released when it goes.
class CVerifyContext {
public:
    CVerifyContext() {
        if (!CryptAcquireContextW(&m_prov, nullptr, MS_DEF_PROV_W, PROV_RSA_FULL,
                                  CRYPT_VERIFYCONTEXT)) {
            m_prov = 0;
        }
    }
    ~CVerifyContext() {
        if (m_prov != 0) {
            CryptReleaseContext(m_prov, 0);
        }
    }
    CVerifyContext(const CVerifyContext&) = delete;
    CVerifyContext& operator=(const CVerifyContext&) = delete;

    HCRYPTPROV Get() const { return m_prov; }

private:
    HCRYPTPROV m_prov = 0;
};

}  // namespace

std::wstring CSLSolvePropItemInfo::HashText() const {
    CVerifyContext prov;
    if (prov.Get() == 0) {
        return kNone;
    }
    const BYTE* bytes = m_context->pbCertEncoded;
    const DWORD length = m_context->cbCertEncoded;
    DWORD size = 0;
    if (!CryptHashCertificate(prov.Get(), m_hashAlg, 0, bytes, length, nullptr, &size)) {
        return kNone;
    }
    std::vector<BYTE> hash(size, 0);
    if (!CryptHashCertificate(prov.Get(), m_hashAlg, 0, bytes, length, hash.data(), &size)) {
        return kNone;
    }
    hash.resize(size);
    return LowerHexText(hash);
}

}  // namespace SSertListItemInfo
