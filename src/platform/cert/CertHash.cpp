#include <openssl/evp.h>  // before CertApi.h: see X509_NAME there

#include "platform/cert/CertHash.h"

#include "platform/cert/FlatArena.h"
#include "platform/errors/LastError.h"
#include "platform/errors/WinError.h"
#include "platform/text/Hex.h"

namespace vk::cert {

std::optional<std::vector<BYTE>> Digest(ALG_ID alg, const BYTE* data, std::size_t size) {
    const EVP_MD* md = nullptr;
    switch (alg) {
        case CALG_SHA1:
            md = EVP_sha1();
            break;
        case CALG_MD5:
            md = EVP_md5();
            break;
        case CALG_SHA_256:
            md = EVP_sha256();
            break;
        default:
            return std::nullopt;
    }
    std::vector<BYTE> out(EVP_MAX_MD_SIZE);
    unsigned int len = 0;
    static const BYTE kEmpty = 0;
    if (!md || EVP_Digest(data ? data : &kEmpty, size, out.data(), &len, md, nullptr) != 1) {
        return std::nullopt;
    }
    out.resize(len);
    return out;
}

std::string Sha1Hex(const BYTE* data, std::size_t size) {
    const auto hash = Digest(CALG_SHA1, data, size);
    return hash ? HexText(*hash, HexCase::Lower) : std::string();
}

}  // namespace vk::cert

BOOL CryptHashCertificate(HCRYPTPROV_LEGACY /*hCryptProv*/, ALG_ID Algid, DWORD /*dwFlags*/,
                          const BYTE* pbEncoded, DWORD cbEncoded, BYTE* pbComputedHash,
                          DWORD* pcbComputedHash) {
    if (!pcbComputedHash || (!pbEncoded && cbEncoded)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (Algid != CALG_SHA1 && Algid != CALG_MD5 && Algid != CALG_SHA_256) {
        SetLastError(NTE_BAD_ALGID);
        return FALSE;
    }
    auto hash = vk::cert::Digest(Algid, pbEncoded, cbEncoded);
    if (!hash) {
        SetLastError(NTE_FAIL);
        return FALSE;
    }
    return vk::cert::BytesOutput(hash->data(), hash->size(), pbComputedHash, pcbComputedHash);
}
