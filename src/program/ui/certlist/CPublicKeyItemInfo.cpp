#include "program/ui/certlist/CPublicKeyItemInfo.h"

#include "program/ui/certlist/PublicKeyBlob.h"
#include "program/ui/certlist/RowFormats.h"

namespace SSertListItemInfo {
namespace {

std::span<const BYTE> KeyBits(const CERT_INFO& info) {
    const CRYPT_BIT_STRING_BLOB& bits = info.SubjectPublicKeyInfo.PublicKey;
    return {bits.pbData, bits.cbData};
}

}  // namespace

std::wstring CPublicKeyItemInfo::GetValue() const {
    try {
        return KeySummaryText(DecodePublicKeyBlob(KeyBits(*m_info)));
    } catch (...) {
        return {};
    }
}

std::wstring CPublicKeyItemInfo::GetDetail() const {
    try {
        const auto bits = KeyBits(*m_info);
        DecodePublicKeyBlob(bits);  // only an RSA key is shown
        return HexDumpText(bits);
    } catch (...) {
        return {};
    }
}

}  // namespace SSertListItemInfo
