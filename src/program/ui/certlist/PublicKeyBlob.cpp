#include "program/ui/certlist/PublicKeyBlob.h"

#include <cstring>

#include "platform/cert/CertApi.h"
#include "platform/errors/WinError.h"
#include "program/token/CCertException.h"
#include "program/token/TwoCallRead.h"

namespace SSertListItemInfo {
namespace {

constexpr DWORD kEncoding = X509_ASN_ENCODING | PKCS_7_ASN_ENCODING;

// The encoder reads as many modulus bytes as the header's bit length says.
bool HoldsWholeModulus(std::span<const BYTE> blob) {
    constexpr std::size_t kHeaders = sizeof(BLOBHEADER) + sizeof(RSAPUBKEY);
    if (blob.size() < kHeaders) {
        return false;
    }
    RSAPUBKEY key;
    std::memcpy(&key, blob.data() + sizeof(BLOBHEADER), sizeof key);
    return blob.size() >= kHeaders + (static_cast<std::size_t>(key.bitlen) + 7) / 8;
}

}  // namespace

std::vector<BYTE> DecodePublicKeyBlob(std::span<const BYTE> der) {
    return SVKCERT::TwoCallRead([&](BYTE* out, DWORD* size) {
        return CryptDecodeObject(kEncoding, RSA_CSP_PUBLICKEYBLOB, der.data(),
                                 static_cast<DWORD>(der.size()), 0, out, size);
    });
}

std::vector<BYTE> EncodePublicKeyBlob(std::span<const BYTE> blob) {
    if (!HoldsWholeModulus(blob)) {
        throw SVKCERT::SEXCPT::CCertException(NTE_BAD_DATA);
    }
    return SVKCERT::TwoCallRead([&](BYTE* out, DWORD* size) {
        return CryptEncodeObject(kEncoding, RSA_CSP_PUBLICKEYBLOB, blob.data(), out, size);
    });
}

}  // namespace SSertListItemInfo
