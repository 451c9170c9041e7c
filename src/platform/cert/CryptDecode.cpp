// CryptDecodeObject and CryptEncodeObject for the structures the program uses.
#include "platform/crypto/KeyBlob.h"  // OpenSSL first: see X509_NAME in CertApi.h

#include <cstdint>
#include <cstring>

#include "platform/cert/CertApi.h"
#include "platform/cert/CertFields.h"
#include "platform/cert/FlatArena.h"
#include "platform/cert/NameFields.h"
#include "platform/errors/LastError.h"
#include "platform/errors/WinError.h"

namespace {

// Structure types that are small integers rather than identifiers.
bool IsType(LPCSTR structType, LPCSTR wanted) {
    return structType == wanted;
}

}  // namespace

BOOL CryptDecodeObject(DWORD dwCertEncodingType, LPCSTR lpszStructType, const BYTE* pbEncoded,
                       DWORD cbEncoded, DWORD /*dwFlags*/, void* pvStructInfo,
                       DWORD* pcbStructInfo) {
    if (!pcbStructInfo || !(dwCertEncodingType & X509_ASN_ENCODING)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!pbEncoded || cbEncoded == 0) {
        SetLastError(CRYPT_E_ASN1_EOD);
        return FALSE;
    }
    if (IsType(lpszStructType, X509_CERT_TO_BE_SIGNED)) {
        DWORD error = 0;
        auto fields = vk::cert::SplitCertificate(pbEncoded, cbEncoded, false, &error);
        if (!fields) {
            SetLastError(error);
            return FALSE;
        }
        return vk::cert::FlatOutput(pvStructInfo, pcbStructInfo, [&](vk::cert::FlatArena& arena) {
            vk::cert::LayOutCertInfo(*fields, arena);
            return true;
        });
    }
    if (IsType(lpszStructType, CERT_X509_NAME_STRUCT)) {
        auto name = vk::cert::SplitName(pbEncoded, cbEncoded);
        if (!name) {
            SetLastError(CRYPT_E_ASN1_CORRUPT);
            return FALSE;
        }
        return vk::cert::FlatOutput(pvStructInfo, pcbStructInfo, [&](vk::cert::FlatArena& arena) {
            vk::cert::LayOutNameInfo(*name, arena);
            return true;
        });
    }
    if (IsType(lpszStructType, RSA_CSP_PUBLICKEYBLOB)) {
        auto blob = vk::crypto::RsaPublicKeyDerToPublicKeyBlob(pbEncoded, cbEncoded, CALG_RSA_KEYX);
        if (!blob) {
            SetLastError(CRYPT_E_ASN1_BADTAG);
            return FALSE;
        }
        return vk::cert::BytesOutput(blob->data(), blob->size(), pvStructInfo, pcbStructInfo);
    }
    SetLastError(ERROR_FILE_NOT_FOUND);  // no decoder for this structure type
    return FALSE;
}

BOOL CryptEncodeObject(DWORD dwCertEncodingType, LPCSTR lpszStructType, const void* pvStructInfo,
                       BYTE* pbEncoded, DWORD* pcbEncoded) {
    if (!pcbEncoded || !pvStructInfo || !(dwCertEncodingType & X509_ASN_ENCODING)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (IsType(lpszStructType, RSA_CSP_PUBLICKEYBLOB)) {
        // The blob's length follows from its header: BLOBHEADER, RSAPUBKEY, modulus.
        const auto* bytes = static_cast<const BYTE*>(pvStructInfo);
        RSAPUBKEY key{};
        std::memcpy(&key, bytes + sizeof(BLOBHEADER), sizeof key);
        if (key.magic != RSA1_MAGIC || key.bitlen == 0 || key.bitlen > 16384) {
            SetLastError(NTE_BAD_DATA);
            return FALSE;
        }
        const std::size_t size = sizeof(BLOBHEADER) + sizeof(RSAPUBKEY) + (key.bitlen + 7) / 8;
        auto der = vk::crypto::PublicKeyBlobToRsaPublicKeyDer(bytes, size);
        if (!der) {
            return FALSE;  // KeyBlob set the last error
        }
        return vk::cert::BytesOutput(der->data(), der->size(), pbEncoded, pcbEncoded);
    }
    SetLastError(ERROR_FILE_NOT_FOUND);
    return FALSE;
}
